// What starts Varnel's window when the user logs in, one per platform: an XDG autostart entry on
// Linux, a value of the user's Run key on Windows. It is the entry itself that is kept: turned
// off, what was written is removed.
#pragma once

#include <memory>
#include <string>

namespace varnel {

class LoginStart {
 public:
  virtual ~LoginStart() = default;
  // Whether the entry is there now.
  virtual bool On() = 0;
  // Writes the entry, or removes it; false, with `problem` said, when it could not.
  virtual bool Set(bool on, std::string& problem) = 0;
  // Where the entry is, for a person to look.
  virtual std::string Where() const = 0;
};

// The entry starts this program, by its full path.
std::unique_ptr<LoginStart> OpenLoginStart();

// The autostart entry on Linux that starts `program` (a full path), as the file's text.
std::string AutostartEntry(const std::string& program);

}  // namespace varnel
