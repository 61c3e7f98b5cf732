// Temporal noise of a distance stream: the standard deviation of each pixel over the last
// `depth` frames. Each frame costs O(pixels): running integer sums per pixel gain the new
// frame and lose the one leaving the window, so they stay exact however long it runs.
#pragma once

#include <cstdint>
#include <vector>

#include "analysis/Roi.h"

namespace vantory::analysis {

class TemporalNoise {
public:
    static constexpr int kMinDepth = 10;
    static constexpr int kMaxDepth = 100;

    // depth is clamped to kMinDepth..kMaxDepth.
    explicit TemporalNoise(int depth);

    // Forgets every frame; the memory is kept.
    void reset();
    // Changes the window length (clamped) and starts again.
    void setDepth(int depth);
    int depth() const { return depth_; }

    // Adds one distance plane of width x height values in mm: the camera's 16-bit values
    // (codes from 64000 up) or the SDK's 32-bit plane (codes from 964000 up); 0 is no
    // measurement in both. A frame of another size than the previous one starts again.
    void add(const std::uint16_t* distance, int width, int height);
    void add(const std::uint32_t* distance, int width, int height);

    // Frames in the window (at most depth()).
    int frames() const { return frames_; }
    int width() const { return width_; }
    int height() const { return height_; }

    // Per-pixel standard deviation (mm, population) over the frames in the window, row
    // after row; NaN for a pixel without a measurement in any of them, and everywhere
    // while fewer than two frames are in the window.
    void map(std::vector<float>& out) const;
    // Mean of the per-pixel deviations inside the rectangle (clamped; see clampRoi) over
    // the pixels measured in every frame of the window; NaN when there is none.
    double roiMean(Roi roi) const;

private:
    template <typename T>
    void addPlane(const T* distance, int width, int height, std::uint32_t invalidFrom);
    void startOver(int width, int height);
    // NaN when the pixel was not measured in every frame of the window.
    double pixelStddev(std::size_t i) const;

    int depth_;
    int width_ = 0;
    int height_ = 0;
    std::size_t pixels_ = 0;
    int frames_ = 0;
    int next_ = 0;                     // ring slot the next frame goes to
    std::vector<std::uint32_t> ring_;  // depth_ planes; kNotMeasured for codes
    std::vector<std::uint32_t> sum_;   // at most 100 values below 2^20
    std::vector<std::uint64_t> sumSq_;
    std::vector<std::uint8_t> unmeasured_;  // frames of the window without a measurement
};

}  // namespace vantory::analysis
