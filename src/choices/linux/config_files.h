// The user's own configuration files on Linux, where both the kept choices and the start at
// login are written.
#pragma once

#include <QFile>
#include <QStandardPaths>
#include <QString>
#include <string>

namespace varnel {

// `relative` in $XDG_CONFIG_HOME, or in ~/.config when that is unset.
inline QString ConfigPath(const QString& relative) {
  return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + '/' + relative;
}

// Removes the file at `path`, if it is there; false, with `problem` said, when it cannot.
inline bool RemoveConfigFile(const QString& path, std::string& problem) {
  QFile file(path);
  if (!file.exists() || file.remove()) return true;
  problem = file.errorString().toStdString();
  return false;
}

}  // namespace varnel
