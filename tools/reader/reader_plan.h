// What the virtual reader sends: its command line turned into the presses of each code.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace varnel::reader {

struct Plan {
  std::vector<int> bits;  // one code's presses, first press first: 1 long, 0 short
  int shortMs = 100;
  int longMs = 300;
  int gapMs = 50;      // between the release of one press and the next key-down
  int count = 1;       // codes, one second apart
  int watchMs = 3000;  // how long the light is watched after the last code
  bool help = false;
  bool version = false;
  std::optional<std::string> deviceDir;  // --device: play the reader as an input device there
};

struct ParseResult {
  std::optional<Plan> plan;
  std::string error;  // set when `plan` is empty
};

// varnel-reader [VALUE] [--bits BITS] [--bad-parity] [--cut N] [--short MS] [--long MS]
//               [--count K] [--watch MS] [--help] [--version]
// varnel-reader --device DIR
ParseResult ParseArguments(const std::vector<std::string>& args);

// The seven bits of `value`, most significant first, then the even-parity bit.
std::vector<int> CodeBits(int value);

// One change of F12 in a code, timed from the code's first press.
struct KeyStep {
  long long atMs;
  bool down;
};

// One code of `plan`: each press held for its bit, `gapMs` from a release to the next press.
// Every way of playing the reader sends these, so their timings agree.
std::vector<KeyStep> CodeSteps(const Plan& plan);

// From the last release of one code to the first press of the next.
constexpr int kBetweenCodesMs = 1000;

extern const char kUsage[];

}  // namespace varnel::reader
