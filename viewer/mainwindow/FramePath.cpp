#include "FramePath.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <iostream>

#include "ColorImageBuilder.h"
#include "FramePathConstants.h"
#include "GuiContext.h"
#include "PixelValues.h"
#include "UiUpdateCodes.h"
#include "mvsdk/Frame.h"

namespace vantory {

using namespace framepath;
namespace cz = colorizer;

namespace {

template <std::size_t N>
void copyText(std::array<char, N>& to, const std::array<char, N>& from) {
    std::memcpy(to.data(), from.data(), N);
}

template <typename T>
cz::Plane<T> planeOf(const T* data, std::size_t count) {
    cz::Plane<T> plane;
    if (data != nullptr) {
        plane.data = data;
        plane.count = count;
    }
    return plane;
}

void appendBytes(HeaderConfig& out, const std::array<std::uint8_t, Movoda::Frame::kInfoBlockSize>& block,
                 std::size_t from, std::size_t to) {
    out.insert(out.end(), block.begin() + static_cast<std::ptrdiff_t>(from), block.begin() + static_cast<std::ptrdiff_t>(to));
}

}  // namespace

QImage& ImageRing::writable() {
    for (QImage& slot : slots_) {
        if (slot.isNull() || slot.isDetached()) return slot;
    }
    return slots_[0];  // all still shown: writing copies once
}

FramePath::FramePath(GuiContext& context) : ctx_(context) {
    scratchConfig_.reserve(Movoda::Frame::kInfoBlockSize);
}

FramePath::~FramePath() = default;

void FramePath::onFrame(const FramePtr& frame) {
    if (!frame) return;
    const Movoda::Frame& f = *frame;

    // Time texts and the lines of the pixel-information window (frame-thread state).
    buildStampTexts(stampInputOf(f), stamp_);

    FramePtr previous;
    int selectedX = 0;
    int selectedY = 0;
    {
        std::lock_guard<std::mutex> lock(ctx_.frameMutex);
        storeUnderLock(f, previous, frame);
        selectedX = ctx_.selectedX;
        selectedY = ctx_.selectedY;
    }
    // The replaced frame hands its planes back outside the lock.
    previous.reset();
    requestDisplay();

    // Point cloud: filled by the point-cloud view; shows nothing until then.
    if (f.hasCloud()) cloudView_.call(frame, selectedX, selectedY);
    frameExporter_.call(frame, stamp_.timeText.data(), stamp_.ptpDateText.data());

    measureAndLog(f);
    if (headerWatchOn_.load()) watchHeaderConfig(f);
    traceLink(f);
}

void FramePath::storeUnderLock(const Movoda::Frame& f, FramePtr& previous, const FramePtr& current) {
    ctx_.sensorTempX100 = f.temperature1();
    ctx_.secondTempX100 = f.temperature2();
    ctx_.dust = f.dustValue();

    display_.hasFrame = true;
    display_.version = f.version();
    display_.dataKind = f.dataType();
    display_.timeType = f.timeSource();
    display_.syncLocked = f.timeLocked();
    copyText(display_.timeText, stamp_.timeText);
    if (stamp_.ptp) {
        copyText(display_.ptpDateText, stamp_.ptpDateText);
        copyText(display_.fileTimeText, stamp_.fileTimeText);
    }
    if (stamp_.subFrameUpdate == LineUpdate::Set) copyText(display_.subFrameLine, stamp_.subFrameLine);
    else if (stamp_.subFrameUpdate == LineUpdate::Clear) display_.subFrameLine[0] = '\0';
    if (stamp_.ptpLineUpdated) copyText(display_.ptpLine, stamp_.ptpLine);

    buildImages(f);

    clampToFrame(ctx_.selectedX, ctx_.selectedY, f.width(), f.height());
    const int x = ctx_.selectedX;
    const int y = ctx_.selectedY;
    // Frames without the information block carry no raw planes worth an angle; a stale
    // angle from an earlier frame would be wrong, so they show none.
    ctx_.pixelPhase = f.version() >= kVersionWithSubFrames ? phaseAngle(f, x, y) : -1;

    PixelChoice choice;
    choice.useSecondDistance = ctx_.useSecondDistance != 0;
    choice.dcsMode = dcsMode_.load();
    const PixelValues values = readPixelValues(f, x, y, choice);
    ctx_.pixelDistance = values.distance;
    ctx_.pixelConfidence = values.confidence;
    ctx_.pixelAmplitude = values.amplitude;
    ctx_.pixelGrayscale = values.grayscale;
    ctx_.pixelReflectivity = values.reflectivity;
    ctx_.frameFlags = values.flags;

    previous = std::move(ctx_.lastFrame);
    ctx_.lastFrame = current;
}

void FramePath::buildImages(const Movoda::Frame& f) {
    const int width = f.width();
    const int height = f.height();
    const std::size_t count = static_cast<std::size_t>(f.pixelCount());
    const std::uint8_t flags = f.dataFlags();
    const std::uint16_t kind = f.dataType();
    const cz::Plane<std::uint16_t> gray =
        (flags & kFlagGrayscale) ? planeOf(f.grayscalePlane(), count) : cz::Plane<std::uint16_t>{};

    if (kind == kKindGrayscale) {
        ctx_.grayscaleImage = QImage();
        QImage& target = grayscaleRing_.writable();
        cz::buildGrayscaleImage(width, height, gray, grayColorizer_, target);
        ctx_.grayscaleImage = target;
        ctx_.displayMode = 2;
        imageSaver_.call(nullptr, nullptr, &ctx_.grayscaleImage);
        return;
    }

    cz::PaneInput in;
    in.width = width;
    in.height = height;
    in.dataKind = kind;
    in.distance = planeOf(distancePlaneOf(f, ctx_.useSecondDistance != 0), count);
    if (flags & kFlagAmplitude) in.amplitude = planeOf(f.amplitudePlane(), count);
    in.grayscale = gray;
    in.rawDcs = planeOf(f.rawPhase().empty() ? nullptr : f.rawPhase().data(), f.rawPhase().size());
    in.grayInAmpPane = ctx_.grayInAmpPane != 0;
    in.dcsMode = dcsMode_.load();
    in.distanceRange = {ctx_.distRange[0], ctx_.distRange[1]};
    in.amplitudeRange = {ctx_.ampRange[0], ctx_.ampRange[1]};
    // Nothing but one flag test while every measurement is off.
    const bool measuring = measures_.active();
    if (measuring) feedMeasures(f, in);
    ctx_.distanceImage = QImage();
    ctx_.amplitudeImage = QImage();
    QImage& distanceTarget = distanceRing_.writable();
    QImage& amplitudeTarget = amplitudeRing_.writable();
    cz::buildPaneImages(in, distanceColorizer_, amplitudeColorizer_, distanceTarget, amplitudeTarget);
    measure::PaneScales& scales = display_.scales;
    scales.distance = in.distanceRange;
    scales.amplitude = in.amplitudeRange;
    scales.amplitudeGray = in.grayInAmpPane && in.grayscale.present();
    scales.noiseMap = measuring && measures_.paintNoiseMap(distanceTarget);
    if (scales.noiseMap) scales.noiseMm = measures_.noiseScaleMm();
    ctx_.distanceImage = distanceTarget;
    ctx_.amplitudeImage = amplitudeTarget;

    if (kind == kKindDistanceAmplitude) {
        ctx_.displayMode = 1;
        display_.grayCheck = f.version() >= kVersionWithSubFrames ? GrayCheckVisibility::Show : GrayCheckVisibility::Hide;
        imageSaver_.call(&ctx_.distanceImage, &ctx_.amplitudeImage, nullptr);
    } else {
        ctx_.displayMode = 0;
        imageSaver_.call(&ctx_.distanceImage, nullptr, nullptr);
    }
}

void FramePath::feedMeasures(const Movoda::Frame& f, colorizer::PaneInput& in) {
    measure::FramePlanes planes;
    planes.width = in.width;
    planes.height = in.height;
    const std::size_t pixels = static_cast<std::size_t>(std::max(in.width, 0)) * static_cast<std::size_t>(std::max(in.height, 0));
    if (in.distance.count >= pixels) planes.distance = in.distance.data;
    if (in.amplitude.count >= pixels) {
        planes.amplitude = in.amplitude.data;
        // Reflectivity is computed from the amplitude; without it the plane is zeros.
        planes.reflectivity = f.reflectivityPlane();
    }
    measures_.feed(planes, std::chrono::steady_clock::now());
    measures_.adjustRanges(in.distanceRange, in.amplitudeRange);
}

void FramePath::measureAndLog(const Movoda::Frame& f) {
    const int firstIntTime = f.blockIntTime(0);
    const bool withSubFrames = f.version() >= kVersionWithSubFrames;
    bool coefficientFound = false;
    std::optional<QString> tempLine;
    {
        // The sample windows are filled by the GUI thread under the same mutex.
        std::lock_guard<std::mutex> lock(ctx_.frameMutex);
        if (ctx_.reflectCoefRunning && ctx_.ampSamples.full()) {
            std::cout << "do reflectcoef " << std::endl;
            if (withSubFrames && firstIntTime > 0) {
                const double a = ctx_.ampSamples.average();
                const double d = ctx_.distSamples.average();
                std::cout << measurementLine(a, d).toStdString() << std::endl;
                if (const std::optional<double> coef = reflectivityCoefficient(a, d, firstIntTime)) {
                    ctx_.reflectCoefs[0] = static_cast<float>(*coef);
                    std::cout << coefficientLine(*coef).toStdString() << std::endl;
                    ctx_.reflectCoefRunning = 0;
                    coefficientFound = true;
                }
            }
        }
        if (tempDistOn_.load() && withSubFrames) {
            tempLine = tempDistLog_.next(ctx_.sensorTempX100, ctx_.distSamples.full(), ctx_.distSamples.average(),
                                         firstIntTime);
        }
    }
    if (coefficientFound) ctx_.raise(kUpdateReflectivityCoef);
    if (tempLine && ctx_.sdkSignal) emit ctx_.sdkSignal->addlogstr(*tempLine);
}

void FramePath::watchHeaderConfig(const Movoda::Frame& f) {
    if (!f.hasInfoBlock()) return;
    const auto& block = f.infoBlock();
    scratchConfig_.clear();
    appendBytes(scratchConfig_, block, kBlockModelAt, kBlockConfigFirstEnd);
    appendBytes(scratchConfig_, block, kBlockLensAt, kBlockLensEnd);
    appendBytes(scratchConfig_, block, kBlockAcquisitionAt, kBlockAcquisitionEnd);
    appendBytes(scratchConfig_, block, kBlockLimitsAt, kBlockLimitsEnd);
    scratchConfig_.push_back(block[kBlockOptionFlagsAt]);
    {
        std::lock_guard<std::mutex> lock(configMutex_);
        if (scratchConfig_ == headerConfig_) return;
        headerConfig_ = scratchConfig_;
    }
    ctx_.raise(kUpdatePlaybackConfig);
}

HeaderConfig FramePath::lastHeaderConfig() const {
    std::lock_guard<std::mutex> lock(configMutex_);
    return headerConfig_;
}

void FramePath::traceLink(const Movoda::Frame& f) {
    if (!f.hasInfoBlock()) return;
    const std::uint8_t status = f.infoBlock()[kBlockLinkStatusAt];
    if ((status & kLinkStatusValid) == 0) return;
    const int down = (status & kLinkStatusDown) ? 1 : 0;
    if (down == lastLinkState_) return;
    lastLinkState_ = down;
    std::cout << (down ? "dev tcp : no connected " : "dev tcp : connected ") << std::endl;
}

void FramePath::requestDisplay() {
    if (!displayPending_.exchange(true)) ctx_.raise(kUpdateFrameDisplay);
}

}  // namespace vantory
