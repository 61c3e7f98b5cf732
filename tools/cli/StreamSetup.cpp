#include "StreamSetup.h"

#include <vector>

#include "CliConstants.h"
#include "mvsdk/Frame.h"

namespace vantory_cli {

namespace {
constexpr double kMsPerSecond = 1000.0;
constexpr double kNsPerMs = 1.0e6;

// Capture time in wall-clock milliseconds; empty when the frame carries none.
std::optional<double> captureTimeMs(const Movoda::Frame& frame) {
    if (frame.hasInfoBlock()) {
        const uint64_t ms = frame.captureTimeMs(0);
        if (ms != 0) return static_cast<double>(ms);
    }
    if (frame.timeSec() != 0) {
        return static_cast<double>(frame.timeSec()) * kMsPerSecond +
               static_cast<double>(frame.timeNsec()) / kNsPerMs;
    }
    return std::nullopt;
}
}  // namespace

bool startStreaming(CameraSession& session, const CliOptions& options, std::string& why) {
    if (options.fps != 0 && !session.command([&](Movoda::MvSdk& sdk) {
            return sdk.setMaxFps(static_cast<uint8_t>(options.fps));
        })) {
        why = "the camera refused the frame rate " + std::to_string(options.fps);
        return false;
    }
    if (options.grayscale) {
        std::vector<uint8_t> response;
        if (!session.command([&](Movoda::MvSdk& sdk) {
                return sdk.customCmd(kCmdSelector, {kSelectorGrayscalePlane, 1}, response,
                                     kSelectorTimeoutMs);
            })) {
            why = "the camera refused the grayscale plane";
            return false;
        }
    }
    if (!session.command([&](Movoda::MvSdk& sdk) { return sdk.start(options.type, false); })) {
        why = std::string("the camera refused to start streaming ") +
              Movoda::imageTypeName(options.type);
        return false;
    }
    return true;
}

FrameSample measureFrame(const Movoda::Frame& frame, std::chrono::system_clock::time_point now) {
    FrameSample sample;
    sample.frameNumber = static_cast<uint32_t>(frame.frameId() % kFrameNumberModulus);
    if (const auto captured = captureTimeMs(frame)) {
        const double nowMs =
            std::chrono::duration<double, std::milli>(now.time_since_epoch()).count();
        sample.latencyMs = nowMs - *captured;
    }
    if (frame.hasCloud()) {
        sample.centralZ = centralMedianZ(frame.cloudData(), frame.cloudPointCount(),
                                         Movoda::Frame::kCloudStride, frame.width(),
                                         frame.height(), kCentralWindow);
    }
    return sample;
}

}  // namespace vantory_cli
