// Hosts the direct link in a Qt event loop: watches its devices' descriptors and reads the
// device list again about once a second. The window and the program without one share it.
#pragma once

#include <QObject>
#include <functional>
#include <map>
#include <optional>

#include "link/direct_link.h"
#include "ui/form1.h"

class QSocketNotifier;
class QTimer;

namespace varnel {

class LinkDriver : public QObject, private LinkPort {
 public:
  using Clock = std::function<Tick()>;
  using DeviceList = std::function<std::optional<ReaderNodes>()>;

  // What the link hears goes straight to `listener`.
  LinkDriver(DirectLink& link, Clock clock, DeviceList devices, LinkListener& listener,
             QObject* parent);
  // `after` runs once the link has handled a scan or a read, for a window to show the outcome.
  void AfterEach(std::function<void()> after) { after_ = std::move(after); }

  // The start-up order of every Linux program with the link: the devices are looked for first,
  // so that the start-up light already shows on the reader; then `form` loads; and only then is
  // the list read again about once a second, so that a reader plugged in while the start-up
  // warning is open cannot feed a window whose capture is not armed yet.
  void Start(Form1& form);

 private:
  void Scan();
  void Watch(int fd, bool watch) override;
  void Say(const std::string& line) override;

  DirectLink& link_;
  Clock clock_;
  DeviceList devices_;
  LinkListener& listener_;
  std::function<void()> after_ = [] {};
  std::map<int, QSocketNotifier*> notifiers_;
  QTimer* scanTimer_;
};

}  // namespace varnel
