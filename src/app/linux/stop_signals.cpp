#include "app/linux/stop_signals.h"

#include <sys/socket.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <csignal>

namespace varnel {
namespace {

// Never closed: a thread or a handler may still write to it as the program ends.
int wakePipe[2] = {-1, -1};

constexpr char kStop = 1;
constexpr char kActivate = 2;

void Wake(char why) {
  if (wakePipe[1] < 0) return;
  [[maybe_unused]] const ssize_t written = write(wakePipe[1], &why, 1);
}

void OnSignal(int signal) { Wake(signal == SIGUSR1 ? kActivate : kStop); }

}  // namespace

void RequestStop() { Wake(kStop); }

void StopOnSignals(QObject* parent, std::function<void()> stop, std::function<void()> activate) {
  if (wakePipe[0] < 0 && socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, wakePipe) != 0) return;
  auto* notifier = new QSocketNotifier(wakePipe[0], QSocketNotifier::Read, parent);
  QObject::connect(notifier, &QSocketNotifier::activated, parent, [stop, activate] {
    char why = kStop;
    [[maybe_unused]] const ssize_t got = read(wakePipe[0], &why, 1);
    if (why != kActivate) {
      stop();
    } else if (activate) {
      activate();
    }
  });
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaction(signal, &action, nullptr);
  if (activate) sigaction(SIGUSR1, &action, nullptr);
}

}  // namespace varnel
