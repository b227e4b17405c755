// How the window names the link in use, for the tooltip of the reader's frame.
#pragma once

#include <string>

#include "link/reader_link.h"

namespace varnel {

// In Italian: the link in use and, when it is not the direct one, why, and whether the light
// reaches the reader.
std::string LinkTooltip(const LinkStatus& status);

}  // namespace varnel
