// wayland-text-window: a one-line text field that prints what reaches it, as an ordinary Qt
// program on the compositor reads it: "text TEXT" for each key press that types text under the
// keymap in force ("\r" for Enter, "\t" for Tab), "ready" once it has the keyboard focus and
// "unfocused" when it loses it. It stands in for the program in front that Varnel types into.
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <cstdio>

namespace {

class TextWindow final : public QLineEdit {
 protected:
  // Tab would move the focus away before keyPressEvent heard of it.
  bool event(QEvent* event) override {
    if (event->type() == QEvent::KeyPress) {
      const auto* key = static_cast<QKeyEvent*>(event);
      QString shown = key->text();
      shown.replace(QLatin1Char('\r'), QStringLiteral("\\r"))
          .replace(QLatin1Char('\t'), QStringLiteral("\\t"));
      if (!shown.isEmpty()) std::printf("text %s\n", qPrintable(shown));
      std::fflush(stdout);
      if (key->key() == Qt::Key_Tab) return true;
    }
    return QLineEdit::event(event);
  }
  void focusInEvent(QFocusEvent* event) override {
    QLineEdit::focusInEvent(event);
    std::printf("ready\n");
    std::fflush(stdout);
  }
  void focusOutEvent(QFocusEvent* event) override {
    QLineEdit::focusOutEvent(event);
    std::printf("unfocused\n");
    std::fflush(stdout);
  }
};

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  TextWindow window;
  window.setWindowTitle(QStringLiteral("wayland-text-window"));
  window.resize(300, 40);
  window.show();
  return QApplication::exec();
}
