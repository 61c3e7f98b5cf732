#include "SceneReference.h"

#include <algorithm>
#include <functional>
#include <memory>
#include <numeric>

#include "CamsimConstants.h"
#include "Scene.h"

namespace faults {

namespace {
constexpr size_t kHeaderAt = 8;  // inner bytes start after the start mark and length
constexpr size_t kEndMarkSize = 4;

uint16_t frameNumberOf(const std::vector<uint8_t>& packet, bool bigEndian) {
    const uint8_t* at = packet.data() + kHeaderAt + 2;
    return bigEndian ? uint16_t(at[0] << 8 | at[1]) : uint16_t(at[1] << 8 | at[0]);
}
}  // namespace

SceneReference::SceneReference(const camsim::SimOptions& options)
    : options_(options),
      builder_(std::shared_ptr<const camsim::Scene>(camsim::makeScene(options.scene)),
               camsim::FrameOptions{options.noise, options.seed}) {}

double SceneReference::sceneTimeOf(uint16_t frameNumber, int fps) const {
    // The camera advances its scene clock by one frame period per frame sent, summed the
    // same way, so the rounding matches too.
    const uint16_t framesBefore = uint16_t(frameNumber - options_.startSequence);
    double time = 0;
    for (uint16_t i = 0; i < framesBefore; ++i) time += 1.0 / double(fps);
    return time;
}

std::string SceneReference::mismatch(const std::vector<uint8_t>& delivered,
                                     const camsim::Identity& identity,
                                     const camsim::AcquisitionConfig& config) {
    const bool legacy = options_.legacy;
    const size_t tail = legacy ? camsim::kLegacyFrameTrailerSize : camsim::kInfoBlockSize;
    if (delivered.size() < kHeaderAt + tail + kEndMarkSize + 4) {
        return "packet of " + std::to_string(delivered.size()) + " bytes";
    }
    camsim::FrameContext context;
    context.frameNumber = frameNumberOf(delivered, legacy);
    context.sceneTime = sceneTimeOf(context.frameNumber, std::max(1, int(config.maxFps)));
    context.legacy = legacy;
    builder_.build(identity, config, context, expected_);
    if (expected_.size() != delivered.size()) {
        return "frame " + std::to_string(context.frameNumber) + ": " +
               std::to_string(delivered.size()) + " bytes, sent " +
               std::to_string(expected_.size());
    }
    const size_t end = delivered.size() - kEndMarkSize - tail;
    const auto first = std::mismatch(delivered.begin() + kHeaderAt, delivered.begin() + end,
                                     expected_.begin() + kHeaderAt);
    if (first.first == delivered.begin() + end) return {};
    const size_t at = size_t(first.first - delivered.begin());
    const size_t differing = size_t(std::inner_product(
        delivered.begin() + kHeaderAt, delivered.begin() + end, expected_.begin() + kHeaderAt,
        size_t(0), std::plus<>(), [](uint8_t a, uint8_t b) { return a != b ? 1 : 0; }));
    return "frame " + std::to_string(context.frameNumber) + ": " + std::to_string(differing) +
           " bytes differ, first at " + std::to_string(at);
}

}  // namespace faults
