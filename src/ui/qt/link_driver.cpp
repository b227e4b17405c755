#include "ui/qt/link_driver.h"

#include <QSocketNotifier>
#include <QTimer>
#include <cstdio>

namespace varnel {

LinkDriver::LinkDriver(DirectLink& link, Clock clock, DeviceList devices, LinkListener& listener,
                       QObject* parent)
    : QObject(parent),
      link_(link),
      clock_(std::move(clock)),
      devices_(std::move(devices)),
      listener_(listener) {
  // Cheap, and no wake-ups in between.
  scanTimer_ = new QTimer(this);
  scanTimer_->setObjectName(QStringLiteral("DeviceScanTimer"));
  scanTimer_->setTimerType(Qt::PreciseTimer);
  scanTimer_->setInterval(kScanIntervalMs);
  connect(scanTimer_, &QTimer::timeout, this, [this] { Scan(); });
}

void LinkDriver::Scan() {
  link_.Scan(devices_(), clock_(), *this, listener_);
  after_();
}

void LinkDriver::Start(Form1& form) {
  Scan();
  form.Load();
  scanTimer_->start();
}

void LinkDriver::Watch(int fd, bool watch) {
  if (!watch) {
    // It may be the notifier whose signal is being handled: it goes once that is over.
    if (const auto it = notifiers_.find(fd); it != notifiers_.end()) {
      it->second->setEnabled(false);
      it->second->deleteLater();
      notifiers_.erase(it);
    }
    return;
  }
  auto* notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
  connect(notifier, &QSocketNotifier::activated, this, [this, fd] {
    link_.Read(fd, clock_(), *this, listener_);
    after_();
  });
  notifiers_[fd] = notifier;
}

void LinkDriver::Say(const std::string& line) { std::fprintf(stderr, "%s\n", line.c_str()); }

}  // namespace varnel
