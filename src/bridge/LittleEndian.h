#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

// Little-endian fields of the binary Excel formats; the caller has checked the bounds.
inline uint16_t LittleU16(std::string_view bytes, size_t at) {
    return static_cast<uint16_t>(static_cast<unsigned char>(bytes[at]) |
                                 static_cast<unsigned char>(bytes[at + 1]) << 8);
}

inline uint32_t LittleU32(std::string_view bytes, size_t at) {
    return static_cast<uint32_t>(LittleU16(bytes, at)) |
           static_cast<uint32_t>(LittleU16(bytes, at + 2)) << 16;
}
