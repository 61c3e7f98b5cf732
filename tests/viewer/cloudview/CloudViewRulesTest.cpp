// The point-cloud window's rules without a window: grid, buttons, keys, colour scalars,
// forward-distance culling, the automatic reflectivity maximum and the picked point.
#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <cmath>
#include <memory>
#include <set>
#include <thread>
#include <vector>

#include "CloudButtons.h"
#include "CloudColorScalars.h"
#include "CloudGrid.h"
#include "CloudViewShared.h"
#include "FrameCloudBuilder.h"
#include "ViewControls.h"
#include "mvsdk/Frame.h"

using namespace vantory::cloudview;

namespace {

// A frame of w x h whose cloud points are given as (x, y, z, reflectivity), the rest NaN.
std::shared_ptr<Movoda::Frame> cloudFrame(uint16_t w, uint16_t h,
                                          const std::vector<std::array<float, 4>>& points) {
    auto frame = std::make_shared<Movoda::Frame>(0, 1, w, h);
    frame->allocatePlanes();
    frame->resizeCloud(size_t(w) * h);
    float* out = frame->cloudData();
    for (size_t i = 0; i < size_t(w) * h; ++i) {
        for (size_t k = 0; k < 4; ++k)
            out[i * 4 + k] = i < points.size() ? points[i][k] : std::nanf("");
        frame->setAmplitude(i, static_cast<uint16_t>(100 + i));
    }
    frame->setHasCloud(true);
    return frame;
}

TEST(CloudGridTest, LinesFollowTheMaximumDistance) {
    struct Case {
        int maxDistanceMm;
        double step;
        size_t lines;
    };
    for (const Case c : {Case{500, 0.1, 32}, Case{1500, 0.2, 23}, Case{12000, 2.0, 20}}) {
        const std::vector<GridLine> lines = gridLines(c.maxDistanceMm, 1.0, kCoordCamera);
        EXPECT_EQ(lines.size(), c.lines) << c.maxDistanceMm;
        const double size = std::max(1.0, c.maxDistanceMm / 1000.0);
        const int n = int(size / c.step);
        // First the lines along the forward axis from -n steps, then the cross lines.
        EXPECT_DOUBLE_EQ(lines.front().from[0], -n * c.step);
        EXPECT_DOUBLE_EQ(lines.front().from[2], size);
        EXPECT_DOUBLE_EQ(lines[2 * n + 1].from[0], size);
        EXPECT_DOUBLE_EQ(lines.back().from[2], n * c.step);
    }
    EXPECT_EQ(gridLineId(0), "grid_0");
    EXPECT_EQ(gridLineId(31), "grid_31");
    EXPECT_DOUBLE_EQ(gridStep(0.0), 0.1);
    EXPECT_DOUBLE_EQ(gridStep(0.3), 0.5);
    EXPECT_DOUBLE_EQ(gridStep(1e9), 100000.0);
}

TEST(CloudGridTest, GridLiesBelowTheOriginInEitherCoordinateType) {
    for (const GridLine& l : gridLines(2000, 1.5, kCoordCamera)) {
        EXPECT_DOUBLE_EQ(l.from[1], -1.5);  // camera: y is up
        EXPECT_DOUBLE_EQ(l.to[1], -1.5);
    }
    const std::vector<GridLine> car = gridLines(2000, 1.5, kCoordCar);
    for (const GridLine& l : car) EXPECT_DOUBLE_EQ(l.from[2], -1.5);  // car: z is up
    EXPECT_DOUBLE_EQ(car.front().to[0], 2.0);                         // forward is x
}

TEST(CloudButtonsTest, ButtonsSitAtTheRightEdgeAndShowTheirSign) {
    EXPECT_EQ(plusButtonBounds(800), (ButtonBounds{748, 788, 60, 100, 0, 0}));
    EXPECT_EQ(minusButtonBounds(640), (ButtonBounds{588, 628, 12, 52, 0, 0}));
    const std::vector<uint8_t> plus = buttonImage(true);
    const std::vector<uint8_t> minus = buttonImage(false);
    ASSERT_EQ(plus.size(), 40u * 40u * 3u);
    auto at = [](const std::vector<uint8_t>& image, int row, int column) {
        return image[(row * 40 + column) * 3];
    };
    struct Pixel {
        int row, column;
        uint8_t plus, minus;
    };
    for (const Pixel p : {Pixel{20, 20, 255, 255}, Pixel{20, 6, 255, 255}, Pixel{20, 5, 60, 60},
                          Pixel{24, 34, 255, 255}, Pixel{25, 10, 60, 60}, Pixel{6, 20, 255, 60},
                          Pixel{5, 20, 60, 60}, Pixel{34, 16, 255, 60}, Pixel{34, 15, 60, 60}}) {
        EXPECT_EQ(at(plus, p.row, p.column), p.plus) << p.row << "," << p.column;
        EXPECT_EQ(at(minus, p.row, p.column), p.minus) << p.row << "," << p.column;
    }
}

TEST(ViewControlsTest, KeyboardTable) {
    struct Case {
        const char* symbol;
        bool ctrl;
        float pointSizeBefore, pointSizeAfter;
        float opacityBefore, opacityAfter;
        double gridBefore, gridAfter;
        bool handled;
    };
    const Case cases[] = {
        {"4", true, 2.2f, 1.2f, 1.f, 1.f, 1.0, 1.0, true},
        {"4", true, 1.2f, 1.2f, 1.f, 1.f, 1.0, 1.0, true},
        {"3", true, 1.2f, 2.2f, 1.f, 1.f, 1.0, 1.0, true},
        {"3", false, 1.2f, 1.2f, 1.f, 1.f, 1.0, 1.0, false},
        {"6", true, 1.f, 1.f, 2.95f, 3.0f, 1.0, 1.0, true},
        {"7", true, 1.f, 1.f, 0.1f, 0.1f, 1.0, 1.0, true},
        {"9", true, 1.f, 1.f, 1.f, 1.f, 19.95, 20.0, true},
        {"0", true, 1.f, 1.f, 1.f, 1.f, 0.05, 0.0, true},
        {"F9", true, 1.f, 1.f, 1.f, 1.f, 1.0, 1.0, false},
    };
    for (const Case& c : cases) {
        ViewControls v;
        v.pointSize = c.pointSizeBefore;
        v.opacity = c.opacityBefore;
        v.gridHeight = c.gridBefore;
        EXPECT_EQ(applyKey(KeyPress{c.symbol, c.ctrl, true}, v), c.handled) << c.symbol;
        EXPECT_FLOAT_EQ(v.pointSize, c.pointSizeAfter) << c.symbol;
        EXPECT_FLOAT_EQ(v.opacity, c.opacityAfter) << c.symbol;
        EXPECT_NEAR(v.gridHeight, c.gridAfter, 1e-9) << c.symbol;
        EXPECT_EQ(v.gridDirty.load(), c.gridBefore != c.gridAfter) << c.symbol;
    }
    ViewControls v;
    EXPECT_TRUE(applyKey(KeyPress{"p", false, true}, v));
    EXPECT_FALSE(v.showAxes.load());
    EXPECT_TRUE(v.viewResetRequested.load());
    EXPECT_TRUE(applyKey(KeyPress{"8", true, true}, v));
    EXPECT_FALSE(v.showGrid.load());
    EXPECT_TRUE(v.gridDirty.load());
    EXPECT_FALSE(applyKey(KeyPress{"5", true, false}, v));  // key up
    EXPECT_TRUE(v.highlightOn.load());
}

TEST(CloudColorScalarsTest, ScalarsSkipDroppedPointsAndPinTheRange) {
    auto cloud = std::make_shared<Cloud>();
    cloud->points.resize(4);
    cloud->points[0].getVector3fMap() = Eigen::Vector3f(0.5f, 0.1f, 1.0f);
    cloud->points[0].intensity = 30.0f;
    cloud->points[1].getVector3fMap() =
        Eigen::Vector3f(std::nanf(""), std::nanf(""), std::nanf(""));
    cloud->points[2].getVector3fMap() = Eigen::Vector3f(2.0f, 0.0f, 0.25f);
    cloud->points[2].intensity = 250.0f;
    cloud->points[3].getVector3fMap() = Eigen::Vector3f(1.0f, 1.0f, 1.0f);
    cloud->points[3].intensity = 200.0f;  // equal to the maximum

    struct Case {
        int renderType, coordType;
        std::vector<float> values;
        float low, high;
    };
    const Case cases[] = {
        {kRenderDistance, kCoordCamera, {1.0f, 0.25f, 1.0f}, 0.3f, 1.25f},
        {kRenderDistance, kCoordCar, {0.5f, 2.0f, 1.0f}, 0.3f, 1.25f},
        {kRenderAmplitude, kCoordCamera, {170.0f, 1.0f, 0.0f}, 1.0f, 200.0f},
        {kRenderReflectivity, kCoordCamera, {20.0f, 1.0f, 1.0f}, 1.0f, 50.0f},
    };
    std::vector<float> out;
    for (const Case& c : cases) {
        DisplayValues d;
        d.minDistanceMm = 300;
        d.maxDistanceMm = 1250;
        d.renderType = c.renderType;
        d.coordType = c.coordType;
        d.amplitudeMax = 200;
        d.reflectivityMax = 50;
        colorScalars(*cloud, d, out);
        ASSERT_EQ(out.size(), 3u + 200u) << c.renderType;
        for (size_t i = 0; i < 3; ++i)
            EXPECT_FLOAT_EQ(out[i], c.values[i]) << c.renderType << " " << i;
        EXPECT_FLOAT_EQ(out[3], c.low);
        EXPECT_FLOAT_EQ(out[102], c.low);
        EXPECT_FLOAT_EQ(out[103], c.high);
        EXPECT_FLOAT_EQ(out.back(), c.high);
    }
}

TEST(FrameCloudBuilderTest, PointsOutsideTheDistanceWindowAreDropped) {
    // Forward is z (camera) or x (car); 1.3 m lies beyond 1250 mm.
    auto frame = cloudFrame(3, 2,
                            {{0.2f, 0.1f, 1.3f, 40.0f},
                             {1.3f, 0.1f, 0.2f, 41.0f},
                             {0.0f, 0.0f, 0.5f, 300.0f},
                             {0.5f, 0.5f, 0.05f, 42.0f}});
    struct Case {
        int coordType, minDistanceMm;
        std::vector<bool> kept;
    };
    for (const Case& c : {Case{kCoordCamera, 0, {false, true, true, true, false, false}},
                          Case{kCoordCar, 0, {true, false, true, true, false, false}},
                          Case{kCoordCamera, 100, {false, true, true, false, false, false}}}) {
        DisplayValues d;
        d.minDistanceMm = c.minDistanceMm;
        d.coordType = c.coordType;
        Cloud cloud;
        buildFrameCloud(*frame, d, cloud);
        ASSERT_EQ(cloud.size(), 6u);
        EXPECT_EQ(cloud.width, 3u);
        EXPECT_EQ(cloud.height, 2u);
        EXPECT_FALSE(cloud.is_dense);
        EXPECT_EQ(cloud.header.frame_id, "sensor_frame");
        for (size_t i = 0; i < 6; ++i)
            EXPECT_EQ(std::isfinite(cloud.points[i].z), c.kept[i]) << c.coordType << " " << i;
    }
    // Amplitude render type takes the amplitude plane; the others the fourth value.
    DisplayValues d;
    d.renderType = kRenderAmplitude;
    Cloud cloud;
    buildFrameCloud(*frame, d, cloud);
    EXPECT_FLOAT_EQ(cloud.points[2].intensity, 102.0f);
    d.renderType = kRenderReflectivity;
    d.reflectivityAuto = true;
    // The peak ignores 300 (at or above the 270 ceiling) and the dropped points.
    EXPECT_EQ(buildFrameCloud(*frame, d, cloud), 42);
    EXPECT_FLOAT_EQ(cloud.points[2].intensity, 300.0f);
    d.reflectivityAuto = false;
    EXPECT_EQ(buildFrameCloud(*frame, d, cloud), 10);
}

TEST(FrameCloudBuilderTest, AutomaticReflectivityMaximumAndPickedIndex) {
    struct Auto {
        int r, m, expected;
    };
    for (const Auto a :
         {Auto{100, 100, 100}, Auto{170, 100, 170}, Auto{171, 100, 130}, Auto{90, 100, 90},
          Auto{89, 100, 130}, Auto{100, 10, 13}, Auto{600, 269, 349}}) {
        EXPECT_EQ(reflectivityAutoMax(a.r, a.m), a.expected) << a.r << " " << a.m;
    }
    struct Pick {
        int column, row, width, height;
        int32_t index;
    };
    for (const Pick p : {Pick{5, 2, 10, 4, 25}, Pick{10, 2, 10, 4, 20}, Pick{5, 4, 10, 4, 5},
                         Pick{319, 239, 320, 240, 76799}, Pick{320, 240, 160, 120, 0}}) {
        EXPECT_EQ(pickedPointIndex(p.column, p.row, p.width, p.height), p.index);
    }
}

TEST(CloudViewSharedTest, LiveCloudsNeedARunningWindowAndCountFrames) {
    CloudViewShared shared;
    auto frame = cloudFrame(4, 2, {{0, 0, 1, 5}});
    shared.showFrameCloud(*frame, 9, 1);
    EXPECT_EQ(shared.takeNewCloud(), nullptr);
    shared.setRunning(true);
    for (int k = 0; k < 7; ++k) shared.showFrameCloud(*frame, 9, 1);
    EXPECT_EQ(shared.pickedIndex(), 4);  // column 9 is outside: 0
    const CloudConstPtr cloud = shared.takeNewCloud();
    ASSERT_TRUE(cloud);
    EXPECT_EQ(cloud->size(), 8u);
    EXPECT_EQ(shared.takeNewCloud(), nullptr);  // taken once
    shared.updateViewerFps();
    EXPECT_EQ(shared.framesPerSecond(), 2);  // 7 frames over 3 s
    shared.updateViewerFps();
    EXPECT_EQ(shared.framesPerSecond(), 0);

    // Playback publishes whether the window runs or not.
    shared.setRunning(false);
    auto played = std::make_shared<Cloud>();
    played->points.resize(3);
    shared.setViewerCloud(played);
    EXPECT_EQ(shared.takeNewCloud(), played);
    EXPECT_EQ(shared.copyPendingCloud()->size(), 3u);
}

// The frame thread keeps publishing while the window thread takes clouds: every cloud
// taken is whole (one frame's values), and after the first frames no new storage is used.
TEST(CloudViewSharedTest, HandOffNeverTearsAndReusesThreeBuffers) {
    CloudViewShared shared;
    shared.setRunning(true);
    constexpr int kFrames = 600;
    std::vector<std::shared_ptr<Movoda::Frame>> frames;
    for (int k = 0; k < 4; ++k) {
        std::vector<std::array<float, 4>> points(320 * 24, {0.1f, 0.1f, 0.5f + 0.1f * k, float(k)});
        frames.push_back(cloudFrame(320, 24, points));
    }
    std::atomic<bool> done{false};
    std::thread producer([&] {
        for (int k = 0; k < kFrames; ++k) shared.showFrameCloud(*frames[k % 4], 0, 0);
        done.store(true);
    });
    std::set<const void*> storage;
    int torn = 0;
    int taken = 0;
    auto check = [&](const CloudConstPtr& cloud) {
        ++taken;
        storage.insert(cloud->points.data());
        const float first = cloud->points.front().intensity;
        for (const pcl::PointXYZI& p : cloud->points) {
            if (p.intensity != first || std::fabs(p.z - (0.5f + 0.1f * first)) > 1e-6f) {
                ++torn;
                break;
            }
        }
    };
    while (!done.load()) {
        if (CloudConstPtr cloud = shared.takeNewCloud()) check(cloud);
    }
    producer.join();
    if (CloudConstPtr cloud = shared.takeNewCloud()) check(cloud);
    EXPECT_EQ(torn, 0);
    EXPECT_GT(taken, 0);
    EXPECT_LE(storage.size(), 3u);
}

}  // namespace
