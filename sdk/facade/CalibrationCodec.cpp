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

// Both records are plain runs of little-endian floats in field order.
template <typename Record, size_t N>
std::vector<uint8_t> encodeFloats(const Record& record, const std::array<float Record::*, N>& fields) {
    std::vector<uint8_t> out;
    out.reserve(N * kFloatBytes);
    for (auto field : fields) wire::putFloatLe(out, record.*field);
    return out;
}

template <typename Record, size_t N>
std::optional<Record> decodeFloats(const uint8_t* data, size_t size,
                                   const std::array<float Record::*, N>& fields) {
    if (data == nullptr || size != N * kFloatBytes) return std::nullopt;
    Record record;
    for (size_t i = 0; i < N; ++i) record.*fields[i] = wire::getFloatLe(data + i * kFloatBytes);
    return record;
}

}  // namespace

std::vector<uint8_t> encodeLensParams(const LensParams& params) {
    return encodeFloats(params, lensFields());
}

std::optional<LensParams> decodeLensParams(const uint8_t* data, size_t size) {
    return decodeFloats(data, size, lensFields());
}

std::vector<uint8_t> encodeImuExtrinsic(const ImuExtrinsic& extrinsic) {
    return encodeFloats(extrinsic, imuFields());
}

std::optional<ImuExtrinsic> decodeImuExtrinsic(const uint8_t* data, size_t size) {
    return decodeFloats(data, size, imuFields());
}

}  // namespace Movoda::facade
