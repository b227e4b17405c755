// Starting at login on Linux: an XDG autostart entry in the user's configuration folder, which
// starts the window through the `varnel` program beside this one.
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#include "choices/linux/config_files.h"
#include "choices/login_start.h"
#include "process/linux/sibling_program.h"

namespace varnel {
namespace {

class AutostartEntryFile final : public LoginStart {
 public:
  AutostartEntryFile() : path_(ConfigPath(QStringLiteral("autostart/varnel.desktop"))) {}

  bool On() override { return QFileInfo::exists(path_); }

  bool Set(bool on, std::string& problem) override {
    if (!on) return RemoveConfigFile(path_, problem);
    if (!QDir().mkpath(QFileInfo(path_).path())) {
      problem = "cannot make its folder";
      return false;
    }
    // Written whole or not at all: a desktop that reads it at the wrong moment finds no half.
    QSaveFile file(path_);
    const std::string entry = AutostartEntry(SiblingProgram("varnel"));
    if (file.open(QIODevice::WriteOnly) &&
        file.write(entry.data(), static_cast<qint64>(entry.size())) ==
            static_cast<qint64>(entry.size()) &&
        file.commit()) {
      return true;
    }
    problem = file.errorString().toStdString();
    return false;
  }

  std::string Where() const override { return path_.toStdString(); }

 private:
  QString path_;
};

}  // namespace

std::unique_ptr<LoginStart> OpenLoginStart() { return std::make_unique<AutostartEntryFile>(); }

}  // namespace varnel
