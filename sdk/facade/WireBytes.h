// Reading and writing multi-byte payload fields in either byte order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace Movoda::facade::wire {

inline void putU16(std::vector<uint8_t>& out, uint16_t value, bool bigEndian) {
    const uint8_t hi = static_cast<uint8_t>(value >> 8), lo = static_cast<uint8_t>(value);
    out.push_back(bigEndian ? hi : lo);
    out.push_back(bigEndian ? lo : hi);
}

inline void putU32(std::vector<uint8_t>& out, uint32_t value, bool bigEndian) {
    for (int i = 0; i < 4; ++i) {
        const int shift = bigEndian ? 8 * (3 - i) : 8 * i;
        out.push_back(static_cast<uint8_t>(value >> shift));
    }
}

// IEEE-754 single precision, least significant byte first.
inline void putFloatLe(std::vector<uint8_t>& out, float value) {
    uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    putU32(out, bits, false);
}

inline uint16_t getU16(const uint8_t* p, bool bigEndian) {
    return bigEndian ? static_cast<uint16_t>((p[0] << 8) | p[1])
                     : static_cast<uint16_t>((p[1] << 8) | p[0]);
}

inline uint32_t getU32(const uint8_t* p, bool bigEndian) {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v = (v << 8) | p[bigEndian ? i : 3 - i];
    return v;
}

inline float getFloatLe(const uint8_t* p) {
    const uint32_t bits = getU32(p, false);
    float value = 0;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// Text that ends at its first zero byte or at the end of its field.
inline std::string getText(const uint8_t* p, size_t fieldBytes) {
    const void* zero = std::memchr(p, 0, fieldBytes);
    const size_t n = zero ? static_cast<size_t>(static_cast<const uint8_t*>(zero) - p) : fieldBytes;
    return std::string(reinterpret_cast<const char*>(p), n);
}

}  // namespace Movoda::facade::wire
