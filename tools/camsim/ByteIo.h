// Writing and reading fixed-width integers and floats at byte offsets, in either byte order.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace camsim {

inline void putU16(uint8_t* at, uint16_t v, bool bigEndian) {
    if (bigEndian) {
        at[0] = uint8_t(v >> 8);
        at[1] = uint8_t(v);
    } else {
        at[0] = uint8_t(v);
        at[1] = uint8_t(v >> 8);
    }
}

inline void putU32(uint8_t* at, uint32_t v, bool bigEndian) {
    for (int i = 0; i < 4; ++i) {
        const int shift = bigEndian ? 8 * (3 - i) : 8 * i;
        at[i] = uint8_t(v >> shift);
    }
}

inline void putU64(uint8_t* at, uint64_t v, bool bigEndian) {
    for (int i = 0; i < 8; ++i) {
        const int shift = bigEndian ? 8 * (7 - i) : 8 * i;
        at[i] = uint8_t(v >> shift);
    }
}

// Floats travel in the host's (little-endian) order on every link.
inline void putFloat(uint8_t* at, float v) {
    uint32_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    putU32(at, bits, false);
}

inline uint16_t getU16(const uint8_t* at, bool bigEndian) {
    return bigEndian ? uint16_t(at[0] << 8 | at[1]) : uint16_t(at[1] << 8 | at[0]);
}

inline uint32_t getU32(const uint8_t* at, bool bigEndian) {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) {
        const int shift = bigEndian ? 8 * (3 - i) : 8 * i;
        v |= uint32_t(at[i]) << shift;
    }
    return v;
}

inline uint64_t getU64(const uint8_t* at, bool bigEndian) {
    uint64_t v = 0;
    for (int i = 0; i < 8; ++i) {
        const int shift = bigEndian ? 8 * (7 - i) : 8 * i;
        v |= uint64_t(at[i]) << shift;
    }
    return v;
}

inline float getFloat(const uint8_t* at) {
    const uint32_t bits = getU32(at, false);
    float v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}

// Copies text into a fixed field, truncating, zero-filling the rest.
inline void putText(uint8_t* at, size_t field, const std::string& text) {
    std::memset(at, 0, field);
    std::memcpy(at, text.data(), text.size() < field ? text.size() : field);
}

}  // namespace camsim
