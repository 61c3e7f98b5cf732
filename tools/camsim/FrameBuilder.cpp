#include "FrameBuilder.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "ByteIo.h"
#include "CamsimConstants.h"
#include "link/Packet.h"

namespace camsim {
namespace {

constexpr double kSpeedOfLight = 299792458.0;
constexpr double kSaturationAmplitude = 64000.0;
constexpr double kHdrHeadroom = 0.9;  // temporal HDR keeps the longest time below this share
constexpr double kNoiseBaseMm = 2.0;  // sigma at 1000 amplitude and 0 m, before scaling
constexpr double kEmitterShare[4] = {0.0, 0.5, 0.5, 1.0};
constexpr double kGrayscaleGain = 2.0;  // counts per microsecond at full reflectivity
constexpr double kGrayscaleFloor = 50.0;
constexpr double kDcsOffset = 1500.0;
constexpr size_t kFrameHeaderSize = 8;  // id, data type, frame number, width, height

// Information block offsets.
namespace info {
constexpr size_t kMagic = 0, kModel = 5, kModelSize = 29, kLens = 53, kDataFlags = 93;
constexpr size_t kHdr = 94, kSubFrames = 95, kFreqCodes = 96, kIntTimes = 101, kIntTimeGs = 111;
constexpr size_t kRoiX0 = 113, kRoiY0 = 117, kMinAmplitude = 121, kChannel = 123;
constexpr size_t kBinning = 124, kVcsel = 126, kFps = 127, kScale = 136;
constexpr size_t kTemp1 = 141, kTemp2 = 143, kTimeSource = 145, kTimeLocked = 146;
constexpr size_t kCaptureTimes = 147, kImuMark = 191, kOptions = 192, kLinkStatus = 194;
constexpr size_t kStatus = 203, kDevState = 204, kLength = 202, kVersion = 205;
constexpr uint8_t kLinkStatusValid = 1, kLinkStatusDown = 2;
}  // namespace info

// Older trailer offsets, counted back from the payload end.
namespace legacy {
constexpr size_t kTemp1 = 52, kRoiX0 = 50, kRoiY0 = 48, kBinning = 46, kTemp2 = 43;
constexpr size_t kSeconds = 14, kNanoseconds = 8, kTimeLocked = 4, kTimeSource = 3;
constexpr size_t kStateStatus = 2, kFormat = 1;
}  // namespace legacy

// Cheap repeatable noise: xorshift generator and an Irwin-Hall approximation of a unit
// normal (four uniforms), ample for distance noise and several times faster than
// std::normal_distribution over 76800 pixels a frame.
class FastGauss {
public:
    explicit FastGauss(uint64_t seed) : state_(seed ? seed : 0x9E3779B97F4A7C15ULL) {}
    double operator()() {
        double sum = 0;
        for (int i = 0; i < 4; ++i) sum += double(next() >> 11) * 0x1.0p-53;
        return (sum - 2.0) * 1.7320508075688772;  // variance of the sum is 1/3
    }

private:
    uint64_t next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 7;
        state_ ^= state_ << 17;
        return state_;
    }
    uint64_t state_;
};

double unambiguousRangeMm(uint8_t code) {
    return kSpeedOfLight / (2.0 * frequencyOfCode(code)) * 1000.0;
}

}  // namespace

uint8_t dataFlagsFor(const AcquisitionConfig& c, bool legacy) {
    if (c.streamCode == 3) return planes::kGrayscale;
    uint8_t flags = planes::kDistance | planes::kAmplitude;
    if (legacy) return flags;  // the older layout derives its planes from the data type
    if (c.grayscalePlane) flags |= planes::kGrayscale;
    if (c.hdrMode != 0) flags |= planes::kHdrIndex;
    if (c.rawDcsPlane) flags |= planes::kRawDcs;
    return flags;
}

double amplitudeFor(double reflectivity, double distanceM, double intTimeUs, double coefficient,
                    double reflScale) {
    if (distanceM <= 0 || coefficient <= 0) return 0;
    // The receiver computes r = (a * 200 / t) * (coefficient / reflScale) * d^2 in percent.
    return reflectivity * 100.0 * intTimeUs * reflScale /
           (200.0 * coefficient * distanceM * distanceM);
}

FrameBuilder::FrameBuilder(std::shared_ptr<const Scene> scene, FrameOptions options)
    : scene_(std::move(scene)), options_(options) {}

void FrameBuilder::ensureRays(const Identity& id, const AcquisitionConfig& c) {
    const auto& l = id.lens;
    const auto& o = raysLens_;
    const bool sameLens = l.fx == o.fx && l.fy == o.fy && l.cx == o.cx && l.cy == o.cy &&
                          l.k1 == o.k1 && l.k2 == o.k2 && l.k3 == o.k3 && l.p1 == o.p1 &&
                          l.p2 == o.p2;
    const bool sameGeometry = c.roiX0 == raysConfig_.roiX0 && c.roiY0 == raysConfig_.roiY0 &&
                              c.roiX1 == raysConfig_.roiX1 && c.roiY1 == raysConfig_.roiY1 &&
                              c.binningH == raysConfig_.binningH &&
                              c.binningV == raysConfig_.binningV;
    if (raysValid_ && sameLens && sameGeometry) return;
    rays_ = buildRayTable(LensModel(l), c);
    raysConfig_ = c;
    raysLens_ = l;
    raysValid_ = true;
}

void FrameBuilder::renderPixels(const Identity& id, const AcquisitionConfig& c,
                                const FrameContext& ctx) {
    const int w = rays_.width, h = rays_.height;
    pixels_.resize(size_t(w) * size_t(h));
    FastGauss gauss(options_.seed * 0x9E3779B97F4A7C15ULL + ctx.frameNumber + 1);

    const int row = coefficientRow(id.model);
    const double reflScale = (c.binningH ? 2.0 : 1.0) * (c.binningV ? 2.0 : 1.0);
    const double emitter = kEmitterShare[c.vcselMode & 3];
    const bool hdr = c.hdrMode != 0;
    const bool grayscaleOnly = c.streamCode == 3;

    subFrameMask_ = 0;
    int exposures[5];
    int exposureCount = 0;
    for (int k = 0; k < 5; ++k) {
        if (c.intTimes[k] != 0 && (k == 0 || hdr)) {
            exposures[exposureCount++] = k;
            subFrameMask_ |= uint8_t(1u << k);
        }
    }

    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            Pixel& px = pixels_[size_t(y) * size_t(w) + size_t(x)];
            const Hit hit =
                scene_->cast(rays_.rays[size_t(y) * size_t(w) + size_t(x)], ctx.sceneTime);
            px.grayscale =
                uint16_t(std::min(65535.0, kGrayscaleFloor + (hit.hit ? hit.reflectivity : 0.0) *
                                                                 c.intTimeGs * kGrayscaleGain));
            px.hdrIndex = 0;
            std::fill(std::begin(px.dcs), std::end(px.dcs), uint16_t(kDcsOffset));
            if (grayscaleOnly || exposureCount == 0) {
                px.distance = kCodeLowAmplitude;
                px.amplitude = 0;
                continue;
            }
            // Choose the exposure: spatial HDR alternates rows, temporal HDR takes the
            // longest one that stays clear of saturation.
            int k = exposures[0];
            double amplitude = 0;
            auto amplitudeAt = [&](int index) {
                const uint8_t freq = hdr ? modulationFreqOfCode(c.freqCodes[index]) : 0;
                return hit.hit ? emitter *
                                     amplitudeFor(hit.reflectivity, hit.distance, c.intTimes[index],
                                                  reflectivityCoefficient(row, freq), reflScale)
                               : 0.0;
            };
            if (c.hdrMode == 2) {
                k = (y % 2 == 1 && c.intTimes[1] != 0) ? 1 : exposures[0];
                amplitude = amplitudeAt(k);
            } else if (c.hdrMode == 1) {
                k = exposures[0];
                amplitude = amplitudeAt(k);
                for (int e = 0; e < exposureCount; ++e) {
                    const double a = amplitudeAt(exposures[e]);
                    const bool better = c.intTimes[exposures[e]] > c.intTimes[k];
                    if (a < kSaturationAmplitude * kHdrHeadroom &&
                        (amplitude >= kSaturationAmplitude * kHdrHeadroom || better)) {
                        k = exposures[e];
                        amplitude = a;
                    }
                }
            } else {
                amplitude = amplitudeAt(k);
            }
            px.hdrIndex = uint8_t(k);

            if (amplitude >= kSaturationAmplitude) {
                px.distance = kCodeSaturated;
                px.amplitude = kCodeSaturated;
                continue;
            }
            px.amplitude = uint16_t(amplitude);
            const double rangeMm = unambiguousRangeMm(c.freqCodes[k]);
            double mm = hit.distance * 1000.0;
            if (options_.noise > 0 && amplitude > 0) {
                const double sigma = options_.noise * kNoiseBaseMm * (1.0 + hit.distance) *
                                     std::sqrt(1000.0 / std::max(amplitude, 1.0));
                mm += sigma * gauss();
            }
            mm = std::fmod(std::max(mm, 0.0), rangeMm);  // the phase wraps
            if (c.rawDcsPlane) {
                // Four samples a quarter period apart: cos, sin, -cos, -sin of the phase.
                const double phase = 2 * M_PI * mm / rangeMm;
                // Grows with the amplitude but stays below the offset, so no sample clips.
                const double dcsAmplitude = kDcsOffset * amplitude / (amplitude + 2000.0);
                const double offset = kDcsOffset + px.grayscale * 0.25;
                const double cosine = dcsAmplitude * std::cos(phase);
                const double sine = dcsAmplitude * std::sin(phase);
                const double samples[4] = {offset + cosine, offset + sine, offset - cosine,
                                           offset - sine};
                for (int s = 0; s < 4; ++s) {
                    px.dcs[s] = uint16_t(std::clamp(samples[s], 0.0, 65535.0));
                }
            }
            // The distance/intensity cut drops faint pixels beyond each pair's distance.
            const bool cut = c.cutOn && ((mm > c.cut[1] && amplitude < c.cut[0]) ||
                                         (mm > c.cut[3] && amplitude < c.cut[2]));
            if (amplitude < c.minAmplitude || cut) {
                px.distance = kCodeLowAmplitude;
                continue;
            }
            const double scaled = std::round(mm / std::max<uint8_t>(c.distanceScale, 1));
            px.distance = uint16_t(std::min(scaled, double(kFirstInvalidCode - 1)));
        }
    }
}

void FrameBuilder::build(const Identity& id, const AcquisitionConfig& c, const FrameContext& ctx,
                         std::vector<uint8_t>& out) {
    using Movoda::packet::kEndMark;
    using Movoda::packet::kStartMark;
    ensureRays(id, c);
    renderPixels(id, c, ctx);

    const bool big = ctx.legacy;
    const uint8_t flags = dataFlagsFor(c, ctx.legacy);
    const size_t w = size_t(rays_.width), h = size_t(rays_.height), n = w * h;
    const bool hasDistance = flags & planes::kDistance;
    const bool hasAmplitude = flags & planes::kAmplitude;
    const size_t depthBytes = (hasDistance ? 2 * n : 0) + (hasAmplitude ? 2 * n : 0);
    const size_t grayBytes = (flags & planes::kGrayscale) ? 2 * n : 0;
    const size_t hdrBytes = (flags & planes::kHdrIndex) ? (n + 1) / 2 : 0;
    const size_t dcsBytes = (flags & planes::kRawDcs) ? 8 * n : 0;
    const size_t tail = ctx.legacy ? kLegacyFrameTrailerSize : kInfoBlockSize;
    const size_t inner = kFrameHeaderSize + depthBytes + grayBytes + hdrBytes + dcsBytes + tail;

    out.assign(inner + 12, 0);
    uint8_t* p = out.data();
    putU32(p, kStartMark, true);
    putU32(p + 4, uint32_t(inner), big);
    uint8_t* f = p + 8;
    f[0] = cmd::kFrame;
    f[1] = hasDistance ? 0 : 3;  // data type: distance and amplitude, or grayscale
    putU16(f + 2, ctx.frameNumber, big);
    putU16(f + 4, uint16_t(w), big);
    putU16(f + 6, uint16_t(h), big);

    // Rows travel mirrored: the first pixel of a row on the wire is its last column.
    const bool mirrored = !sendsRowsUnmirrored(id.model);
    auto source = [&](size_t wireIndex) -> const Pixel& {
        const size_t col = wireIndex % w;
        const size_t rowStart = wireIndex - col;
        return pixels_[mirrored ? rowStart + (w - 1 - col) : wireIndex];
    };
    // The pixel planes are little-endian in both layouts.
    uint8_t* q = f + kFrameHeaderSize;
    const size_t stride = (hasDistance && hasAmplitude) ? 4 : 2;
    for (size_t i = 0; i < n && depthBytes; ++i) {
        const Pixel& px = source(i);
        uint8_t* at = q + i * stride;
        if (hasDistance) putU16(at, px.distance, false);
        if (hasAmplitude) putU16(at + (hasDistance ? 2 : 0), px.amplitude, false);
    }
    q += depthBytes;
    for (size_t i = 0; i < n && grayBytes; ++i) putU16(q + 2 * i, source(i).grayscale, false);
    q += grayBytes;
    for (size_t i = 0; i < n && hdrBytes; i += 2) {
        const uint8_t low = source(i).hdrIndex & 0x0F;
        const uint8_t high = (i + 1 < n) ? (source(i + 1).hdrIndex & 0x0F) : 0;
        q[i / 2] = uint8_t(low | high << 4);
    }
    q += hdrBytes;
    for (size_t i = 0; i < n && dcsBytes; ++i) {
        for (int s = 0; s < 4; ++s) putU16(q + 8 * i + 2 * s, source(i).dcs[s], false);
    }
    q += dcsBytes;

    if (ctx.legacy) {
        writeLegacyTrailer(q, c, ctx);
    } else {
        writeInfoBlock(q, id, c, ctx, flags);
    }
    putU32(p + out.size() - 4, kEndMark, true);
}

void FrameBuilder::writeInfoBlock(uint8_t* b, const Identity& id, const AcquisitionConfig& c,
                                  const FrameContext& ctx, uint8_t flags) const {
    using namespace info;
    putU32(b + kMagic, kInfoBlockMagic, false);
    // One character before the model name, like the serial numbers.
    putText(b + kModel, kModelSize, "M" + id.model);
    const auto lens = [&] {
        const Lens& l = id.lens;
        return std::array<float, 9>{l.fx, l.fy, l.cx, l.cy, l.k1, l.k2, l.k3, l.p1, l.p2};
    }();
    for (int i = 0; i < 9; ++i) putFloat(b + kLens + 4 * i, lens[size_t(i)]);
    b[kDataFlags] = flags;
    b[kHdr] = c.hdrMode;
    b[kSubFrames] = subFrameMask_;
    uint64_t subFrameTime = ctx.captureTimeMs;
    for (int k = 0; k < 5; ++k) {
        b[kFreqCodes + k] = c.freqCodes[size_t(k)];
        putU16(b + kIntTimes + 2 * k, c.intTimes[size_t(k)], false);
        if (subFrameMask_ & (1u << k)) {
            putU64(b + kCaptureTimes + 8 * k, subFrameTime, false);
            subFrameTime += 1 + c.intTimes[size_t(k)] / 1000;
        }
    }
    putU16(b + kIntTimeGs, c.intTimeGs, false);
    putU16(b + kRoiX0, c.roiX0, false);
    putU16(b + kRoiY0, c.roiY0, false);
    putU16(b + kMinAmplitude, c.minAmplitude, false);
    b[kChannel] = c.channel;
    b[kBinning] = uint8_t((c.binningV ? 1 : 0) | (c.binningH ? 2 : 0));
    b[kVcsel] = c.vcselMode;
    b[kFps] = c.maxFps;
    b[kScale] = c.distanceScale;
    putU16(b + kTemp1, uint16_t(ctx.temperature1), false);
    putU16(b + kTemp2, uint16_t(ctx.temperature2), false);
    b[kTimeSource] = 0;
    b[kTimeLocked] = 0;
    b[kImuMark] = 0;
    b[kOptions] = 0x11;  // lens option fitted
    b[kLinkStatus] = uint8_t(kLinkStatusValid | (ctx.commandLinkDown ? kLinkStatusDown : 0));
    putU16(b + kLength, uint16_t(kInfoBlockSize), false);
    // The block's last three bytes double as the packet trailer: status, state, type 3.
    b[kStatus] = 0;
    b[kDevState] = ctx.devState;
    b[kVersion] = kInfoBlockVersion;
}

void FrameBuilder::writeLegacyTrailer(uint8_t* t, const AcquisitionConfig& c,
                                      const FrameContext& ctx) const {
    using namespace legacy;
    uint8_t* end = t + kLegacyFrameTrailerSize;
    putU16(end - kTemp1, uint16_t(ctx.temperature1), true);
    putU16(end - kRoiX0, c.roiX0, true);
    putU16(end - kRoiY0, c.roiY0, true);
    end[-int(kBinning)] = uint8_t((c.binningH ? 0x10 : 0) | (c.binningV ? 0x01 : 0));
    putU16(end - kTemp2, uint16_t(ctx.temperature2), true);
    // The seconds field and the nanoseconds field share two bytes; the nanoseconds are
    // written last, so a receiver reads them exactly and the seconds to within 65536 s.
    putU64(end - kSeconds, ctx.captureTimeMs / 1000, true);
    putU32(end - kNanoseconds, uint32_t(ctx.captureTimeMs % 1000) * 1000000u, true);
    end[-int(kTimeLocked)] = 0;
    end[-int(kTimeSource)] = 0;
    end[-int(kStateStatus)] = uint8_t((ctx.devState & 0x0F) << 4);
    end[-int(kFormat)] = kLegacyFrameFormat;
}

}  // namespace camsim
