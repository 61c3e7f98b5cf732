// amplitude * 200 / t with truncation, without an integer division per pixel: the
// quotient is formed with a precomputed reciprocal and a small guard. For a below 65536
// and t up to 65535 a non-zero remainder adds at least 1/65535 to the quotient, far more
// than the guard, and the guard is far more than the reciprocal's rounding error, so
// the result always equals the integer division.
#pragma once

#include <cstdint>

namespace Movoda {

class AmplitudeScaler {
public:
    static constexpr uint32_t kFactor = 200;
    static constexpr double kGuard = 1e-6;

    AmplitudeScaler() : inverse_(0.0) {}
    explicit AmplitudeScaler(uint32_t time) : inverse_(time != 0 ? 1.0 / time : 0.0) {}

    // Signed 32-bit conversions on the way in and out (exact for these magnitudes), so
    // that loops calling this vectorise on baseline x86-64.
    uint32_t operator()(uint32_t amplitude) const {
        const int32_t product = static_cast<int32_t>(amplitude * kFactor);
        return static_cast<uint32_t>(
            static_cast<int32_t>(static_cast<double>(product) * inverse_ + kGuard));
    }

    // 1 / t (0 for t = 0), for loops that apply the same arithmetic to several pixels.
    double inverse() const { return inverse_; }

private:
    double inverse_;
};

}  // namespace Movoda
