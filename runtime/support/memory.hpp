#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace runtime::support {

// Copies length bytes and returns the byte just past the copy, so copies can be chained.
// Overlapping ranges are copied as if through a temporary.
inline std::uint8_t* CopyBytes(const void* source, void* destination, std::size_t length) {
    if (length != 0) std::memmove(destination, source, length);
    return static_cast<std::uint8_t*>(destination) + length;
}

}  // namespace runtime::support
