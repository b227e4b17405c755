// A terminal's Ctrl+C, a kill or a hang-up ends the program through its event loop, the ordinary
// way, so that the light is switched off as on any close. So does any thread that asks.
#pragma once

#include <QObject>
#include <functional>

namespace varnel {

// Runs `stop` in the event loop on SIGINT, SIGTERM and SIGHUP, and on RequestStop; and
// `activate`, if given, on SIGUSR1, a second start's request to come to the front (which is
// ignored otherwise).
void StopOnSignals(QObject* parent, std::function<void()> stop,
                   std::function<void()> activate = {});
// Safe from any thread and from a signal handler; nothing happens before StopOnSignals.
void RequestStop();

}  // namespace varnel
