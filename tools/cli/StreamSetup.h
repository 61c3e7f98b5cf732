// Configuring the camera for streaming, shared by "stream" and "snapshot".
#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>

#include "CameraSession.h"
#include "CliArgs.h"
#include "StreamRecorder.h"

namespace vantory_cli {

// Frame rate (when asked), grayscale plane (when asked), then start. False with `why` set.
bool startStreaming(CameraSession& session, const CliOptions& options, std::string& why);

// What the frame callback measures: frame number, latency from the capture time in the
// frame to `now` and, for frames with a cloud, the central median depth.
FrameSample measureFrame(const Movoda::Frame& frame, std::chrono::system_clock::time_point now);

}  // namespace vantory_cli
