#include "output/wayland/mutter_remote_desktop.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QObject>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

namespace varnel {
namespace {

using Clock = std::chrono::steady_clock;

const QString kService = QStringLiteral("org.gnome.Mutter.RemoteDesktop");
const QString kSessionInterface = QStringLiteral("org.gnome.Mutter.RemoteDesktop.Session");
// A connection of Varnel's own: mutter ends a session when the connection that made it closes,
// and takes its calls from that connection alone.
const QString kConnection = QStringLiteral("varnel-typing");
constexpr int kCallMs = 2000;
// Asked before each code, on the window's thread: an answer that long in coming is none.
constexpr int kScreenSaverMs = 250;

constexpr std::uint32_t kReturn = 0xff0d, kTab = 0xff09;
// A symbol on no key: mutter drops it with a warning in its log, and no program sees it.
constexpr std::uint32_t kVoidSymbol = 0xffffff;
// Mutter makes a session's keyboard at its first key; a seat that had no keyboard before gains
// one then, each program asks for it, and keys sent before it has are lost to it. This long is
// ample for that.
constexpr auto kNewKeyboardSettles = std::chrono::milliseconds(100);

// Mutter's Closed comes on the window's thread, which runs Qt's loop, while a code may be under
// way on another.
class ClosedWatch final : public QObject, protected QDBusContext {
  Q_OBJECT
 public:
  void Watch(const QString& path) {
    const std::lock_guard lock(mutex_);
    path_ = path;
    closed_ = false;
  }
  bool Closed() {
    const std::lock_guard lock(mutex_);
    return closed_;
  }

 public Q_SLOTS:
  void OnClosed() {
    const std::lock_guard lock(mutex_);
    if (message().path() == path_) closed_ = true;
  }

 private:
  std::mutex mutex_;
  QString path_;
  bool closed_ = false;
};

QString ErrorOf(const QDBusMessage& reply) {
  return reply.errorMessage().isEmpty() ? reply.errorName() : reply.errorMessage();
}

class MutterTyping final : public TypingPort {
 public:
  MutterTyping(QDBusConnection bus, std::function<bool()> ownWindowActive)
      : bus_(std::move(bus)), ownWindowActive_(std::move(ownWindowActive)) {
    bus_.connect(kService, QString(), kSessionInterface, QStringLiteral("Closed"), &watch_,
                 SLOT(OnClosed()));
  }
  ~MutterTyping() override {
    bus_.disconnect(kService, QString(), kSessionInterface, QStringLiteral("Closed"), &watch_,
                    SLOT(OnClosed()));
    QDBusConnection::disconnectFromBus(kConnection);
  }

  // A session, started; false with `problem` said if mutter will not give one.
  bool MakeSession(std::string& problem) {
    session_.clear();
    const QDBusMessage made = bus_.call(
        QDBusMessage::createMethodCall(kService, QStringLiteral("/org/gnome/Mutter/RemoteDesktop"),
                                       kService, QStringLiteral("CreateSession")),
        QDBus::Block, kCallMs);
    if (made.type() != QDBusMessage::ReplyMessage || made.arguments().empty()) {
      problem = "mutter gives no remote-desktop session: " + ErrorOf(made).toStdString();
      return false;
    }
    const QString path = made.arguments().front().value<QDBusObjectPath>().path();
    watch_.Watch(path);
    const QDBusMessage started = Call(path, QStringLiteral("Start"), {});
    if (started.type() != QDBusMessage::ReplyMessage) {
      problem = "mutter does not start a remote-desktop session: " + ErrorOf(started).toStdString();
      return false;
    }
    session_ = path;
    // The first key makes the session's keyboard: one that no program sees.
    Key(kVoidSymbol, true);
    Key(kVoidSymbol, false);
    readyAt_ = Clock::now() + kNewKeyboardSettles;
    return true;
  }

  bool OwnWindowInFront() override { return ownWindowActive_(); }
  bool Slow() override { return true; }

  // Mutter tells a session the Caps Lock and Num Lock states alone, and Wayland tells a client
  // the modifiers only as they apply to its own windows: a modifier held on the person's keyboard
  // is not known here, and mutter reads the symbols sent with it.
  bool ModifierHeld() override { return false; }

  std::optional<Untyped> Barred() override {
    if (ScreenSaverActive()) return Untyped::Locked;
    return std::nullopt;
  }

  bool Type(std::string_view text, TypeEnd end, std::int32_t pauseMs,
            TypingFailure& failure) override {
    failure.cause = Untyped::Ended;
    std::vector<std::uint32_t> syms(text.begin(), text.end());  // digits: their keysym is ASCII
    if (end == TypeEnd::Enter) syms.push_back(kReturn);
    if (end == TypeEnd::Tab) syms.push_back(kTab);
    // A session that mutter ended (the screen locked, the person stopped it) is made anew, and
    // so is one found gone at the first key, before the Closed that says so has come.
    for (bool anew = false;; anew = true) {
      if ((session_.isEmpty() || watch_.Closed()) && !MakeSession(failure.problem)) return false;
      std::this_thread::sleep_until(readyAt_);
      std::size_t sent = 0;
      for (; sent < syms.size(); ++sent) {
        if (sent > 0 && pauseMs > 0)
          std::this_thread::sleep_for(std::chrono::milliseconds(pauseMs));
        if (!Key(syms[sent], true) || !Key(syms[sent], false)) break;
      }
      if (sent == syms.size()) return true;
      session_.clear();
      if (sent > 0 || anew) break;
    }
    // Mutter ends its sessions as the screen locks, as far as it is told: a lock is then why,
    // as the person sees it. Any other end is the means of typing going away.
    const bool locked = ScreenSaverActive();
    failure.cause = locked ? Untyped::Locked : Untyped::Ended;
    failure.problem = locked ? "the screen locked while Varnel typed it"
                             : "mutter ended the remote-desktop session while Varnel typed it";
    return false;
  }

 private:
  QDBusMessage Call(const QString& path, const QString& method, const QVariantList& args) {
    QDBusMessage call = QDBusMessage::createMethodCall(kService, path, kSessionInterface, method);
    call.setArguments(args);
    return bus_.call(call, QDBus::Block, kCallMs);
  }
  bool Key(std::uint32_t keysym, bool pressed) {
    return Call(session_, QStringLiteral("NotifyKeyboardKeysym"), {keysym, pressed}).type() ==
           QDBusMessage::ReplyMessage;
  }

  bool ScreenSaverActive() {
    const QDBusMessage reply = bus_.call(
        QDBusMessage::createMethodCall(
            QStringLiteral("org.gnome.ScreenSaver"), QStringLiteral("/org/gnome/ScreenSaver"),
            QStringLiteral("org.gnome.ScreenSaver"), QStringLiteral("GetActive")),
        QDBus::Block, kScreenSaverMs);
    return reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().empty() &&
           reply.arguments().front().toBool();
  }

  QDBusConnection bus_;
  std::function<bool()> ownWindowActive_;
  ClosedWatch watch_;
  QString session_;  // the path of the session in use, empty for none
  Clock::time_point readyAt_;
};

QDBusConnection Bus() {
  return QDBusConnection::connectToBus(QDBusConnection::SessionBus, kConnection);
}

}  // namespace

bool MutterRemoteDesktopOffered() {
  const QDBusConnection bus = Bus();
  const bool offered = bus.isConnected() && bus.interface()->isServiceRegistered(kService).value();
  if (!offered) QDBusConnection::disconnectFromBus(kConnection);
  return offered;
}

std::unique_ptr<TypingPort> OpenMutterTyping(std::function<bool()> ownWindowActive,
                                             std::string& problem) {
  QDBusConnection bus = Bus();
  if (!bus.isConnected()) {
    problem = "no session bus: " + bus.lastError().message().toStdString();
    return nullptr;
  }
  // The session is made when the first code is typed: while it lives GNOME shows that the
  // screen is shared, which a Varnel that types nothing has no reason for.
  return std::make_unique<MutterTyping>(bus, std::move(ownWindowActive));
}

}  // namespace varnel

#include "mutter_remote_desktop.moc"
