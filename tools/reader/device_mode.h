// varnel-reader --device DIR: the reader played as an input device, driven from standard input.
#pragma once

#include <string>

namespace varnel::reader {

// Serves until "quit", the end of the input or SIGTERM, SIGINT, SIGHUP; returns the exit status.
int RunDeviceMode(const std::string& dir);

}  // namespace varnel::reader
