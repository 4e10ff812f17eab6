#pragma once

// Loads of fixed-width integers from raw bytes in a stated byte order. Callers check the bounds
// before they call these; the functions themselves read exactly the bytes they name.

#include <cstddef>
#include <cstdint>

namespace sx {

inline std::uint16_t loadU16Le(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

inline std::uint16_t loadU16Be(const std::uint8_t* p) {
    return static_cast<std::uint16_t>((p[0] << 8) | p[1]);
}

inline std::uint32_t loadU32Le(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

inline std::uint32_t loadU32Be(const std::uint8_t* p) {
    return (static_cast<std::uint32_t>(p[0]) << 24) | (static_cast<std::uint32_t>(p[1]) << 16) |
           (static_cast<std::uint32_t>(p[2]) << 8) | static_cast<std::uint32_t>(p[3]);
}

inline std::int16_t loadS16Le(const std::uint8_t* p) {
    return static_cast<std::int16_t>(loadU16Le(p));
}

inline std::int16_t loadS16Be(const std::uint8_t* p) {
    return static_cast<std::int16_t>(loadU16Be(p));
}

inline std::int16_t loadS16(const std::uint8_t* p, bool bigEndian) {
    return bigEndian ? loadS16Be(p) : loadS16Le(p);
}

inline std::uint32_t loadU32(const std::uint8_t* p, bool bigEndian) {
    return bigEndian ? loadU32Be(p) : loadU32Le(p);
}

inline void storeU16Le(std::uint8_t* p, std::uint16_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}

inline void storeU32Le(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        p[i] = static_cast<std::uint8_t>(v >> (8 * i));
    }
}

// Block ids compare as big-endian 32-bit values of their four ASCII characters.
constexpr std::uint32_t fourCc(const char (&id)[5]) {
    return (static_cast<std::uint32_t>(static_cast<unsigned char>(id[0])) << 24) |
           (static_cast<std::uint32_t>(static_cast<unsigned char>(id[1])) << 16) |
           (static_cast<std::uint32_t>(static_cast<unsigned char>(id[2])) << 8) |
           static_cast<std::uint32_t>(static_cast<unsigned char>(id[3]));
}

}  // namespace sx
