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

    AmplitudeScaler() : inverse_(0.0) {}
    explicit AmplitudeScaler(uint32_t time) : inverse_(time != 0 ? 1.0 / time : 0.0) {}

    uint32_t operator()(uint32_t amplitude) const {
        return static_cast<uint32_t>(static_cast<double>(amplitude * kFactor) * inverse_ + kGuard);
    }

private:
    static constexpr double kGuard = 1e-6;
    double inverse_;
};

}  // namespace Movoda
