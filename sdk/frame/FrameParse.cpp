// Decoding of the pixel planes, reflectivity and SDK binning.
#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <string>

#include "frame/AmplitudeScale.h"
#include "frame/ByteReader.h"
#include "frame/FrameLayout.h"
#include "frame/FrameSettings.h"
#include "frame/ModelTable.h"
#include "frame/PlanePool.h"
#include "mvsdk/Frame.h"
#include "mvsdk/MvLog.h"

namespace Movoda {

namespace fl = frame_layout;

namespace {

constexpr const char* kParseTag = "Movoda::Frame::parse";

// dataFlags when the frame carries no valid information block.
uint8_t flagsForDataType(uint16_t dataType) {
    switch (dataType) {
        case 0: return kPlaneDistance | kPlaneAmplitude;
        case 1: return kPlaneDistance;
        case 3: return kPlaneGrayscale;
        default: return 0;
    }
}

uint64_t planeBytes(uint8_t flags, uint64_t n) {
    uint64_t p = 0;
    if (flags & kPlaneDistance) p += 2 * n;
    if (flags & kPlaneAmplitude) p += 2 * n;
    if (flags & kPlaneGrayscale) p += 2 * n;
    if (flags & kPlaneHdrIndex) p += n / 2;
    if (flags & kPlaneRawPhase) p += 8 * n;
    return p;
}

inline uint32_t storedDistance(uint16_t v, uint32_t scale) {
    if (v >= kRawCodeFrom) return v + kDistanceCodeOffset;
    return scale >= 2 ? static_cast<uint32_t>(v) * scale : v;
}

}  // namespace

void Frame::applyModelConstants() {
    frame_settings::setMirrorOff(false);
    const model_table::ModelSelection model = model_table::selectModel(modelText_);
    modelCoef_ = model.coef;
    if (model.mirrorOff) frame_settings::setMirrorOff(true);
}

void Frame::parse(const std::vector<uint8_t>& packet) {
    applyModelConstants();
    const size_t n = static_cast<size_t>(sensorWidth_) * sensorHeight_;
    if (distance_.size() != n) allocatePlanes();

    uint32_t scale = 1;
    if (version_ == fl::kFormatInfoBlock && hasValidMagic()) {
        dataFlags_ = infoBlock_[fl::kInfoDataFlagsAt];
        scale = infoBlock_[fl::kInfoDistanceScaleAt];
        timeSource_ = infoBlock_[fl::kInfoTimeSourceAt];
        timeLocked_ = infoBlock_[fl::kInfoTimeLockedAt];
    } else {
        dataFlags_ = flagsForDataType(dataType_);
    }

    const uint64_t p = planeBytes(dataFlags_, n);
    // The odd pixel count case reads one HDR byte past the plane's n/2 bytes.
    const uint64_t needed = std::max<uint64_t>(p + fl::kSizeCheckSlack, dataOffset_ + p + 1);
    if (packet.size() < needed) {
        dataFlags_ = 0;
        std::printf("framesize error %" PRIu64 " %zu\n", p, packet.size());
        return;
    }

    decodePlanes(packet.data() + dataOffset_, n, scale);

    reflScale_ = 1.0f;
    if (binningFlags_ & fl::kBinRows) reflScale_ *= 2.0f;
    if (binningFlags_ & fl::kBinColumns) reflScale_ *= 2.0f;
    if (binX_ > 1) reflScale_ *= 2.0f;
    if (binY_ > 1) reflScale_ *= 2.0f;
    if (binPending_) {
        binPending_ = 0;
        if (binX_ > 1) width_ = static_cast<uint16_t>(width_ / binX_);
        if (binY_ > 1) height_ = static_cast<uint16_t>(height_ / binY_);
    }

    if (dataFlags_ & kPlaneAmplitude) computeReflectivity(scale);
    if (binX_ + binY_ > 2) applySdkBinning();
    std::copy(distance_.begin(), distance_.end(), rawDistance_.begin());
}

void Frame::decodePlanes(const uint8_t* planes, size_t n, uint32_t scale) {
    const size_t w = sensorWidth_;
    const size_t h = sensorHeight_;
    const bool mirror = !frame_settings::mirrorOff();
    const uint8_t flags = dataFlags_;
    const uint8_t* src = planes;
    // Stored index of received pixel (row, column): rows are stored mirrored.
    auto dst = [&](size_t row, size_t col) { return row * w + (mirror ? w - 1 - col : col); };

    if (flags & (kPlaneDistance | kPlaneAmplitude)) {
        const bool both = (flags & kPlaneDistance) && (flags & kPlaneAmplitude);
        const size_t stride = both ? 4 : 2;
        uint32_t* dist = distance_.data();
        uint16_t* amp = amplitude_.data();
        for (size_t r = 0; r < h; ++r) {
            const uint8_t* row = src + r * w * stride;
            for (size_t c = 0; c < w; ++c) {
                const uint8_t* px = row + c * stride;
                const size_t o = dst(r, c);
                if (flags & kPlaneDistance) {
                    dist[o] = storedDistance(bytes::le16(px), scale);
                    if (both) amp[o] = bytes::le16(px + 2);
                } else {
                    amp[o] = bytes::le16(px);
                }
            }
        }
        src += n * stride;
    }
    if (flags & kPlaneGrayscale) {
        for (size_t r = 0; r < h; ++r) {
            for (size_t c = 0; c < w; ++c) grayscale_[dst(r, c)] = bytes::le16(src + 2 * (r * w + c));
        }
        src += 2 * n;
    }
    if (flags & kPlaneHdrIndex) {
        // Two pixels per byte: the even pixel in the low nibble, the odd one in the high.
        size_t r = 0, c = 0;
        for (size_t i = 0; i < n; ++i) {
            const uint8_t b = src[i / 2];
            hdrIndex_[dst(r, c)] = (i % 2 == 0) ? (b & 0x0F) : (b >> 4);
            if (++c == w) {
                c = 0;
                ++r;
            }
        }
        src += n / 2;
    }
    if (flags & kPlaneRawPhase) {
        if (rawPhase_.capacity() < n * kRawPhasePerPixel) {
            rawPhase_ = PlanePool<uint16_t>::instance().take(n * kRawPhasePerPixel);
        }
        rawPhase_.resize(n * kRawPhasePerPixel);
        for (size_t k = 0; k < rawPhase_.size(); ++k) rawPhase_[k] = bytes::le16(src + 2 * k);
    } else {
        rawPhase_.clear();
    }
}

void Frame::computeReflectivity(uint32_t scale) {
    const size_t n = distance_.size();
    const bool hasHdr = (dataFlags_ & kPlaneHdrIndex) != 0;
    const bool blockTimes = version_ >= fl::kFormatInfoBlock;
    const bool rangeCorrection = hasHdr && scale >= fl::kRangeCorrectionMinScale;

    // Per HDR index: its own integration time (0 beyond the five of the block), the time
    // that scales its amplitude (falls back to time 1), and its modulation frequency.
    constexpr size_t kHdrSlots = 16;
    uint32_t ownTime[kHdrSlots] = {};
    uint8_t modulation[kHdrSlots] = {};
    for (size_t k = 0; k < fl::kIntTimeCount; ++k) {
        ownTime[k] = blockIntTime(k);
        modulation[k] = model_table::modulationForCode(freqCode(k));
    }
    const uint32_t time1 = ownTime[0];
    uint32_t usedTime[kHdrSlots];
    AmplitudeScaler scalers[kHdrSlots];
    for (size_t k = 0; k < kHdrSlots; ++k) {
        usedTime[k] = blockTimes ? (hasHdr && ownTime[k] != 0 ? ownTime[k] : time1) : 0;
        scalers[k] = AmplitudeScaler(usedTime[k]);
    }
    // Coefficient per frequency with the mm -> m conversion of d squared folded in.
    double coef[model_table::kFreqCount];
    for (size_t f = 0; f < model_table::kFreqCount; ++f) {
        coef[f] = static_cast<double>(modelCoef_[f]) / reflScale_ * 1e-6;
    }
    const uint32_t limit = frame_settings::reflectivityLimit();

    uint32_t* dist = distance_.data();
    const uint16_t* amp = amplitude_.data();
    const uint8_t* hdr = hdrIndex_.data();
    float* refl = reflectivity_.data();
    uint8_t* freq = freqIndex_.data();
    uint16_t* itime = intTime_.data();

    if (!hasHdr) {
        // One time and one frequency for the whole frame: a loop without per-pixel choices.
        const AmplitudeScaler scale = scalers[0];
        const double c = coef[0];
        const uint16_t t = static_cast<uint16_t>(usedTime[0]);
        const double limitValue = limit;
        for (size_t i = 0; i < n; ++i) {
            const uint32_t a = amp[i];
            const uint32_t d = dist[i];
            const bool valid = a < kRawCodeFrom && d < kDistanceInvalidFrom && d != 0;
            const uint32_t scaled = blockTimes ? scale(a) : a;
            const double r = scaled * c * (static_cast<double>(d) * d);
            refl[i] = valid ? static_cast<float>(r) : 0.0f;
            freq[i] = 0;
            itime[i] = valid ? t : 0;
            if (valid && limit != 0 && r > limitValue) dist[i] = kDistanceAboveReflectivityLimit;
        }
        unknownFrequencyPixels_ = 0;
        return;
    }

    uint8_t f = 0;  // carried from pixel to pixel, changed only by HDR pixels
    uint64_t unknown = 0;
    for (size_t i = 0; i < n; ++i) {
        const uint32_t a = amp[i];
        uint32_t d = dist[i];
        if (a >= kRawCodeFrom || d >= kDistanceInvalidFrom || d == 0) {
            refl[i] = 0.0f;
            freq[i] = 0;
            itime[i] = 0;
            continue;
        }
        const size_t k = hasHdr ? (hdr[i] & 0x0F) : 0;
        const uint32_t t = usedTime[k];
        if (blockTimes && hasHdr && ownTime[k] != 0) {
            if (modulation[k] == model_table::kUnknownFrequency) {
                ++unknown;
                refl[i] = 0.0f;
                freq[i] = 0;
                itime[i] = static_cast<uint16_t>(t);
                continue;
            }
            f = modulation[k];
        }
        const uint32_t scaled = blockTimes ? scalers[k](a) : a;
        const double c = coef[f];
        double r = scaled * c * (static_cast<double>(d) * d);
        if (rangeCorrection && d < fl::kRangeCorrectionMaxDistance &&
            ownTime[k] > fl::kRangeCorrectionMinIntTime && r < fl::kRangeCorrectionMaxRefl &&
            a < fl::kRangeCorrectionMaxAmplitude) {
            d += fl::kRangeCorrectionAdd;
            dist[i] = d;
            r = scaled * c * (static_cast<double>(d) * d);
        }
        refl[i] = static_cast<float>(r);
        freq[i] = f;
        itime[i] = static_cast<uint16_t>(t);
        if (limit != 0 && r > limit) dist[i] = kDistanceAboveReflectivityLimit;
    }

    unknownFrequencyPixels_ = unknown;
    if (unknown != 0) {
        sdkLog(LOG_WARN, kParseTag,
               "frame " + std::to_string(frameId_) + ": " + std::to_string(unknown) +
                   " pixels with an unknown frequency code get reflectivity 0");
    }
}

void Frame::applySdkBinning() {
    const size_t sw = sensorWidth_;
    const size_t w = width_;
    const size_t h = height_;
    const size_t bx = binX_;
    const size_t by = binY_;
    uint32_t* dist = distance_.data();
    uint16_t* amp = amplitude_.data();
    float* refl = reflectivity_.data();

    // Output index o never exceeds the first input index of its block, so the planes can
    // be binned in place.
    size_t o = 0;
    for (size_t y = 0; y < h; ++y) {
        for (size_t x = 0; x < w; ++x, ++o) {
            const size_t first = y * by * sw + x * bx;
            uint64_t dSum = 0, aSum = 0;
            uint32_t dCount = 0, aCount = 0;
            float rSum = 0.0f;
            for (size_t yy = 0; yy < by; ++yy) {
                const size_t row = first + yy * sw;
                for (size_t xx = 0; xx < bx; ++xx) {
                    const size_t j = row + xx;
                    if (dist[j] < kDistanceInvalidFrom) {
                        dSum += dist[j];
                        rSum += refl[j];
                        ++dCount;
                    }
                    if (amp[j] < fl::kBinAmplitudeLimit) {
                        aSum += amp[j];
                        ++aCount;
                    }
                }
            }
            const uint32_t d = dCount ? static_cast<uint32_t>(dSum / dCount) : dist[first];
            const float r = dCount ? rSum / static_cast<float>(dCount) : refl[first];
            const uint16_t a = aCount ? static_cast<uint16_t>(aSum / aCount) : amp[first];
            dist[o] = d;
            refl[o] = r;
            amp[o] = a;
        }
    }
}

}  // namespace Movoda
