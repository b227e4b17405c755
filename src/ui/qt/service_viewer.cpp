#include "ui/qt/service_viewer.h"

#include <unistd.h>

#include <QApplication>
#include <QMessageBox>
#include <cerrno>

#include "process/standard_output.h"

namespace varnel {

ServiceViewer::ServiceViewer(Form1Window& window, const RunningVarnel& running,
                             const FollowedSocket& stream)
    : window_(window),
      stream_(stream),
      view_(window.Logic(), running),
      notifier_(stream.Stream(), QSocketNotifier::Read) {
  connect(&notifier_, &QSocketNotifier::activated, this, [this] { Read(); });
  SayOnStandardError(view_.StartLine());
  window_.Render();
}

void ServiceViewer::Read() {
  char buffer[16384];
  const ssize_t got = read(stream_.Stream(), buffer, sizeof buffer);
  if (got < 0 && (errno == EINTR || errno == EAGAIN)) return;
  const bool more = got > 0 && view_.Take(std::string_view(buffer, static_cast<std::size_t>(got)));
  window_.Render();
  if (!more) End();
}

void ServiceViewer::End() {
  notifier_.setEnabled(false);
  const bool ended = stream_.ServerEnds();
  SayOnStandardError(view_.EndLine(ended));
  QMessageBox box(QMessageBox::Information, window_.windowTitle(),
                  QString::fromStdString(view_.EndText(ended)), QMessageBox::Ok, &window_);
  box.exec();
  window_.close();
}

}  // namespace varnel
