// The name of one run of Varnel: drawn once when it starts and carried by all its records, so
// that with the records' numbers it names each code once, even across restarts of a service.
#pragma once

#include <cstdint>
#include <string>

namespace varnel {

// 16 hexadecimal digits, lower case, zeros kept.
std::string RunIdText(std::uint64_t bits);

// A new run's name, from the system's random source.
std::string NewRunId();

}  // namespace varnel
