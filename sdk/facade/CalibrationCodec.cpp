#include "facade/CalibrationCodec.h"

#include <array>

#include "facade/WireBytes.h"

namespace Movoda::facade {

namespace {

constexpr size_t kFloatBytes = 4;

std::array<float LensParams::*, 9> lensFields() {
    return {&LensParams::fx, &LensParams::fy, &LensParams::cx, &LensParams::cy, &LensParams::k1,
            &LensParams::k2, &LensParams::k3, &LensParams::p1, &LensParams::p2};
}

std::array<float ImuExtrinsic::*, 7> imuFields() {
    return {&ImuExtrinsic::qw, &ImuExtrinsic::qx, &ImuExtrinsic::qy, &ImuExtrinsic::qz,
            &ImuExtrinsic::tx, &ImuExtrinsic::ty, &ImuExtrinsic::tz};
}

static_assert(9 * kFloatBytes == kLensParamsWireSize, "lens record is nine floats");
static_assert(7 * kFloatBytes == kImuExtrinsicWireSize, "IMU record is seven floats");

}  // namespace

std::vector<uint8_t> encodeLensParams(const LensParams& params) {
    std::vector<uint8_t> out;
    out.reserve(kLensParamsWireSize);
    for (auto field : lensFields()) wire::putFloatLe(out, params.*field);
    return out;
}

std::optional<LensParams> decodeLensParams(const uint8_t* data, size_t size) {
    if (data == nullptr || size != kLensParamsWireSize) return std::nullopt;
    LensParams params;
    size_t offset = 0;
    for (auto field : lensFields()) {
        params.*field = wire::getFloatLe(data + offset);
        offset += kFloatBytes;
    }
    return params;
}

std::vector<uint8_t> encodeImuExtrinsic(const ImuExtrinsic& extrinsic) {
    std::vector<uint8_t> out;
    out.reserve(kImuExtrinsicWireSize);
    for (auto field : imuFields()) wire::putFloatLe(out, extrinsic.*field);
    return out;
}

std::optional<ImuExtrinsic> decodeImuExtrinsic(const uint8_t* data, size_t size) {
    if (data == nullptr || size != kImuExtrinsicWireSize) return std::nullopt;
    ImuExtrinsic extrinsic;
    size_t offset = 0;
    for (auto field : imuFields()) {
        extrinsic.*field = wire::getFloatLe(data + offset);
        offset += kFloatBytes;
    }
    return extrinsic;
}

}  // namespace Movoda::facade
