#include "ui/qt/link_driver.h"

#include <QSocketNotifier>
#include <QTimer>
#include <cstdio>

namespace varnel {

LinkDriver::LinkDriver(DirectLink& link, Clock clock, DeviceList devices, Client& client,
                       QObject* parent)
    : QObject(parent),
      link_(link),
      clock_(std::move(clock)),
      devices_(std::move(devices)),
      client_(client) {
  // Cheap, and no wake-ups in between.
  scanTimer_ = new QTimer(this);
  scanTimer_->setObjectName(QStringLiteral("DeviceScanTimer"));
  scanTimer_->setTimerType(Qt::PreciseTimer);
  scanTimer_->setInterval(kScanIntervalMs);
  connect(scanTimer_, &QTimer::timeout, this, [this] { Scan(); });
}

void LinkDriver::Scan() { link_.Scan(devices_(), clock_(), *this); }

void LinkDriver::StartScanning() { scanTimer_->start(); }

void LinkDriver::ReaderF12(bool down, Tick eventTime, Tick handled) {
  client_.ReaderF12(down, KeyTime{eventTime, handled});
}

void LinkDriver::CutCode(bool evenIfFull) { client_.CutCode(evenIfFull); }

void LinkDriver::LinkChanged(const LinkStatus& status) { client_.LinkChanged(status); }

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
  connect(notifier, &QSocketNotifier::activated, this,
          [this, fd] { link_.Read(fd, clock_(), *this); });
  notifiers_[fd] = notifier;
}

void LinkDriver::Say(const std::string& line) { std::fprintf(stderr, "%s\n", line.c_str()); }

}  // namespace varnel
