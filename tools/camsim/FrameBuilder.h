// Builds the camera's image packets: ray casts the scene through the lens for every pixel,
// turns range and reflectivity into distance, amplitude, grayscale, HDR index and raw DCS
// planes, and appends the frame information block (current layout) or the short trailer
// of the older layout.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "CameraSettings.h"
#include "LensModel.h"
#include "Scene.h"

namespace camsim {

struct FrameContext {
    uint16_t frameNumber = 0;
    uint64_t captureTimeMs = 0;   // wall clock of sub-frame 0
    double sceneTime = 0;         // seconds, moves the scene's objects
    int16_t temperature1 = 3500;  // hundredths of a degree
    int16_t temperature2 = 3400;
    uint8_t devState = 3;
    bool legacy = false;           // older layout: big-endian header, format-2 trailer
    bool commandLinkDown = false;  // reported in the information block
};

struct FrameOptions {
    double noise = 1.0;  // scale of the distance noise; 0 gives exact distances
    uint64_t seed = 1;
};

// Data flag bits of the pixel planes.
namespace planes {
constexpr uint8_t kDistance = 1;
constexpr uint8_t kAmplitude = 2;
constexpr uint8_t kHdrIndex = 4;
constexpr uint8_t kGrayscale = 8;
constexpr uint8_t kRawDcs = 16;
}  // namespace planes

// Which planes a configuration streams.
uint8_t dataFlagsFor(const AcquisitionConfig& config, bool legacy);
// Amplitude that makes the receiver's reflectivity come out at `reflectivity` (0..1).
double amplitudeFor(double reflectivity, double distanceM, double intTimeUs, double coefficient,
                    double reflScale);

class FrameBuilder {
public:
    FrameBuilder(std::shared_ptr<const Scene> scene, FrameOptions options);

    // The whole wire packet (start mark to end mark) of one frame with command id 251.
    // Reuses `out`'s storage.
    void build(const Identity& identity, const AcquisitionConfig& config,
               const FrameContext& context, std::vector<uint8_t>& out);

private:
    struct Pixel {
        uint16_t distance, amplitude, grayscale;
        uint8_t hdrIndex;
        uint16_t dcs[4];
    };
    void ensureRays(const Identity& identity, const AcquisitionConfig& config);
    void renderPixels(const Identity& identity, const AcquisitionConfig& config,
                      const FrameContext& context);
    void writeInfoBlock(uint8_t* at, const Identity& identity, const AcquisitionConfig& config,
                        const FrameContext& context, uint8_t dataFlags) const;
    void writeLegacyTrailer(uint8_t* at, const AcquisitionConfig& config,
                            const FrameContext& context) const;

    std::shared_ptr<const Scene> scene_;
    FrameOptions options_;
    RayTable rays_;
    AcquisitionConfig raysConfig_;
    Lens raysLens_;
    bool raysValid_ = false;
    std::vector<Pixel> pixels_;
    uint8_t subFrameMask_ = 0;
};

}  // namespace camsim
