// SIGTERM and SIGINT close the program the way File > Exit does. The signal
// handler only writes one byte to a pipe; the event loop reads it and emits
// terminationRequested on the user-interface thread.
#pragma once

#include <QObject>

class QSocketNotifier;

namespace vantrel {

class TerminationSignals : public QObject {
  Q_OBJECT

 public:
  // Installs the handlers; only one instance may exist at a time.
  explicit TerminationSignals(QObject* parent = nullptr);
  ~TerminationSignals() override;

 signals:
  void terminationRequested(int signalNumber);

 private:
  void OnReadable();
  QSocketNotifier* notifier_ = nullptr;
};

}  // namespace vantrel
