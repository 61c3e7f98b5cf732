// The visualiser of the point-cloud window and everything drawn in it. Lives on the
// window's thread only: built there, stepped there, destroyed there (without close(),
// which crashes in this PCL/VTK pair when called from that thread).
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "CloudTypes.h"
#include "X11Support.h"

namespace pcl::visualization {
class PCLVisualizer;
}

namespace vantory::cloudview {

class CloudViewShared;

class ViewerScene {
public:
    // Sets the window up: background, camera, frame-rate text, axes, the empty cloud,
    // keys, the stored geometry (when complete) and the point-size buttons.
    ViewerScene(CloudViewShared& shared, const WindowGeometry& stored);
    ~ViewerScene();
    ViewerScene(const ViewerScene&) = delete;
    ViewerScene& operator=(const ViewerScene&) = delete;

    // One pass of the window loop (at least 20 ms): buttons, point size and opacity,
    // grid, a new cloud with its picked point and frame-rate text, the window's events, a
    // requested view reset, then one render when anything changed. Returns whether a new
    // cloud was drawn.
    bool step();
    // The user closed the window (close box, or the visualiser's quit keys).
    bool stopped() const;

    // Where the window was at the last look (every tenth of a second while it is open; the
    // window may be gone by the time the loop notices that it was closed).
    WindowGeometry geometry() const { return geometry_; }
    // X window of the render window (0 before it is mapped).
    unsigned long windowId() const;
    // Renders the window finished since it opened.
    std::uint64_t renders() const;

private:
    struct Buttons;
    struct RenderCounter;

    void addAxes();
    void setCamera(int coordType);
    void resetView();
    void placeButtons(int width);
    void updateGrid();
    void showCloud(const CloudConstPtr& cloud);
    void showPickedPoint(const Cloud& cloud);
    void takeGeometry();

    CloudViewShared& shared_;
    std::unique_ptr<pcl::visualization::PCLVisualizer> viewer_;
    std::unique_ptr<Buttons> buttons_;
    std::unique_ptr<RenderCounter> renderCounter_;
    CloudConstPtr displayed_;
    std::vector<std::string> gridIds_;
    WindowGeometry geometry_;
    std::chrono::steady_clock::time_point geometryTakenAt_{};

    // What the loop last applied.
    float lastPointSize_ = -1.0f;
    float lastOpacity_ = -1.0f;
    int lastWidth_ = -1;
    bool lastShowGrid_ = false;
    double lastGridHeight_ = -999.0;
    int lastCoordType_ = -1;
    int lastMaxDistance_ = -1;
    bool changed_ = true;  // something to render
    bool closed_ = false;  // the user closed the window
};

}  // namespace vantory::cloudview
