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

class LinkDriver : public QObject, private LinkHost {
 public:
  // What the link has for the program.
  class Client {
   public:
    virtual void ReaderF12(bool down, KeyTime time) = 0;
    virtual void CutCode(bool evenIfFull) = 0;
    virtual void LinkChanged(const LinkStatus& status) = 0;

   protected:
    ~Client() = default;
  };
  using Clock = std::function<Tick()>;
  using DeviceList = std::function<std::optional<ReaderNodes>()>;

  LinkDriver(DirectLink& link, Clock clock, DeviceList devices, Client& client, QObject* parent);

  // Reads the device list now.
  void Scan();
  // From now on, again about once a second.
  void StartScanning();

 private:
  void ReaderF12(bool down, Tick eventTime, Tick handled) override;
  void CutCode(bool evenIfFull) override;
  void LinkChanged(const LinkStatus& status) override;
  void Watch(int fd, bool watch) override;
  void Say(const std::string& line) override;

  DirectLink& link_;
  Clock clock_;
  DeviceList devices_;
  Client& client_;
  std::map<int, QSocketNotifier*> notifiers_;
  QTimer* scanTimer_;
};

}  // namespace varnel
