// The window beside a Varnel that runs as a service, in Qt's event loop: the service's stream is
// watched and each of its records shown in the window; once the stream ends, the window says why
// in a box and the event loop ends.
#pragma once

#include <QObject>
#include <QSocketNotifier>

#include "session/linux/followed_socket.h"
#include "ui/followed_view.h"
#include "ui/qt/form1_window.h"

namespace varnel {

class ServiceViewer : public QObject {
 public:
  // Loads `window` as the viewer of `running`'s codes, which come through `stream`, connected.
  ServiceViewer(Form1Window& window, const RunningVarnel& running, const FollowedSocket& stream);

 private:
  void Read();
  void End();

  Form1Window& window_;
  const FollowedSocket& stream_;
  FollowedView view_;
  QSocketNotifier notifier_;
};

}  // namespace varnel
