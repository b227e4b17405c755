#include "ui/qt/form_timers.h"

namespace varnel {

FormTimers::FormTimers(QObject* parent, std::function<void(TimerId)> tick) {
  for (TimerId id : kTimers) {
    const std::size_t index = static_cast<std::size_t>(id);
    QTimer* timer = timers_[index] = new QTimer(parent);
    timer->setObjectName(QStringLiteral("Timer%1").arg(index + 1));
    // Coarse timers may fire early; the display times and the quiet time are the behaviour.
    timer->setTimerType(Qt::PreciseTimer);
    timer->setInterval(TimerInterval(id));
    QObject::connect(timer, &QTimer::timeout, parent, [tick, id] { tick(id); });
  }
}

void FormTimers::SetEnabled(TimerId timer, bool enabled) {
  QTimer* t = timers_[static_cast<std::size_t>(timer)];
  if (enabled) {
    t->start();
  } else {
    t->stop();
  }
}

}  // namespace varnel
