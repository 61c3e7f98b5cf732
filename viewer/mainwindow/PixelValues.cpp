#include "PixelValues.h"

#include <cmath>
#include <cstdlib>

#include "FramePathConstants.h"
#include "mvsdk/Frame.h"

namespace vantory::framepath {

namespace {

constexpr float kRadToDeg = 180.0f / 3.14159265358979f;
constexpr float kAngleShift = 180.0f;
constexpr std::size_t kDcsPlaneCount = 4;

// Raw DCS planes one after the other, each width x height values.
bool hasRawPlanes(const Movoda::Frame& frame, std::size_t pixels) {
    return pixels > 0 && frame.rawPhase().size() >= kDcsPlaneCount * pixels;
}

}  // namespace

void clampToFrame(std::int32_t& x, std::int32_t& y, int width, int height) {
    if (x < 0 || x >= width) x = 0;
    if (y < 0 || y >= height) y = 0;
}

const std::uint32_t* distancePlaneOf(const Movoda::Frame& frame, bool useSecondDistance) {
    return useSecondDistance ? frame.distancePlane() : frame.rawDistancePlane();
}

PixelValues readPixelValues(const Movoda::Frame& frame, int x, int y, const PixelChoice& choice) {
    PixelValues v;
    const std::size_t width = frame.width();
    const std::size_t pixels = width * frame.height();
    const std::size_t i = static_cast<std::size_t>(y) * width + static_cast<std::size_t>(x);
    v.flags = frame.dataFlags();
    v.distance = static_cast<std::int32_t>(choice.useSecondDistance ? frame.distance(i) : frame.rawDistance(i));
    v.confidence = (v.flags & kFlagSubFrames) ? frame.hdrIndex(i) : -1;
    v.amplitude = (v.flags & kFlagAmplitude) ? frame.amplitude(i) : 0;
    v.grayscale = frame.grayscale(i);
    v.reflectivity = frame.reflectivity(i);

    if (choice.dcsMode >= 1 && choice.dcsMode <= 3 && hasRawPlanes(frame, pixels)) {
        const auto& raw = frame.rawPhase();
        auto plane = [&](std::size_t k) { return static_cast<int>(raw[k * pixels + i]); };
        if (choice.dcsMode == 3) {
            v.distance = std::abs(plane(0) - plane(2));
            v.amplitude = std::abs(plane(1) - plane(3));
        } else {
            const std::size_t first = choice.dcsMode == 1 ? 0 : 2;
            v.distance = plane(first) - kDcsZero;
            v.amplitude = plane(first + 1) - kDcsZero;
        }
    }
    return v;
}

std::int32_t phaseAngleOf(int d0, int d1, int d2, int d3) {
    const float angle = std::atan2(static_cast<float>(d3 - d1), static_cast<float>(d2 - d0)) * kRadToDeg + kAngleShift;
    return static_cast<std::int32_t>(angle);
}

std::int32_t phaseAngle(const Movoda::Frame& frame, int x, int y) {
    const std::size_t width = frame.width();
    const std::size_t pixels = width * frame.height();
    if (x == 0 || y == 0 || x < 0 || y < 0 || x >= frame.width() || y >= frame.height()) return -1;
    if (!hasRawPlanes(frame, pixels)) return -1;
    const auto& raw = frame.rawPhase();
    const std::size_t i = static_cast<std::size_t>(y) * width + static_cast<std::size_t>(x);
    return phaseAngleOf(raw[i], raw[pixels + i], raw[2 * pixels + i], raw[3 * pixels + i]);
}

}  // namespace vantory::framepath
