// The kept choices on Linux: Qt's settings in INI form, in the user's XDG configuration folder.
#include <QSettings>

#include "choices/choice_store.h"
#include "choices/linux/config_files.h"

namespace varnel {
namespace {

std::string StatusProblem(QSettings::Status status) {
  switch (status) {
    case QSettings::AccessError:
      return "it cannot be opened";
    case QSettings::FormatError:
      return "it is not in the settings' format";
    case QSettings::NoError:
      break;
  }
  return {};
}

class SettingsStore final : public ChoiceStore {
 public:
  SettingsStore() : path_(ConfigPath(QStringLiteral("varnel/varnel.conf"))) {}

  Read ReadAll() override {
    Read read;
    QSettings settings(path_, QSettings::IniFormat);
    read.problem = StatusProblem(settings.status());
    for (const QString& key : settings.allKeys()) {
      // A line with no name has no value to ask for, and is reported all the same.
      if (key.isEmpty()) {
        read.values[""] = "";
        continue;
      }
      // A value with commas comes back as a list.
      const QVariant value = settings.value(key);
      const QString text = value.typeId() == QMetaType::QStringList
                               ? value.toStringList().join(QLatin1Char(','))
                               : value.toString();
      read.values[key.toStdString()] = text.toStdString();
    }
    return read;
  }

  bool Keep(const KeptValues& values, std::string& problem) override {
    QSettings settings(path_, QSettings::IniFormat);
    for (const auto& [name, value] : values) {
      settings.setValue(QString::fromStdString(name), QString::fromStdString(value));
    }
    settings.sync();
    problem = StatusProblem(settings.status());
    return problem.empty();
  }

  bool Forget(std::string& problem) override { return RemoveConfigFile(path_, problem); }

  std::string Where() const override { return path_.toStdString(); }

 private:
  QString path_;
};

}  // namespace

std::unique_ptr<ChoiceStore> OpenChoiceStore() { return std::make_unique<SettingsStore>(); }

}  // namespace varnel
