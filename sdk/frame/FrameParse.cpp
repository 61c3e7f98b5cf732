// Decoding of the pixel planes, reflectivity and SDK binning.
#include <algorithm>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "frame/AmplitudeScale.h"
#include "frame/BinningKernel.h"
#include "frame/ByteReader.h"
#include "frame/FrameLayout.h"
#include "frame/FrameSettings.h"
#include "frame/FusedRowKernel.h"
#include "frame/ModelTable.h"
#include "frame/PlaneDecode.h"
#include "frame/PlanePool.h"
#include "frame/ReflectivityKernel.h"
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

// Reflectivity inputs of a frame with one integration time and one frequency.
reflectivity::KernelInput singleTimeInput(const Frame& frame, size_t n) {
    const bool blockTimes = frame.version() >= fl::kFormatInfoBlock;
    const uint32_t time = blockTimes ? frame.blockIntTime(0) : 0;
    const AmplitudeScaler scaler(time);
    const uint32_t limit = frame_settings::reflectivityLimit();
    reflectivity::KernelInput in;
    in.n = n;
    in.scaleByTime = blockTimes;
    in.inverseTime = scaler.inverse();
    in.guard = AmplitudeScaler::kGuard;
    // The mm -> m conversion of d squared folded in.
    in.coef = static_cast<double>(frame.modelCoef()[0]) / frame.reflScale() * 1e-6;
    in.time = static_cast<uint16_t>(time);
    in.limit = limit != 0 ? static_cast<double>(limit) : HUGE_VAL;
    return in;
}

}  // namespace

bool Frame::applyModelConstants() {
    const model_table::ModelSelection model = model_table::selectModel(modelText_);
    modelCoef_ = model.coef;
    return !model.mirrorOff;
}

void Frame::parse(const std::vector<uint8_t>& packet) {
    // Decided per frame: SDK instances serving different models decode side by side.
    const bool mirror = applyModelConstants();
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
        zeroPlanesNotDecoded();
        std::printf("framesize error %" PRIu64 " %zu\n", p, packet.size());
        return;
    }

    reflScale_ = 1.0f;
    if (binningFlags_ & fl::kBinRows) reflScale_ *= 2.0f;
    if (binningFlags_ & fl::kBinColumns) reflScale_ *= 2.0f;
    if (binX_ > 1) reflScale_ *= 2.0f;
    if (binY_ > 1) reflScale_ *= 2.0f;

    // Reflectivity also fills rawDistance; binning changes distance afterwards.
    const bool hasReflectivity = (dataFlags_ & kPlaneAmplitude) != 0;
    const bool fused = hasReflectivity && (dataFlags_ & kPlaneDistance) != 0 &&
                       (dataFlags_ & kPlaneHdrIndex) == 0;
    decodePlanes(packet.data() + dataOffset_, n, scale, mirror, fused);
    if (fused) unknownFrequencyPixels_ = 0;
    zeroPlanesNotDecoded();

    if (binPending_) {
        binPending_ = 0;
        if (binX_ > 1) width_ = static_cast<uint16_t>(width_ / binX_);
        if (binY_ > 1) height_ = static_cast<uint16_t>(height_ / binY_);
    }

    const bool binning = binX_ + binY_ > 2;
    if (hasReflectivity && !fused) computeReflectivity(scale);
    if (binning) applySdkBinning();
    if (!hasReflectivity || binning) std::copy(distance_.begin(), distance_.end(), rawDistance_.begin());
}

void Frame::zeroPlanesNotDecoded() {
    // What the steps after decoding write in full: reflectivity (with amplitude) fills its
    // planes (the frequency plane only with an HDR index), and rawDistance is otherwise
    // copied from distance.
    const uint8_t flags = dataFlags_;
    const bool reflectivity = (flags & kPlaneAmplitude) != 0;
    const auto zero = [](auto& plane) {
        if (!plane.empty()) std::memset(plane.data(), 0, plane.size() * sizeof(plane[0]));
    };
    // Planes often absent from a stream are skipped while they still hold the zeros of
    // an earlier frame.
    const auto zeroUnlessKnown = [this, &zero](auto& plane, uint8_t bit) {
        if ((zeroPlanes_.load(std::memory_order_relaxed) & bit) == 0) zero(plane);
        zeroPlanes_.fetch_or(bit, std::memory_order_relaxed);
    };
    const auto written = [this](bool carried, uint8_t bit) {
        if (carried) zeroPlanes_.fetch_and(static_cast<uint8_t>(~bit), std::memory_order_relaxed);
        return carried;
    };
    if (!(flags & kPlaneDistance)) zero(distance_);
    if (!(flags & kPlaneAmplitude)) zero(amplitude_);
    if (!written(flags & kPlaneGrayscale, kZeroGrayscale))
        zeroUnlessKnown(grayscale_, kZeroGrayscale);
    if (!written(flags & kPlaneHdrIndex, kZeroHdrIndex)) zeroUnlessKnown(hdrIndex_, kZeroHdrIndex);
    if (!written(reflectivity && (flags & kPlaneHdrIndex), kZeroFreqIndex)) {
        zeroUnlessKnown(freqIndex_, kZeroFreqIndex);
    }
    if (!reflectivity) {
        zero(reflectivity_);
        zero(intTime_);
    }
    zeroUnlessKnown(pixelMark_, kZeroPixelMark);
}

void Frame::decodePlanes(const uint8_t* planes, size_t n, uint32_t scale, bool mirror,
                         bool fuseReflectivity) {
    namespace pd = plane_decode;
    const size_t w = sensorWidth_;
    const size_t h = sensorHeight_;
    const uint8_t flags = dataFlags_;
    const uint8_t* src = planes;

    if (flags & (kPlaneDistance | kPlaneAmplitude)) {
        const bool hasDistance = (flags & kPlaneDistance) != 0;
        const bool hasAmplitude = (flags & kPlaneAmplitude) != 0;
        const size_t stride = hasDistance && hasAmplitude ? 4 : 2;
        const pd::DistanceCode code(scale);
        const reflectivity::KernelInput single = singleTimeInput(*this, n);
        const fused_row::Path path = fused_row::bestPath();
        for (size_t r = 0; r < h; ++r) {
            const uint8_t* row = src + r * w * stride;
            uint32_t* dist = distance_.data() + r * w;
            uint16_t* amp = amplitude_.data() + r * w;
            if (fuseReflectivity) {
                const size_t at = r * w;
                fused_row::decodeRow(path, row, w, mirror, code, single,
                                     {dist, amp, reflectivity_.data() + at, intTime_.data() + at,
                                      rawDistance_.data() + at});
            } else if (hasDistance && hasAmplitude) {
                pd::decodeDistanceAmplitudeRow(row, w, mirror, code, dist, amp);
            } else if (hasDistance) {
                pd::decodeRow<2>(row, w, mirror, dist, code);
            } else {
                pd::decodePlainRow(row, w, mirror, amp);
            }
        }
        if (fuseReflectivity) fused_row::finishRows();
        src += n * stride;
    }
    if (flags & kPlaneGrayscale) {
        for (size_t r = 0; r < h; ++r) {
            pd::decodePlainRow(src + 2 * r * w, w, mirror, grayscale_.data() + r * w);
        }
        src += 2 * n;
    }
    if (flags & kPlaneHdrIndex) {
        for (size_t r = 0; r < h; ++r) pd::decodeHdrRow(src, r * w, w, mirror, hdrIndex_.data() + r * w);
        src += n / 2;
    }
    if (flags & kPlaneRawPhase) {
        if (rawPhase_.capacity() < n * kRawPhasePerPixel) {
            rawPhase_ = PlanePool<uint16_t>::instance().take(n * kRawPhasePerPixel);
        }
        rawPhase_.resize(n * kRawPhasePerPixel);
        pd::decodeRow<2>(src, rawPhase_.size(), false, rawPhase_.data(), pd::Plain16());
    } else {
        rawPhase_.clear();
    }
}

void Frame::computeReflectivity(uint32_t scale) {
    const size_t n = distance_.size();
    const bool hasHdr = (dataFlags_ & kPlaneHdrIndex) != 0;
    if (!hasHdr) {
        // One time and one frequency for the whole frame: a loop without per-pixel choices.
        // rawDistance is written here too, which saves parse() a pass over the planes; the
        // frequency plane (all 0) is left to zeroPlanesNotDecoded.
        reflectivity::singleTimeKernel(singleTimeInput(*this, n),
                                       {amplitude_.data(), distance_.data(), reflectivity_.data(),
                                        intTime_.data(), rawDistance_.data()});
        unknownFrequencyPixels_ = 0;
        return;
    }
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

    // Per HDR slot: whether its pixels select their own frequency, whether that frequency
    // is unknown, and whether range correction may apply.
    bool ownFrequency[kHdrSlots];
    bool unknownSlot[kHdrSlots];
    bool correctable[kHdrSlots];
    for (size_t k = 0; k < kHdrSlots; ++k) {
        ownFrequency[k] = blockTimes && ownTime[k] != 0;
        unknownSlot[k] = ownFrequency[k] && modulation[k] == model_table::kUnknownFrequency;
        correctable[k] = rangeCorrection && ownTime[k] > fl::kRangeCorrectionMinIntTime;
    }
    const double limitValue = limit != 0 ? static_cast<double>(limit) : HUGE_VAL;
    uint32_t* raw = rawDistance_.data();

    uint8_t f = 0;  // carried from pixel to pixel, changed only by HDR pixels
    uint64_t unknown = 0;
    for (size_t i = 0; i < n; ++i) {
        const uint32_t a = amp[i];
        uint32_t d = dist[i];
        if (a >= kRawCodeFrom || d - 1u >= kDistanceInvalidFrom - 1u) {
            refl[i] = 0.0f;
            freq[i] = 0;
            itime[i] = 0;
            raw[i] = d;
            continue;
        }
        const size_t k = hdr[i] & 0x0F;
        const uint32_t t = usedTime[k];
        if (ownFrequency[k]) {
            if (unknownSlot[k]) {
                ++unknown;
                refl[i] = 0.0f;
                freq[i] = 0;
                itime[i] = static_cast<uint16_t>(t);
                raw[i] = d;
                continue;
            }
            f = modulation[k];
        }
        const uint32_t scaled = blockTimes ? scalers[k](a) : a;
        const double c = coef[f];
        double r = scaled * c * (static_cast<double>(d) * d);
        if (correctable[k] && d < fl::kRangeCorrectionMaxDistance &&
            r < fl::kRangeCorrectionMaxRefl && a < fl::kRangeCorrectionMaxAmplitude) {
            d += fl::kRangeCorrectionAdd;
            r = scaled * c * (static_cast<double>(d) * d);
        }
        refl[i] = static_cast<float>(r);
        freq[i] = f;
        itime[i] = static_cast<uint16_t>(t);
        const uint32_t out = r > limitValue ? kDistanceAboveReflectivityLimit : d;
        dist[i] = out;
        raw[i] = out;
    }

    unknownFrequencyPixels_ = unknown;
    if (unknown != 0) {
        sdkLog(LOG_WARN, kParseTag,
               "frame " + std::to_string(frameId_) + ": " + std::to_string(unknown) +
                   " pixels with an unknown frequency code get reflectivity 0");
    }
}

void Frame::applySdkBinning() {
    binning::BinningPlanes planes;
    planes.sensorWidth = sensorWidth_;
    planes.width = width_;
    planes.height = height_;
    planes.dist = distance_.data();
    planes.amp = amplitude_.data();
    planes.refl = reflectivity_.data();
    const size_t bx = binX_;
    const size_t by = binY_;
    const binning::BlockAverage average(bx * by);
    if (bx == 2 && by == 2) {
        binning::binPlanes(planes, binning::BlockSize<2, 2>(), average);
    } else {
        binning::binPlanes(planes, binning::RuntimeBlockSize{bx, by}, average);
    }
}

}  // namespace Movoda
