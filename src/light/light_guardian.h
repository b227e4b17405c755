// A guardian for the lights: a small process of its own, started with the program, that puts out
// the lights the program left on once the program has gone, however it went (killed, crashed,
// its display gone). The program tells it each change of what it has lit (see GuardedLight);
// the pipe between them closing is how it learns that the program has gone. It then puts out
// what was lit, and ends at once.
#pragma once

#include <memory>

#include "light/lit_lights.h"

namespace varnel {

// Starts the guardian. Null when it cannot be started: the program works on without one.
std::unique_ptr<LightGuard> StartLightGuardian();

// The guardian itself, in its own process, its standard input the pipe: the exit status.
int RunLightGuardian();

}  // namespace varnel
