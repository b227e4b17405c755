#include "ui/qt/stop_signals.h"

#include <sys/socket.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <csignal>

namespace varnel {
namespace {

// Never closed: a thread or a handler may still write to it as the program ends.
int wakePipe[2] = {-1, -1};

void OnSignal(int) { RequestStop(); }

}  // namespace

void RequestStop() {
  if (wakePipe[1] < 0) return;
  const char byte = 1;
  [[maybe_unused]] const ssize_t written = write(wakePipe[1], &byte, 1);
}

void StopOnSignals(QObject* parent, std::function<void()> stop) {
  if (wakePipe[0] < 0 && socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, wakePipe) != 0) return;
  auto* notifier = new QSocketNotifier(wakePipe[0], QSocketNotifier::Read, parent);
  QObject::connect(notifier, &QSocketNotifier::activated, parent, [stop = std::move(stop)] {
    char byte;
    [[maybe_unused]] const ssize_t got = read(wakePipe[0], &byte, 1);
    stop();
  });
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaction(signal, &action, nullptr);
}

}  // namespace varnel
