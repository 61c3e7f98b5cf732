// Frames as the camera builds them, checked byte by byte and through the SDK's decoder.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "ByteIo.h"
#include "CamsimConstants.h"
#include "FrameBuilder.h"
#include "LensModel.h"
#include "link/Packet.h"
#include "mvsdk/Frame.h"

using namespace camsim;

namespace {

struct Built {
    std::vector<uint8_t> packet;
    std::vector<uint8_t> inner;
};

class FrameBuilderTest : public ::testing::Test {
protected:
    Built build(const AcquisitionConfig& c, double distance = 1.5, double reflectivity = 0.5,
                double noise = 0, bool legacy = false, uint64_t seed = 1) {
        SceneOptions so;
        so.distance = distance;
        so.reflectivity = reflectivity;
        FrameBuilder builder(makeScene(so), FrameOptions{noise, seed});
        FrameContext ctx;
        ctx.frameNumber = 4321;
        ctx.captureTimeMs = 1700000000123ULL;
        ctx.legacy = legacy;
        Built b;
        builder.build(identity, c, ctx, b.packet);
        auto inner = Movoda::packet::unframe(b.packet.data(), b.packet.size(), legacy);
        EXPECT_TRUE(inner.has_value());
        if (inner) b.inner = *inner;
        return b;
    }

    // The SDK's own decoder, as the frame path uses it.
    std::unique_ptr<Movoda::Frame> decode(const Built& b, bool legacy = false) {
        const uint8_t* in = b.inner.data();
        const uint16_t w = getU16(in + 4, legacy), h = getU16(in + 6, legacy);
        auto f = std::make_unique<Movoda::Frame>(in[1], getU16(in + 2, legacy), w, h);
        EXPECT_TRUE(f->loadHeader(in, b.inner.size()));
        f->setPacket(in, b.inner.size(), legacy);
        f->decode();
        return f;
    }

    double expectedMm(double wall, double col, double row) const {
        const Vec3 r = LensModel(identity.lens).ray(col, row);
        return wall / r.z * 1000.0;
    }

    Identity identity;
};

size_t pixels(const AcquisitionConfig& c) {
    return size_t(c.width()) * size_t(c.height());
}

}  // namespace

TEST_F(FrameBuilderTest, PacketAndInformationBlockLayout) {
    AcquisitionConfig c;
    c.maxFps = 30;
    c.minAmplitude = 77;
    c.channel = 6;
    const Built b = build(c);
    const size_t n = pixels(c);
    ASSERT_EQ(b.packet.size(), 12 + 8 + 4 * n + kInfoBlockSize);
    EXPECT_EQ(getU32(b.packet.data(), true), Movoda::packet::kStartMark);
    EXPECT_EQ(getU32(b.packet.data() + 4, false), b.packet.size() - 12);
    EXPECT_EQ(getU32(b.packet.data() + b.packet.size() - 4, true), Movoda::packet::kEndMark);

    const uint8_t* in = b.inner.data();
    EXPECT_EQ(in[0], cmd::kFrame);
    EXPECT_EQ(in[1], 0);
    EXPECT_EQ(getU16(in + 2, false), 4321);
    EXPECT_EQ(getU16(in + 4, false), 320);
    EXPECT_EQ(getU16(in + 6, false), 240);

    const uint8_t* blk = in + b.inner.size() - kInfoBlockSize;
    EXPECT_EQ(getU32(blk, false), kInfoBlockMagic);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(blk + 5)), "MK150PLUS");
    EXPECT_FLOAT_EQ(getFloat(blk + 53), identity.lens.fx);
    EXPECT_FLOAT_EQ(getFloat(blk + 53 + 32), identity.lens.p2);
    EXPECT_EQ(blk[93], 3);
    EXPECT_EQ(blk[95], 1);  // only integration time 1 contributed
    EXPECT_EQ(getU16(blk + 101, false), 1000);
    EXPECT_EQ(getU16(blk + 121, false), 77);
    EXPECT_EQ(blk[123], 6);
    EXPECT_EQ(blk[127], 30);
    EXPECT_EQ(getU64(blk + 147, false), 1700000000123ULL);
    EXPECT_EQ(getU16(blk + 202, false), 206);
    EXPECT_EQ(blk[204], 3);  // device state in the trailer position
    EXPECT_EQ(blk[205], 3);  // version and trailer type

    const auto split = Movoda::packet::splitInner(b.inner.data(), b.inner.size());
    ASSERT_TRUE(split);
    EXPECT_EQ(split->status, 0);
    EXPECT_EQ(split->devState, 3);
}

TEST_F(FrameBuilderTest, AllPlanesFitAndDecode) {
    AcquisitionConfig c;
    c.grayscalePlane = true;
    c.rawDcsPlane = true;
    c.hdrMode = 1;
    c.intTimes = {1000, 300, 0, 0, 0};
    const Built b = build(c);
    const size_t n = pixels(c);
    EXPECT_EQ(b.packet.size(), 12 + 8 + 4 * n + 2 * n + n / 2 + 8 * n + kInfoBlockSize);
    EXPECT_LT(b.packet.size(), size_t(Movoda::packet::kMaxStreamLength));
    const auto f = decode(b);
    EXPECT_EQ(f->dataFlags(), 31);
    EXPECT_EQ(f->infoBlock()[95], 3);  // both exposures
    const size_t centre = 120 * 320 + 160;
    EXPECT_GT(f->grayscale(centre), 0);
    EXPECT_LT(f->hdrIndex(centre), 2);

    // The raw samples of the first pixel on the wire (row 0, last column) hold its phase.
    const uint8_t* dcs = b.inner.data() + 8 + 4 * n + 2 * n + n / 2;
    const double d0 = getU16(dcs, false), d1 = getU16(dcs + 2, false);
    const double d2 = getU16(dcs + 4, false), d3 = getU16(dcs + 6, false);
    double phase = std::atan2(d1 - d3, d0 - d2);
    if (phase < 0) phase += 2 * M_PI;
    const double range = 299792458.0 / (2 * 12e6) * 1000.0;
    EXPECT_NEAR(phase / (2 * M_PI) * range, double(f->distance(319)), 30.0);
}

TEST_F(FrameBuilderTest, ExactDistancesFollowTheLensIncludingDistortion) {
    identity.lens.cx = 130.0f;  // off centre, so that a mirrored row would show
    identity.lens.k1 = -0.2f;
    AcquisitionConfig c;
    const auto f = decode(build(c, 2.0));
    const int cols[] = {0, 37, 160, 300, 319};
    const int rows[] = {0, 119, 239};
    for (int row : rows) {
        for (int col : cols) {
            const double expected = expectedMm(2.0, col, row);
            EXPECT_NEAR(double(f->distance(size_t(row) * 320 + size_t(col))), expected, 1.0)
                << col << "," << row;
        }
    }
    // The corners look further than the centre: the distance is radial along the ray.
    EXPECT_GT(f->distance(0), f->distance(120 * 320 + 130) + 100);
}

TEST_F(FrameBuilderTest, ReflectivityComesOutAsTheSceneHasIt) {
    struct Case {
        double reflectivity, distance;
        bool binning;
        uint8_t hdr;
    };
    const Case cases[] = {
        {0.5, 1.5, false, 0}, {0.2, 3.0, false, 0}, {0.8, 3.0, true, 0}, {0.5, 2.0, false, 1}};
    for (const auto& k : cases) {
        AcquisitionConfig c;
        c.binningH = c.binningV = k.binning;
        c.hdrMode = k.hdr;
        if (k.hdr) c.intTimes = {1000, 400, 0, 0, 0};
        c.freqCodes = {1, 3, 1, 1, 1};
        const auto f = decode(build(c, k.distance, k.reflectivity));
        const size_t centre = size_t(c.height() / 2) * size_t(c.width()) + size_t(c.width() / 2);
        EXPECT_NEAR(f->reflectivity(centre), k.reflectivity * 100.0, 1.0)
            << k.reflectivity << " at " << k.distance;
    }
}

TEST_F(FrameBuilderTest, AmplitudeModelInvertsTheReflectivityFormula) {
    const double coef = reflectivityCoefficient(5, 0);
    const double a = amplitudeFor(0.5, 1.5, 1000, coef, 1.0);
    EXPECT_NEAR(a * 200.0 / 1000.0 * coef * 1.5 * 1.5, 50.0, 1e-9);
    EXPECT_NEAR(amplitudeFor(0.5, 3.0, 1000, coef, 1.0), a / 4, 1e-9);
    EXPECT_NEAR(amplitudeFor(0.5, 1.5, 500, coef, 2.0), a, 1e-9);
    EXPECT_EQ(amplitudeFor(0.5, 0.0, 1000, coef, 1.0), 0.0);
}

TEST_F(FrameBuilderTest, InvalidPixelsCarryTheirCodes) {
    AcquisitionConfig c;
    const size_t centre = 120 * 320 + 160;
    EXPECT_EQ(decode(build(c, 0.1, 0.9))->distance(centre), 964002u);  // saturated
    c.minAmplitude = 1000;
    EXPECT_EQ(decode(build(c, 6.0, 0.05))->distance(centre), 964001u);  // too faint
    c.minAmplitude = 0;
    c.vcselMode = 0;  // emitters off
    EXPECT_EQ(decode(build(c, 1.5, 0.5))->amplitude(centre), 0u);
}

TEST_F(FrameBuilderTest, CutDropsFaintFarPixelsOnly) {
    AcquisitionConfig c;
    c.minAmplitude = 0;
    c.cutOn = true;
    const size_t centre = 120 * 320 + 160;
    const auto plain = decode(build(c, 2.0, 0.5));
    const uint16_t amplitude = plain->amplitude(centre);
    ASSERT_LT(plain->distance(centre), 964000u);
    // Fainter than the first pair's intensity and beyond its distance: cut.
    c.cut = {uint16_t(amplitude + 1), 1000, 0, 60000};
    EXPECT_EQ(decode(build(c, 2.0, 0.5))->distance(centre), 964001u);
    // Beyond the distance but bright enough: kept.
    c.cut = {uint16_t(amplitude - 1), 1000, 0, 60000};
    EXPECT_LT(decode(build(c, 2.0, 0.5))->distance(centre), 964000u);
    // The second pair applies on its own; switched off nothing is cut.
    c.cut = {0, 60000, uint16_t(amplitude + 1), 1500};
    EXPECT_EQ(decode(build(c, 2.0, 0.5))->distance(centre), 964001u);
    c.cutOn = false;
    EXPECT_LT(decode(build(c, 2.0, 0.5))->distance(centre), 964000u);
}

TEST_F(FrameBuilderTest, PhaseWrapsBeyondTheUnambiguousRange) {
    AcquisitionConfig c;
    c.freqCodes = {0, 0, 0, 0, 0};  // 24 MHz: about 6.25 m
    c.minAmplitude = 0;
    const auto f = decode(build(c, 8.0, 0.9));
    const double range = 299792458.0 / (2 * 24e6) * 1000.0;
    const double expected = std::fmod(expectedMm(8.0, 160, 120), range);
    EXPECT_NEAR(double(f->distance(120 * 320 + 160)), expected, 1.0);
}

TEST_F(FrameBuilderTest, RegionAndBinningShapeTheFrame) {
    AcquisitionConfig c;
    c.roiX0 = 40;
    c.roiX1 = 279;
    c.roiY0 = 20;
    c.roiY1 = 219;
    c.binningH = true;
    const Built b = build(c, 2.0);
    EXPECT_EQ(getU16(b.inner.data() + 4, false), 120);
    EXPECT_EQ(getU16(b.inner.data() + 6, false), 200);
    const auto f = decode(b);
    EXPECT_EQ(f->roiX0(), 40);
    EXPECT_EQ(f->roiY0(), 20);
    EXPECT_EQ(f->binningFlags(), 2);
    // Frame column 0 of row 0 looks through sensor columns 40 and 41 of row 20.
    EXPECT_NEAR(double(f->distance(0)), expectedMm(2.0, 40.5, 20), 1.0);
}

TEST_F(FrameBuilderTest, OlderLayoutUsesTheShortTrailer) {
    AcquisitionConfig c;
    c.roiX0 = 8;
    c.roiY0 = 4;
    c.binningV = true;
    const Built b = build(c, 1.5, 0.5, 0, true);
    const size_t n = pixels(c);
    ASSERT_EQ(b.packet.size(), 12 + 8 + 4 * n + kLegacyFrameTrailerSize);
    EXPECT_EQ(getU32(b.packet.data() + 4, true), b.packet.size() - 12);
    const uint8_t* in = b.inner.data();
    const size_t s = b.inner.size() - 1;  // the payload size counted from after the id
    EXPECT_EQ(getU16(in + 4, true), 312);
    EXPECT_EQ(b.inner.back(), 2);
    EXPECT_EQ(in[b.inner.size() - 2] >> 4, 3);
    EXPECT_EQ(getU16(in + 1 + s - 50, true), 8);
    EXPECT_EQ(getU16(in + 1 + s - 48, true), 4);
    const auto f = decode(b, true);
    EXPECT_EQ(f->version(), 2);
    EXPECT_EQ(f->dataFlags(), 3);
    EXPECT_EQ(f->binningFlags(), 1);
    EXPECT_EQ(f->timeNsec(), 123000000u);
    const int row = c.height() / 2, col = c.width() / 2;
    EXPECT_NEAR(double(f->distance(size_t(row) * size_t(c.width()) + size_t(col))),
                expectedMm(1.5, 8 + col, 4 + 2 * row + 0.5), 1.0);
}

TEST_F(FrameBuilderTest, UnmirroredModelsSendRowsInOrder) {
    identity.lens.cx = 100.0f;
    identity.model = "K75LITE";
    AcquisitionConfig c;
    const auto f = decode(build(c, 2.0));
    EXPECT_NEAR(double(f->distance(5)), expectedMm(2.0, 5, 0), 1.0);
    EXPECT_NEAR(double(f->distance(310)), expectedMm(2.0, 310, 0), 1.0);
}

TEST_F(FrameBuilderTest, SeedMakesNoiseRepeatable) {
    AcquisitionConfig c;
    const Built a = build(c, 2.0, 0.5, 1.0, false, 7);
    const Built again = build(c, 2.0, 0.5, 1.0, false, 7);
    const Built other = build(c, 2.0, 0.5, 1.0, false, 8);
    EXPECT_EQ(a.packet, again.packet);
    EXPECT_NE(a.packet, other.packet);
    // The noise stays small at this amplitude: within a few centimetres everywhere.
    const auto noisy = decode(a);
    const auto exact = decode(build(c, 2.0));
    double worst = 0;
    for (size_t i = 0; i < 320 * 240; ++i) {
        worst = std::max(worst, std::fabs(double(noisy->distance(i)) - double(exact->distance(i))));
    }
    EXPECT_GT(worst, 0.0);
    EXPECT_LT(worst, 40.0);
}
