// Recording from the desktop's audio server (PulseAudio, or PipeWire serving
// the same protocol) through the server's own client library, all on the
// caller's thread: a timer pumps the library's main loop while a stream
// records. Every call that needs the server connects again when the last
// connection was lost, so a server that restarts is found again without
// restarting the program.
#pragma once

#include <QObject>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct pa_context;
struct pa_mainloop;
struct pa_stream;

namespace vantrel {

class PulseInput final : public QObject {
  Q_OBJECT

 public:
  struct Source {
    std::string name;         // the server's key for it
    std::string description;  // what the user sees
  };
  enum class OpenResult { Ok, NoServer, NoSource, Failed };
  using DataHandler = std::function<void(const std::uint8_t* data, std::size_t count)>;

  explicit PulseInput(QObject* parent = nullptr);
  ~PulseInput() override;

  // The server's capture inputs, monitors of outputs left out; empty when
  // no server answers.
  std::vector<Source> Sources();

  // Records 8-bit unsigned mono at rate from the named source (empty: the
  // server's default). Data arrives through onData from the event loop;
  // onFailure is called once, from the event loop, when the stream or the
  // server goes away on its own.
  OpenResult Open(const std::string& source, int rate, DataHandler onData,
                  std::function<void()> onFailure);
  void Close();
  // Hands on at once what the server has sent so far.
  void Flush();

 private:
  bool Connect();
  void Disconnect();
  // Runs the main loop until done() holds or milliseconds pass.
  bool Wait(const std::function<bool()>& done, int milliseconds);
  void Pump();
  void ReadStream();

  pa_mainloop* loop_ = nullptr;
  pa_context* context_ = nullptr;
  pa_stream* stream_ = nullptr;
  QTimer pump_;
  DataHandler onData_;
  std::function<void()> onFailure_;
};

}  // namespace vantrel
