// The commands that drive the reader while it plays an input device: one line of its input each.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "reader/reader_plan.h"

namespace varnel::reader {

enum class CommandKind {
  kCode,
  kDown,
  kUp,
  kRepeat,
  kKey,
  kSleep,
  kUnplug,
  kPlug,
  kDeny,
  kAllow,
  kLed,
  kSetLed,
  kQuit
};

struct Command {
  CommandKind kind;
  Plan plan;        // kCode
  int key = 0;      // kKey: its code (KEY_A...)
  int ms = 0;       // kSleep
  bool on = false;  // kSetLed
};

struct CommandResult {
  std::optional<Command> command;
  std::string error;  // set when `command` is empty
};

// "code ARGS...", "down", "up", "repeat", "key NAME", "sleep MS", "unplug", "plug", "deny",
// "allow", "led", "set-led on|off", "quit". Key names are the kernel's without KEY_, in any case:
// a, enter, f11.
CommandResult ParseCommand(std::string_view line);

}  // namespace varnel::reader
