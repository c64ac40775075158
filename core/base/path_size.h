#pragma once

#include <cstddef>

// Path buffers throughout: 260 characters and the terminator.
constexpr size_t kPathSize = 261;
