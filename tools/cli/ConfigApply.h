// A configuration file (.mvcfg, as the viewer exports it) applied before streaming: its
// camera settings as camera commands, then its SDK-side settings and depth filters.
#pragma once

#include <optional>
#include <string>

#include "CameraConfig.h"
#include "CameraSession.h"

namespace vantory_cli {

// The file's configuration; empty (with `why`) when it is missing, not a file or holds
// no Setting/imgType.
std::optional<vantory::CameraConfig> loadConfigFile(const std::string& path, std::string& why);

// HDR mode, integration times, minimum amplitude and (unless --fps was given) the frame
// rate; then mirrors, corner cut and the depth filters in the viewer's order. The image
// type stays the command's own. False with `why` when the camera refused a command.
bool applyConfig(CameraSession& session, const vantory::CameraConfig& config, bool keepFrameRate,
                 std::string& why);

}  // namespace vantory_cli
