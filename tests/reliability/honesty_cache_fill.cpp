#include "honesty_cache_fill.h"

namespace honesty {
#include "../ie/url_cache_fill.cpp"
}  // namespace honesty
