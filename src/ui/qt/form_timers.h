// Every timer of TimerId as a Qt timer, for the window and for the program without one.
#pragma once

#include <QObject>
#include <QTimer>
#include <array>
#include <functional>

#include "ui/form1.h"

namespace varnel {

class FormTimers {
 public:
  // `tick` runs on each timeout of a timer, with its id.
  FormTimers(QObject* parent, std::function<void(TimerId)> tick);
  // Enabling restarts a running timer's period.
  void SetEnabled(TimerId timer, bool enabled);

 private:
  std::array<QTimer*, kTimers.size()> timers_{};
};

}  // namespace varnel
