// The measurements the viewer takes from live frames: ROI statistics with temporal
// noise, histograms, the noise map of the distance pane and the panes' auto range.
// Everything is fed on the frame thread and only while a panel or mode asks for it;
// the GUI thread sets the switches and takes the newest results.
#pragma once

#include <QImage>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "ColorImageBuilder.h"
#include "analysis/AutoRange.h"
#include "analysis/Histogram.h"
#include "analysis/PlaneStats.h"
#include "analysis/Roi.h"
#include "analysis/TemporalNoise.h"

class ImageColorizer;

namespace vantory::measure {

// An auto range rounded to whole steps so that the colour lookup is not rebuilt for every
// small move of the smoothed range; the upper end stays above the lower one.
colorizer::ColorRange roundedRange(const analysis::ValueRange& range, int step);

// One frame's planes as the measurements read them; absent planes are null.
struct FramePlanes {
    int width = 0;
    int height = 0;
    const std::uint32_t* distance = nullptr;  // the plane the distance pane shows
    const std::uint16_t* amplitude = nullptr;
    const float* reflectivity = nullptr;
};

struct PlaneFigures {
    bool present = false;
    analysis::PlaneStats stats;
    double temporalNoise = 0.0;  // mean per-pixel std over the ROI; NaN when not known
};

// Figures of one ROI (already clamped to the frame).
struct RoiStatistics {
    analysis::Roi roi;
    int noiseFrames = 0;  // frames the temporal noise was taken over
    PlaneFigures distance;
    PlaneFigures amplitude;
    PlaneFigures reflectivity;
};

struct MeasureResults {
    std::uint64_t sequence = 0;  // grows with every new result
    RoiStatistics statistics;
    analysis::Histogram distanceHistogram;
    analysis::Histogram amplitudeHistogram;
    bool hasAmplitude = false;
};

enum class Pane { Distance, Amplitude };

class FrameMeasures {
public:
    FrameMeasures();
    ~FrameMeasures();
    FrameMeasures(const FrameMeasures&) = delete;
    FrameMeasures& operator=(const FrameMeasures&) = delete;

    // ---- Switches (any thread) ----
    void setStatisticsWanted(bool on) { statisticsWanted_.store(on); }
    void setHistogramsWanted(bool on) { histogramsWanted_.store(on); }
    void setNoiseMap(bool on) { noiseMap_.store(on); }
    bool noiseMap() const { return noiseMap_.load(); }
    void setAutoRange(Pane pane, bool on);
    bool autoRange(Pane pane) const;
    // Clamped to 10..100; the noise history starts again.
    void setNoiseDepth(int frames);
    int noiseDepth() const { return noiseDepth_.load(); }
    // Whole frame when width or height is 0 or less.
    void setRoi(const analysis::Roi& roi);
    analysis::Roi roi() const;
    // False while every panel and mode is off: the frame path then skips all of this.
    bool active() const;

    // ---- Frame thread ----
    // Takes one frame: the noise history while it is needed; the auto ranges, statistics,
    // histograms and the noise picture at most every kStatsIntervalMs.
    void feed(const FramePlanes& planes, std::chrono::steady_clock::time_point now);
    // Replaces the panes' ranges by their auto ranges (of the last fed frame) where on.
    void adjustRanges(colorizer::ColorRange& distance, colorizer::ColorRange& amplitude);
    // Paints the noise map into the distance image when the mode is on (rendered again
    // when due, copied otherwise); false otherwise.
    bool paintNoiseMap(QImage& distanceImage);

    // ---- GUI thread ----
    // The newest results when newer than `sequence`.
    std::optional<MeasureResults> resultsAfter(std::uint64_t sequence) const;
    // Colour scale of the last painted noise map, mm.
    analysis::ValueRange noiseScaleMm() const;
    // The per-pixel noise (mm, NaN where unknown) and the frames it covers.
    int noiseMapSnapshot(std::vector<float>& out) const;

private:
    void ensureNoiseDepth();
    void computeResults(const FramePlanes& planes);
    bool renderNoise();  // the noise map into noiseImage_

    std::atomic<bool> statisticsWanted_{false};
    std::atomic<bool> histogramsWanted_{false};
    std::atomic<bool> noiseMap_{false};
    std::atomic<bool> autoDistance_{false};
    std::atomic<bool> autoAmplitude_{false};
    std::atomic<int> noiseDepth_;
    std::atomic<bool> noiseRestart_{false};

    mutable std::mutex roiMutex_;
    analysis::Roi roi_;

    // Frame-thread state, under workMutex_ (the frame callbacks are serialised, so it is
    // taken without contention; the lock keeps the rule simple for replayed frames).
    mutable std::mutex workMutex_;
    std::unique_ptr<analysis::TemporalNoise> distanceNoise_;
    std::unique_ptr<analysis::TemporalNoise> amplitudeNoise_;
    int noiseDepthInUse_ = 0;
    std::vector<float> noiseMap_mm_;
    std::vector<std::uint16_t> noiseUnits_;
    analysis::AutoRange distanceAuto_;
    analysis::AutoRange amplitudeAuto_;
    analysis::AutoRange noiseAuto_;
    bool distanceAutoFresh_ = true;
    bool amplitudeAutoFresh_ = true;
    std::optional<colorizer::ColorRange> distanceAutoRange_;
    std::optional<colorizer::ColorRange> amplitudeAutoRange_;
    analysis::ValueRange noiseScale_{0.0, 0.0};  // mm, under resultsMutex_
    std::unique_ptr<ImageColorizer> noiseColorizer_;
    std::chrono::steady_clock::time_point lastDue_{};
    QImage noiseImage_;  // the last rendered noise map, copied into every frame's pane
    bool noiseImageStale_ = true;
    std::uint64_t sequence_ = 0;

    mutable std::mutex resultsMutex_;
    MeasureResults results_;
};

}  // namespace vantory::measure
