#include "app/termination_signals.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>
#include <QSocketNotifier>
#include <csignal>

namespace vantrel {
namespace {

int pipeFds[2] = {-1, -1};

extern "C" void OnTerminationSignal(int signalNumber) {
  const int savedErrno = errno;
  const unsigned char byte = static_cast<unsigned char>(signalNumber);
  // A full pipe means a close is already pending; nothing is lost.
  [[maybe_unused]] const ssize_t n = ::write(pipeFds[1], &byte, 1);
  errno = savedErrno;
}

void Install(void (*handler)(int)) {
  struct sigaction action {};
  action.sa_handler = handler;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGINT, &action, nullptr);
}

}  // namespace

TerminationSignals::TerminationSignals(QObject* parent) : QObject(parent) {
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, pipeFds) != 0) return;
  notifier_ = new QSocketNotifier(pipeFds[0], QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, &TerminationSignals::OnReadable);
  Install(OnTerminationSignal);
}

TerminationSignals::~TerminationSignals() {
  if (notifier_ == nullptr) return;
  Install(SIG_DFL);
  ::close(pipeFds[0]);
  ::close(pipeFds[1]);
  pipeFds[0] = pipeFds[1] = -1;
}

void TerminationSignals::OnReadable() {
  unsigned char byte = 0;
  while (::read(pipeFds[0], &byte, 1) == 1) emit terminationRequested(byte);
}

}  // namespace vantrel
