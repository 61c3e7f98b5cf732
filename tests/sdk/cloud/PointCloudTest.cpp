// Cloud geometry, lens table, corner cut, grid switch, amplitude floor, axis switches,
// coordinate type and the IMU extrinsic.
#include <gtest/gtest.h>

#include <cmath>

#include "FrameTestSupport.h"
#include "cloud/CloudConstants.h"
#include "cloud/PointCloudProcessor.h"

using namespace vantory_test;
using Movoda::Frame;
using Movoda::LensParams;
using Movoda::PointCloudProcessor;

namespace {

class PointCloudTest : public FrameTest {
protected:
    void SetUp() override {
        FrameTest::SetUp();
        ::testing::internal::CaptureStdout();
        processor.setLensParams(LensParams{});
        ::testing::internal::GetCapturedStdout();
    }

    // A decoded frame of w x h where every pixel has the same distance and amplitude.
    std::shared_ptr<Frame> uniformFrame(uint16_t w, uint16_t h, uint16_t distance,
                                        uint16_t amplitude = 500) {
        PacketPlan s;
        s.width = w;
        s.height = h;
        s.distance.assign(s.pixels(), distance);
        s.amplitude.assign(s.pixels(), amplitude);
        return decodeFrame(s);
    }

    void generate(Frame& f) {
        ::testing::internal::CaptureStdout();
        processor.generateCloud(f);
        ::testing::internal::GetCapturedStdout();
    }

    static const float* point(const Frame& f, size_t x, size_t y) {
        return f.cloudData() + (y * f.width() + x) * Frame::kCloudStride;
    }

    PointCloudProcessor processor;
};

TEST_F(PointCloudTest, NotReadyBeforeTheFirstLens) {
    PointCloudProcessor fresh;
    EXPECT_FALSE(fresh.ready());
    auto f = uniformFrame(320, 240, 1000);
    fresh.generateCloud(*f);
    EXPECT_EQ(f->hasCloud(), 0);
    EXPECT_EQ(f->cloudPointCount(), 0u);
}

TEST_F(PointCloudTest, PrincipalPointAtOneMetre) {
    auto f = uniformFrame(320, 240, 1000);
    generate(*f);
    ASSERT_EQ(f->hasCloud(), 1);
    ASSERT_EQ(f->cloudPointCount(), 76800u);
    // Stored column 159 mirrors to sensor column 160 = cx; row 120 = cy.
    const float* p = point(*f, 159, 120);
    EXPECT_EQ(p[0], 0.0f);
    EXPECT_FALSE(std::signbit(p[0]));
    EXPECT_EQ(p[1], 0.0f);
    EXPECT_TRUE(std::signbit(p[1]));  // y is negated by default
    EXPECT_FLOAT_EQ(p[2], 1.0f);
    EXPECT_FLOAT_EQ(p[3], f->reflectivity(120 * 320 + 159));
}

TEST_F(PointCloudTest, OffAxisPointsFollowThePinholeModel) {
    auto f = uniformFrame(320, 240, 2000);
    generate(*f);
    // Stored (x=0, y=0) is sensor column 319, row 0.
    const double du = 319 - 160.0, dv = 0 - 120.0;
    const double z = 2.0 / std::sqrt(du * du / (170.0 * 170.0) + dv * dv / (170.0 * 170.0) + 1);
    const float* p = point(*f, 0, 0);
    EXPECT_NEAR(p[2], z, 1e-5);
    EXPECT_NEAR(p[0], du * z / 170.0, 1e-5);
    EXPECT_NEAR(p[1], -dv * z / 170.0, 1e-5);
    // Every point lies at the measured distance from the origin.
    for (size_t i = 0; i < f->cloudPointCount(); i += 997) {
        const float* q = f->cloudData() + i * 4;
        EXPECT_NEAR(std::sqrt(q[0] * q[0] + q[1] * q[1] + q[2] * q[2]), 2.0, 1e-5) << i;
    }
}

TEST_F(PointCloudTest, DistortionIsUndoneWithTheSameMatrix) {
    LensParams lens;
    lens.k1 = -0.05f;
    lens.k2 = 0.01f;
    lens.p1 = 0.001f;
    ::testing::internal::CaptureStdout();
    processor.setLensParams(lens);
    ::testing::internal::GetCapturedStdout();
    // Re-distorting the table entry of a corner pixel must give back the pixel.
    const auto [u, v] = processor.undistorted(0, 0);
    const double x = (u - 160.0) / 170.0, y = (v - 120.0) / 170.0;
    const double r2 = x * x + y * y;
    const double radial = 1 + lens.k1 * r2 + lens.k2 * r2 * r2;
    const double xd = x * radial + 2 * lens.p1 * x * y + lens.p2 * (r2 + 2 * x * x);
    const double yd = y * radial + lens.p1 * (r2 + 2 * y * y) + 2 * lens.p2 * x * y;
    EXPECT_NEAR(xd * 170.0 + 160.0, 0.0, 0.05);
    EXPECT_NEAR(yd * 170.0 + 120.0, 0.0, 0.05);
    EXPECT_LT(u, 0.0f);  // the undistorted corner lies outside the sensor
}

TEST_F(PointCloudTest, InvalidDistancesBecomeNaN) {
    auto f = uniformFrame(4, 4, 1000);
    f->setDistance(5, 964000);
    generate(*f);
    const float* p = f->cloudData() + 5 * 4;
    EXPECT_TRUE(std::isnan(p[0]) && std::isnan(p[1]) && std::isnan(p[2]));
    EXPECT_FALSE(std::isnan(f->cloudData()[4 * 4 + 2]));
}

TEST_F(PointCloudTest, CornerCutSwitchAndRadius) {
    ::testing::internal::CaptureStdout();
    processor.setCutCorner(0);
    EXPECT_FALSE(processor.cornerCutOn());
    processor.setCutCorner(202);
    EXPECT_FALSE(processor.cornerCutOn());
    processor.setCutCorner(201);
    EXPECT_TRUE(processor.cornerCutOn());
    processor.setCutCorner(40);
    const std::string printed = ::testing::internal::GetCapturedStdout();
    EXPECT_NE(printed.find("deledpercent = "), std::string::npos);
    EXPECT_TRUE(processor.cornerCutOn());
    EXPECT_TRUE(processor.cornerMasked(0, 0));
    EXPECT_FALSE(processor.cornerMasked(40, 40));
    EXPECT_TRUE(processor.cornerMasked(239, 319));
    EXPECT_TRUE(processor.cornerMasked(0, 319));
    EXPECT_TRUE(processor.cornerMasked(239, 0));
    EXPECT_FALSE(processor.cornerMasked(120, 0));  // edge middle stays
    // On the quarter circle's boundary: distance exactly R is kept.
    EXPECT_FALSE(processor.cornerMasked(0, 40));
}

TEST_F(PointCloudTest, CutPixelsGetNaNAndDistanceZero) {
    ::testing::internal::CaptureStdout();
    processor.setCutCorner(40);
    ::testing::internal::GetCapturedStdout();
    auto f = uniformFrame(320, 240, 1000);
    generate(*f);
    const float* p = point(*f, 0, 0);
    EXPECT_TRUE(std::isnan(p[0]) && std::isnan(p[2]));
    EXPECT_EQ(f->distance(0), 0u);
    EXPECT_EQ(f->distance(120 * 320 + 159), 1000u);
    EXPECT_EQ(f->rawDistance(0), 1000u);
}

TEST_F(PointCloudTest, SmallFrameSwitchesToTheSmallGridAndBack) {
    ::testing::internal::CaptureStdout();
    processor.setCutCorner(40);
    ::testing::internal::GetCapturedStdout();
    auto small = uniformFrame(160, 60, 1000);
    generate(*small);
    EXPECT_TRUE(processor.smallSensor());
    EXPECT_EQ(processor.gridWidth(), 160u);
    EXPECT_EQ(processor.gridHeight(), 60u);
    EXPECT_EQ(processor.cornerRadiusInUse(), 10u);
    EXPECT_TRUE(processor.cornerMasked(0, 0));
    EXPECT_FALSE(processor.cornerMasked(10, 10));
    // The small grid keeps the lens: (80 - 160) / 170 off axis at stored column 79.
    const float* p = point(*small, 79, 30);
    EXPECT_NEAR(p[0] / p[2], (80 - 160.0) / 170.0, 1e-5);

    // Camera column binning halves the threshold: 160 x 60 is then a full-sensor frame.
    auto full = uniformFrame(320, 240, 1000);
    generate(*full);
    EXPECT_FALSE(processor.smallSensor());
    EXPECT_EQ(processor.gridWidth(), 320u);
    EXPECT_EQ(processor.cornerRadiusInUse(), 40u);
    EXPECT_FLOAT_EQ(point(*full, 159, 120)[2], 1.0f);
}

TEST_F(PointCloudTest, CameraBinningMovesTheThresholdAndTheSensorIndex) {
    PacketPlan s;
    s.width = 160;
    s.height = 60;
    s.binningFlags = 3;  // threshold 4850 / 2 = 2425: 9600 pixels are not small
    s.distance.assign(s.pixels(), 1000);
    s.amplitude.assign(s.pixels(), 500);
    auto f = decodeFrame(s);
    generate(*f);
    EXPECT_FALSE(processor.smallSensor());
    // Stored (x, y) reads sensor row 2y, column 2x (then mirrored): x = 80 is column 160
    // which mirrors to 159.
    const float* p = point(*f, 80, 60 / 2);
    EXPECT_NEAR(p[0] / p[2], (159 - 160.0) / 170.0, 1e-5);
    EXPECT_NEAR(p[1] / p[2], -(60 - 120.0) / 170.0, 1e-5);
}

TEST_F(PointCloudTest, EmptyParametersLoadTheAlternateLens) {
    LensParams empty;
    empty.fx = empty.fy = empty.k1 = 0.0f;
    ::testing::internal::CaptureStdout();
    processor.setLensParams(empty);
    const std::string printed = ::testing::internal::GetCapturedStdout();
    EXPECT_NE(printed.find("changed camparams is empty:used default"), std::string::npos);
    EXPECT_NE(printed.find("changed camparams fx=0.000000"), std::string::npos);
    EXPECT_FLOAT_EQ(processor.lens().fx, 78.212524f);
    EXPECT_FLOAT_EQ(processor.lens().p2, -0.0014f);
    // The same empty parameters again do not rebuild the table.
    ::testing::internal::CaptureStdout();
    processor.setLensParams(empty);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
}

TEST_F(PointCloudTest, SameLensDoesNotRebuild) {
    ::testing::internal::CaptureStdout();
    processor.setLensParams(LensParams{});
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
    LensParams other;
    other.fx = 200.0f;
    ::testing::internal::CaptureStdout();
    processor.setLensParams(other);
    EXPECT_NE(::testing::internal::GetCapturedStdout().find("fx=200.000000"), std::string::npos);
}

TEST_F(PointCloudTest, AmplitudeFloorOnlyForDistanceAmplitudeFrames) {
    processor.setSdkMinAmplitude(100);
    PacketPlan s;
    s.width = 4;
    s.height = 1;
    s.distance = {1000, 1000, 1000, 1000};
    s.amplitude = {99, 100, 64007, 64006};
    auto f = decodeFrame(s);
    generate(*f);
    // Stored order is mirrored: stored 3 is received 0.
    EXPECT_EQ(f->distance(3), Movoda::kDistanceBelowAmplitudeFloor);
    EXPECT_TRUE(std::isnan(f->cloudData()[3 * 4 + 2]));
    EXPECT_EQ(f->distance(2), 1000u);
    EXPECT_EQ(f->distance(1), Movoda::kDistanceBelowAmplitudeFloor);  // code 64007
    EXPECT_EQ(f->distance(0), 1000u);

    s.dataType = 1;
    s.format = 2;
    auto g = decodeFrame(s);
    generate(*g);
    EXPECT_EQ(g->distance(3), 1000u);
    EXPECT_TRUE(std::isnan(g->cloudData()[3]));  // intensity without amplitude data
}

TEST_F(PointCloudTest, AxisSwitchesAndCoordinateType) {
    auto f = uniformFrame(320, 240, 1000);
    generate(*f);
    const float* ref = point(*f, 0, 0);
    const float x = ref[0], y = ref[1], z = ref[2];

    processor.setMirror(1, 1);
    auto g = uniformFrame(320, 240, 1000);
    generate(*g);
    EXPECT_FLOAT_EQ(point(*g, 0, 0)[0], -x);
    EXPECT_FLOAT_EQ(point(*g, 0, 0)[1], -y);

    processor.setMirror(0, 0);
    processor.setCloudCoordType(1);
    auto h = uniformFrame(320, 240, 1000);
    h->setDistance(1, 964000);
    generate(*h);
    EXPECT_FLOAT_EQ(point(*h, 0, 0)[0], z);
    EXPECT_FLOAT_EQ(point(*h, 0, 0)[1], x);
    EXPECT_FLOAT_EQ(point(*h, 0, 0)[2], y);
    const float* invalid = point(*h, 1, 0);
    EXPECT_TRUE(std::isnan(invalid[0]) && std::isnan(invalid[1]) && std::isnan(invalid[2]));
}

TEST_F(PointCloudTest, RoiOffsetsTheSensorIndexAndIsClamped) {
    PacketPlan s;
    s.width = 10;
    s.height = 100;
    s.roiX0 = 155;
    s.roiY0 = 70;
    s.distance.assign(s.pixels(), 1000);
    s.amplitude.assign(s.pixels(), 500);
    auto f = decodeFrame(s);
    // 1000 pixels: the small grid (160 x 60). Stored (x=0, y=0) is sensor row 70 -> clamped
    // to the last pixel (59, 159), which mirrors to column 0.
    generate(*f);
    ASSERT_TRUE(processor.smallSensor());
    const float* p = point(*f, 0, 0);
    EXPECT_NEAR(p[0] / p[2], (0 - 160.0) / 170.0, 1e-5);
    EXPECT_NEAR(p[1] / p[2], -(59 - 120.0) / 170.0, 1e-5);
}

TEST_F(PointCloudTest, ImuExtrinsicConvertedForFlippedAxes) {
    const Movoda::ImuExtrinsic initial = processor.getImuExtrinsic();
    EXPECT_FLOAT_EQ(initial.qx, 0.7071068f);
    EXPECT_FLOAT_EQ(initial.tx, -0.02932f);

    Movoda::ImuExtrinsic e;
    e.qw = 0.1f;
    e.qx = 0.2f;
    e.qy = 0.3f;
    e.qz = 0.4f;
    e.tx = 1.0f;
    e.ty = 2.0f;
    e.tz = 3.0f;
    processor.setImuExtrinsic(e);
    processor.setMirror(1, 0);
    EXPECT_FLOAT_EQ(processor.getImuExtrinsic().qw, 0.1f);  // stored form
    processor.setMirror(1, 1);
    const Movoda::ImuExtrinsic c = processor.getImuExtrinsic();
    EXPECT_FLOAT_EQ(c.qw, -0.2f);
    EXPECT_FLOAT_EQ(c.qx, 0.1f);
    EXPECT_FLOAT_EQ(c.qy, -0.4f);
    EXPECT_FLOAT_EQ(c.qz, 0.3f);
    EXPECT_FLOAT_EQ(c.tx, 1.0f);
    EXPECT_FLOAT_EQ(c.ty, -2.0f);
    EXPECT_FLOAT_EQ(c.tz, -3.0f);
    // The converted form is the Hamilton product (0, 1, 0, 0) * q.
    const float kw = 0, kx = 1, ky = 0, kz = 0;
    EXPECT_FLOAT_EQ(c.qw, kw * e.qw - kx * e.qx - ky * e.qy - kz * e.qz);
    EXPECT_FLOAT_EQ(c.qy, kw * e.qy - kx * e.qz + ky * e.qw + kz * e.qx);
    processor.setImuExtrinsic(e);  // unchanged: nothing happens
    EXPECT_FLOAT_EQ(processor.getImuExtrinsic().qw, -0.2f);
}

TEST_F(PointCloudTest, CloudRecomputedOnARebinnedFrame) {
    Movoda::frame_settings::setSdkBinning(2, 2);
    auto f = uniformFrame(320, 240, 1500);
    generate(*f);
    EXPECT_EQ(f->cloudPointCount(), 160u * 120u);
    // Binned (x, y) reads sensor (2y, 2x): stored x = 80 -> column 160 -> mirrored 159.
    const float* p = point(*f, 80, 60);
    EXPECT_NEAR(p[0] / p[2], (159 - 160.0) / 170.0, 1e-5);
    EXPECT_NEAR(p[1] / p[2], 0.0, 1e-5);
}

// SDK binning of x * y >= 8 makes a large-sensor frame smaller than the small sensor;
// the cloud must still walk the large grid. A wall 1.5 m away stays flat at 1.5 m.
TEST_F(PointCloudTest, BinnedWallOfTheLargeSensorStaysFlat) {
    struct Case {
        uint16_t binX, binY;
    };
    for (const Case c : {Case{3, 3}, Case{2, 4}, Case{8, 8}}) {
        Movoda::frame_settings::setSdkBinning(c.binX, c.binY);
        PacketPlan s;
        s.distance.resize(s.pixels());
        s.amplitude.assign(s.pixels(), 500);
        for (size_t i = 0; i < s.pixels(); ++i) {
            // Received column c sits on grid column c; the default lens has no distortion.
            const double rx = (double(i % s.width) - 160.0) / 170.0;
            const double ry = (double(i / s.width) - 120.0) / 170.0;
            s.distance[i] = static_cast<uint16_t>(std::lround(1500.0 * std::sqrt(rx * rx + ry * ry + 1.0)));
        }
        auto f = decodeFrame(s);
        generate(*f);
        EXPECT_FALSE(processor.smallSensor()) << c.binX << "x" << c.binY;
        ASSERT_EQ(f->cloudPointCount(), size_t(320 / c.binX) * (240 / c.binY));
        float minX = 0, maxX = 0;
        size_t off = 0;
        for (size_t i = 0; i < f->cloudPointCount(); ++i) {
            const float* p = f->cloudData() + i * Frame::kCloudStride;
            // The binned pixel's ray is its block's corner: a pixel or so off the average.
            if (std::fabs(p[2] - 1.5f) > 0.03f) ++off;
            if (p[0] < minX) minX = p[0];
            if (p[0] > maxX) maxX = p[0];
        }
        EXPECT_EQ(off, 0u) << c.binX << "x" << c.binY;
        // The wall spans the whole field of view, not one ray.
        EXPECT_LT(minX, -1.2f);
        EXPECT_GT(maxX, 1.2f);
    }
}

// An erased calibration sends NaN: the default lens is taken once, and the same lens
// arriving with every frame neither rebuilds the table nor prints again.
TEST_F(PointCloudTest, NonFiniteLensMeansNoCalibration) {
    LensParams other;
    other.fx = 200.0f;
    ::testing::internal::CaptureStdout();
    processor.setLensParams(other);
    ::testing::internal::GetCapturedStdout();

    struct Case {
        float bad;
        const char* printed;  // three frames with the same erased lens
    };
    const Case cases[] = {
        {std::nanf(""), "camparams not finite: used the default lens\nchanged camparams fx=170.000000 k1=0.000000\n"},
        {HUGE_VALF, ""},  // the default lens is in use already and the warning was given
    };
    for (const Case& c : cases) {
        LensParams erased;
        erased.k2 = c.bad;
        ::testing::internal::CaptureStdout();
        for (int frame = 0; frame < 3; ++frame) processor.setLensParams(erased);
        EXPECT_EQ(::testing::internal::GetCapturedStdout(), c.printed);
        EXPECT_FLOAT_EQ(processor.lens().fx, 170.0f);
        EXPECT_EQ(processor.lens().k2, 0.0f);
        auto f = uniformFrame(320, 240, 1000);
        generate(*f);
        EXPECT_FLOAT_EQ(point(*f, 159, 120)[2], 1.0f);
    }
    ::testing::internal::CaptureStdout();
    LensParams erased;
    erased.cx = std::nanf("");
    processor.setLensParams(erased);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
}

}  // namespace
