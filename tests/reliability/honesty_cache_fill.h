#pragma once
// The IE tests' cache-fill helpers, for this program under a namespace of its own: another test
// of the program may compile the same helpers without the two clashing at link time.
#include <windows.h>
#include <wininet.h>

#include <fstream>
#include <string>
#include <vector>

namespace honesty {
#include "../ie/url_cache_fill.h"
}  // namespace honesty
