#include <string_view>

#include "choices/login_start.h"

namespace varnel {
namespace {

// The characters that freedesktop.org's desktop entry format reserves in a command line: an
// argument holding any of them is quoted.
constexpr std::string_view kReserved = " \t\n\"'\\><~|&;$*?#()`";

// `program` as the Exec key's one argument: quoted where it must be, with what is special inside
// quotes escaped, then escaped again as the value of a string key. A per cent sign would start a
// field code.
std::string ExecArgument(const std::string& program) {
  std::string argument;
  const bool quoted = program.find_first_of(kReserved) != std::string::npos;
  for (const char c : program) {
    if (quoted && (c == '"' || c == '`' || c == '$' || c == '\\')) argument += '\\';
    if (c == '%') argument += '%';
    argument += c;
  }
  if (quoted) argument = '"' + argument + '"';
  std::string value;
  for (const char c : argument) {
    if (c == '\\') {
      value += "\\\\";
    } else if (c == '\n') {
      value += "\\n";
    } else if (c == '\t') {
      value += "\\t";
    } else {
      value += c;
    }
  }
  return value;
}

}  // namespace

std::string AutostartEntry(const std::string& program) {
  return "[Desktop Entry]\n"
         "Type=Application\n"
         "Name=Varnel\n"
         "Comment=Starts Varnel's window at login, as chosen in its menu\n"
         "Comment[it]=Avvia la finestra di Varnel all'accesso, come scelto nel suo menu\n"
         "Exec=" +
         ExecArgument(program) +
         "\n"
         "Icon=varnel\n"
         "Terminal=false\n"
         "X-GNOME-Autostart-enabled=true\n";
}

}  // namespace varnel
