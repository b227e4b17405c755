// The programs that come with varnel: beside it in the build, in the package's own folder once
// installed (varnel in /usr/bin, the others in /usr/lib/varnel).
#pragma once

#include <string>

namespace varnel {

std::string SiblingProgram(const std::string& name);

}  // namespace varnel
