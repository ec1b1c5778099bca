#include "platform/pulse_input.h"

#include <pulse/context.h>
#include <pulse/error.h>
#include <pulse/introspect.h>
#include <pulse/mainloop.h>
#include <pulse/stream.h>

#include <QMetaObject>

#include <chrono>

namespace vantrel {

namespace {

// A server that does not answer within this long counts as absent.
constexpr int kServerWaitMilliseconds = 3000;
// The stream is drained this often; its fragments are a fifth of a second.
constexpr int kPumpMilliseconds = 50;

}  // namespace

PulseInput::PulseInput(QObject* parent) : QObject(parent), loop_(pa_mainloop_new()) {
  pump_.setInterval(kPumpMilliseconds);
  connect(&pump_, &QTimer::timeout, this, &PulseInput::Pump);
}

PulseInput::~PulseInput() {
  Disconnect();
  if (loop_ != nullptr) pa_mainloop_free(loop_);
}

bool PulseInput::Wait(const std::function<bool()>& done, int milliseconds) {
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::milliseconds(milliseconds);
  while (!done()) {
    const auto left =
        std::chrono::duration_cast<std::chrono::microseconds>(deadline - Clock::now()).count();
    if (left <= 0) return false;
    if (pa_mainloop_prepare(loop_, static_cast<int>(left)) < 0 || pa_mainloop_poll(loop_) < 0 ||
        pa_mainloop_dispatch(loop_) < 0)
      return false;
  }
  return true;
}

bool PulseInput::Connect() {
  if (loop_ == nullptr) return false;
  if (context_ != nullptr) {
    Flush();  // notices a server that went away since the last call
    if (pa_context_get_state(context_) == PA_CONTEXT_READY) return true;
    Disconnect();
  }
  context_ = pa_context_new(pa_mainloop_get_api(loop_), "Vantrel");
  if (context_ == nullptr) return false;
  if (pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
    Disconnect();
    return false;
  }
  const bool settled = Wait(
      [this] {
        const pa_context_state_t state = pa_context_get_state(context_);
        return state == PA_CONTEXT_READY || !PA_CONTEXT_IS_GOOD(state);
      },
      kServerWaitMilliseconds);
  if (!settled || pa_context_get_state(context_) != PA_CONTEXT_READY) {
    Disconnect();
    return false;
  }
  return true;
}

void PulseInput::Disconnect() {
  Close();
  if (context_ == nullptr) return;
  pa_context_disconnect(context_);
  pa_context_unref(context_);
  context_ = nullptr;
}

std::vector<PulseInput::Source> PulseInput::Sources() {
  std::vector<Source> sources;
  if (!Connect()) return sources;
  struct Listing {
    std::vector<Source>* sources;
    bool done;
  } listing{&sources, false};
  pa_operation* op = pa_context_get_source_info_list(
      context_,
      [](pa_context*, const pa_source_info* info, int eol, void* user) {
        auto* l = static_cast<Listing*>(user);
        if (eol != 0) {
          l->done = true;
        } else if (info->monitor_of_sink == PA_INVALID_INDEX) {
          l->sources->push_back(
              {info->name, info->description != nullptr ? info->description : info->name});
        }
      },
      &listing);
  if (op == nullptr) return {};
  const bool done =
      Wait([&] { return listing.done || !PA_CONTEXT_IS_GOOD(pa_context_get_state(context_)); },
           kServerWaitMilliseconds);
  if (!done || !listing.done) pa_operation_cancel(op);
  pa_operation_unref(op);
  if (!listing.done) sources.clear();
  return sources;
}

PulseInput::OpenResult PulseInput::Open(const std::string& source, int rate, DataHandler onData,
                                        std::function<void()> onFailure) {
  Close();
  if (!Connect()) return OpenResult::NoServer;
  const pa_sample_spec sampleFormat{PA_SAMPLE_U8, static_cast<std::uint32_t>(rate), 1};
  stream_ = pa_stream_new(context_, "Capture", &sampleFormat, nullptr);
  if (stream_ == nullptr) return OpenResult::Failed;
  pa_stream_set_read_callback(
      stream_,
      [](pa_stream*, std::size_t, void* user) { static_cast<PulseInput*>(user)->ReadStream(); },
      this);
  pa_buffer_attr attributes{};
  attributes.maxlength = static_cast<std::uint32_t>(-1);
  attributes.tlength = attributes.prebuf = attributes.minreq = static_cast<std::uint32_t>(-1);
  attributes.fragsize = static_cast<std::uint32_t>(rate / 5);
  const char* device = source.empty() ? nullptr : source.c_str();
  if (pa_stream_connect_record(stream_, device, &attributes, PA_STREAM_ADJUST_LATENCY) < 0) {
    Close();
    return OpenResult::Failed;
  }
  Wait(
      [this] {
        const pa_stream_state_t state = pa_stream_get_state(stream_);
        return state == PA_STREAM_READY || !PA_STREAM_IS_GOOD(state);
      },
      kServerWaitMilliseconds);
  if (pa_stream_get_state(stream_) != PA_STREAM_READY) {
    const int error = pa_context_errno(context_);
    const bool serverGone = !PA_CONTEXT_IS_GOOD(pa_context_get_state(context_));
    Close();
    if (serverGone) return OpenResult::NoServer;
    return error == PA_ERR_NOENTITY ? OpenResult::NoSource : OpenResult::Failed;
  }
  onData_ = std::move(onData);
  onFailure_ = std::move(onFailure);
  pump_.start();
  return OpenResult::Ok;
}

void PulseInput::Close() {
  pump_.stop();
  onData_ = nullptr;
  onFailure_ = nullptr;
  if (stream_ == nullptr) return;
  pa_stream_set_read_callback(stream_, nullptr, nullptr);
  if (PA_STREAM_IS_GOOD(pa_stream_get_state(stream_))) pa_stream_disconnect(stream_);
  pa_stream_unref(stream_);
  stream_ = nullptr;
}

void PulseInput::ReadStream() {
  while (stream_ != nullptr && pa_stream_readable_size(stream_) > 0) {
    const void* data = nullptr;
    std::size_t count = 0;
    if (pa_stream_peek(stream_, &data, &count) < 0 || count == 0) return;
    // A hole (data missing on the server's side) carries no samples.
    if (data != nullptr && onData_) onData_(static_cast<const std::uint8_t*>(data), count);
    pa_stream_drop(stream_);
  }
}

void PulseInput::Flush() {
  for (int i = 0; loop_ != nullptr && i < 64 && pa_mainloop_iterate(loop_, 0, nullptr) > 0; ++i) {
  }
}

void PulseInput::Pump() {
  if (stream_ == nullptr) return;
  Flush();
  if (PA_STREAM_IS_GOOD(pa_stream_get_state(stream_)) &&
      PA_CONTEXT_IS_GOOD(pa_context_get_state(context_)))
    return;
  // The server or the source went away: report once, from the event loop,
  // as the handler closes this stream.
  pump_.stop();
  auto failure = std::move(onFailure_);
  onFailure_ = nullptr;
  if (failure) QMetaObject::invokeMethod(this, std::move(failure), Qt::QueuedConnection);
}

}  // namespace vantrel
