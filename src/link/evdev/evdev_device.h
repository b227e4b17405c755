// Kept for the includes that still name this file; the opener lives in evdev_opener.h.
#pragma once

#include "link/evdev/evdev_opener.h"
