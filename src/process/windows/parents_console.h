// A program of the window subsystem has no console: what it writes goes to a file or a pipe it
// was given, or else to the console of the program that started it, if there is one.
#pragma once

namespace varnel {

// Points standard output and standard error that lead nowhere at the starting program's console.
void UseParentsConsole();

}  // namespace varnel
