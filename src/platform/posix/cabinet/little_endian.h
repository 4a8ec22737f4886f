#pragma once

// Every number in a cabinet is stored least significant byte first.

#include <cstdint>

namespace vantrel {

inline std::uint16_t ReadLe16(const unsigned char* bytes) {
    return static_cast<std::uint16_t>(bytes[0] | bytes[1] << 8);
}

inline std::uint32_t ReadLe32(const unsigned char* bytes) {
    return bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

}  // namespace vantrel
