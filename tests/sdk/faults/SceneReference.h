// Rebuilds the packet the simulated camera sent as frame N, so that a delivered frame's
// header and pixel planes can be compared with it byte for byte. The camera's scene and
// noise depend only on the frame number (at a constant frame rate), so a frame made of
// another frame's chunks, or of altered bytes, cannot match.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "FrameBuilder.h"
#include "SimOptions.h"

namespace faults {

class SceneReference {
public:
    explicit SceneReference(const camsim::SimOptions& options);

    // Empty when `delivered` holds exactly what the camera sent for its frame number with
    // this identity and configuration; otherwise what differs. The information block (or
    // the older trailer) carries clock readings and temperatures and is left out.
    std::string mismatch(const std::vector<uint8_t>& delivered, const camsim::Identity& identity,
                         const camsim::AcquisitionConfig& config);

private:
    double sceneTimeOf(uint16_t frameNumber, int fps) const;

    camsim::SimOptions options_;
    camsim::FrameBuilder builder_;
    std::vector<uint8_t> expected_;
};

}  // namespace faults
