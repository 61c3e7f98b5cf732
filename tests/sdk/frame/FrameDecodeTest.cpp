// Bytes to planes for both packet formats, mirroring, distance codes, the stored packet
// and the size checks.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <thread>

#include "FrameTestSupport.h"

using namespace vantory_test;
using Movoda::Frame;

namespace {

class FrameDecodeTest : public FrameTest {};

TEST_F(FrameDecodeTest, InterleavedDistanceAndAmplitudeLandMirrored) {
    PacketPlan s;
    s.width = 3;
    s.height = 2;
    s.distance = {100, 200, 300, 400, 500, 600};
    s.amplitude = {11, 12, 13, 14, 15, 16};
    auto f = decodeFrame(s);
    ASSERT_TRUE(f);
    EXPECT_EQ(f->dataFlags(), 3);
    EXPECT_EQ(f->version(), 3);
    for (size_t r = 0; r < 2; ++r) {
        for (size_t c = 0; c < 3; ++c) {
            const size_t recv = r * 3 + c;
            EXPECT_EQ(f->distance(mirrored(r, c, 3)), s.distance[recv]) << r << "," << c;
            EXPECT_EQ(f->amplitude(mirrored(r, c, 3)), s.amplitude[recv]) << r << "," << c;
            EXPECT_EQ(f->rawDistance(mirrored(r, c, 3)), s.distance[recv]);
        }
    }
    // First received pixel of each row lands in the row's last column.
    EXPECT_EQ(f->distance(2), 100u);
    EXPECT_EQ(f->distance(5), 400u);
}

TEST_F(FrameDecodeTest, AllPlanesInOrderAfterEachOther) {
    PacketPlan s;
    s.width = 2;
    s.height = 2;
    s.dataFlags = 1 | 2 | 4 | 8 | 16;
    s.distance = {1, 2, 3, 4};
    s.amplitude = {5, 6, 7, 8};
    s.grayscale = {900, 901, 902, 903};
    s.hdrIndex = {1, 2, 3, 4};
    for (uint16_t k = 0; k < 16; ++k) s.rawPhase.push_back(static_cast<uint16_t>(1000 + k));
    auto f = decodeFrame(s);
    ASSERT_TRUE(f);
    EXPECT_EQ(f->dataFlags(), 31);
    EXPECT_EQ(f->grayscale(mirrored(0, 0, 2)), 900);
    EXPECT_EQ(f->grayscale(mirrored(1, 1, 2)), 903);
    // Even pixel from the low nibble, odd pixel from the high nibble, both mirrored.
    EXPECT_EQ(f->hdrIndex(mirrored(0, 0, 2)), 1);
    EXPECT_EQ(f->hdrIndex(mirrored(0, 1, 2)), 2);
    EXPECT_EQ(f->hdrIndex(mirrored(1, 0, 2)), 3);
    EXPECT_EQ(f->hdrIndex(mirrored(1, 1, 2)), 4);
    // Raw phase keeps the received order.
    ASSERT_EQ(f->rawPhase().size(), 16u);
    for (size_t k = 0; k < 16; ++k) EXPECT_EQ(f->rawPhase()[k], 1000 + k);
}

TEST_F(FrameDecodeTest, AmplitudeOnlyAndGrayscaleOnlyPlanes) {
    PacketPlan s;
    s.width = 2;
    s.height = 1;
    s.dataFlags = 2;
    s.amplitude = {40, 50};
    auto f = decodeFrame(s);
    ASSERT_TRUE(f);
    EXPECT_EQ(f->amplitude(1), 40);
    EXPECT_EQ(f->amplitude(0), 50);
    EXPECT_EQ(f->distance(0), 0u);

    s.dataFlags = 8;
    s.grayscale = {7, 8};
    f = decodeFrame(s);
    ASSERT_TRUE(f);
    EXPECT_EQ(f->grayscale(1), 7);
    EXPECT_EQ(f->grayscale(0), 8);
}

TEST_F(FrameDecodeTest, CameraCodesAndDistanceScale) {
    PacketPlan s;
    s.width = 4;
    s.height = 1;
    s.model = "XK75";  // rows stored unmirrored
    s.distance = {63999, 64000, 64001, 65535};
    auto f = decodeFrame(s);
    ASSERT_TRUE(f);
    EXPECT_EQ(f->distance(0), 63999u);
    EXPECT_EQ(f->distance(1), 964000u);
    EXPECT_EQ(f->distance(2), 964001u);
    EXPECT_EQ(f->distance(3), 965535u);

    s.distanceScale = 2;
    s.distance = {1000, 64001, 0, 1};
    f = decodeFrame(s);
    ASSERT_TRUE(f);
    EXPECT_EQ(f->distance(0), 2000u);
    EXPECT_EQ(f->distance(1), 964001u);  // codes are not scaled
    EXPECT_EQ(f->distance(3), 2u);
}

TEST_F(FrameDecodeTest, K75StoresRowsUnmirroredAndTheNextModelMirrorsAgain) {
    PacketPlan s;
    s.width = 3;
    s.height = 1;
    s.distance = {10, 20, 30};
    s.model = "MK75-A";
    auto f = decodeFrame(s);
    ASSERT_TRUE(f);
    EXPECT_EQ(f->distance(0), 10u);
    EXPECT_EQ(f->distance(2), 30u);

    s.model = "XR300PLUS";
    f = decodeFrame(s);
    ASSERT_TRUE(f);
    EXPECT_EQ(f->distance(0), 30u);

    // A token at position 0 does not count, so this one mirrors.
    s.model = "K75";
    f = decodeFrame(s);
    ASSERT_TRUE(f);
    EXPECT_EQ(f->distance(0), 30u);
}

// Two SDK instances (a K75 and another model) decode on their own threads; neither may
// change how the other's rows are stored.
TEST_F(FrameDecodeTest, ModelsDecodedSideBySideKeepTheirOwnRowOrder) {
    PacketPlan k75;
    k75.width = 64;
    k75.height = 4;
    k75.model = "MK75-A";
    k75.distance.resize(k75.pixels());
    for (size_t i = 0; i < k75.pixels(); ++i) k75.distance[i] = static_cast<uint16_t>(100 + i % k75.width);
    PacketPlan other = k75;
    other.model = "XR300PLUS";
    const std::vector<uint8_t> k75Inner = buildInner(k75);
    const std::vector<uint8_t> otherInner = buildInner(other);

    std::atomic<int> wrong{0};
    auto decodeMany = [&wrong](const PacketPlan& plan, const std::vector<uint8_t>& inner, uint32_t firstValue) {
        for (int k = 0; k < 400; ++k) {
            auto f = makeFrame(plan, inner);
            f->decode();
            if (f->distance(0) != firstValue) wrong.fetch_add(1);
        }
    };
    std::thread a(decodeMany, std::cref(k75), std::cref(k75Inner), 100u);
    std::thread b(decodeMany, std::cref(other), std::cref(otherInner), 100u + 63u);
    a.join();
    b.join();
    EXPECT_EQ(wrong.load(), 0);
}

struct TokenCase {
    const char* model;
    float coef0;  // modelCoef[0] of the selected row
};

class ModelTokenTest : public FrameTest, public ::testing::WithParamInterface<TokenCase> {};

TEST_P(ModelTokenTest, FirstTokenAtPositionOneOrLaterSelectsTheRow) {
    PacketPlan s;
    s.width = 1;
    s.height = 1;
    s.model = GetParam().model;
    auto f = decodeFrame(s);
    ASSERT_TRUE(f);
    EXPECT_FLOAT_EQ(f->modelCoef()[0], GetParam().coef0) << GetParam().model;
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ModelTokenTest,
    ::testing::Values(TokenCase{"XK150SUPRA", 0.009128f}, TokenCase{"K150SUPRA", 0.051779f},
                      TokenCase{"-R300PLUS", 0.027421f}, TokenCase{"-K150LITE", 0.016168f},
                      TokenCase{"-K150APEX", 0.002572f}, TokenCase{"-K150PLUS", 0.009406f},
                      TokenCase{"_K75", 0.029626f}, TokenCase{"_V300", 0.008084f},
                      TokenCase{"_K300", 0.008084f}, TokenCase{"unknown", 0.051779f},
                      // "R300PLUS" is searched before "K300" and wins.
                      TokenCase{"xK300R300PLUS", 0.027421f}));

TEST_F(FrameDecodeTest, ModelTextSkipsZeroBytesAndNamesTheFrame) {
    PacketPlan s;
    s.width = 1;
    s.height = 1;
    s.frameNumber = 42;
    s.model = std::string("AB\0\0CD", 6);
    auto f = decodeFrame(s);
    ASSERT_TRUE(f);
    EXPECT_EQ(f->modelText(), "ABCD");
    EXPECT_EQ(f->name(), "ABCD_42");
}

TEST_F(FrameDecodeTest, InformationBlockFields) {
    PacketPlan s;
    s.width = 2;
    s.height = 2;
    s.roiX0 = 17;
    s.roiY0 = 33;
    s.binningFlags = 3;
    s.temperature1 = -1234;
    s.temperature2 = 4567;
    s.captureMs = 1700000001234ull;
    s.timeSource = 2;
    s.timeLocked = 1;
    s.intTimes = {{100, 200, 300, 400, 500}};
    s.freqCodes = {{0, 1, 3, 4, 7}};
    s.lens = {{200.5f, 201.5f, 150.25f, 110.75f, -0.25f, 0.125f, 0.0625f, -0.001f, 0.002f}};
    auto f = decodeFrame(s);
    ASSERT_TRUE(f);
    EXPECT_TRUE(f->hasValidMagic());
    EXPECT_EQ(f->roiX0(), 17);
    EXPECT_EQ(f->roiY0(), 33);
    EXPECT_EQ(f->binningFlags(), 3);
    EXPECT_EQ(f->temperature1(), -1234);
    EXPECT_EQ(f->temperature2(), 4567);
    EXPECT_EQ(f->timeSec(), 1700000001ull);
    EXPECT_EQ(f->timeNsec(), 234000000u);
    EXPECT_EQ(f->timeSource(), 2);
    EXPECT_EQ(f->timeLocked(), 1);
    EXPECT_EQ(f->blockIntTime(4), 500);
    EXPECT_EQ(f->freqCode(4), 7);
    EXPECT_EQ(f->blockIntTime(5), 0);
    const Movoda::LensParams lens = f->lensParams();
    EXPECT_FLOAT_EQ(lens.fx, 200.5f);
    EXPECT_FLOAT_EQ(lens.cy, 110.75f);
    EXPECT_FLOAT_EQ(lens.k3, 0.0625f);
    EXPECT_FLOAT_EQ(lens.p2, 0.002f);
    EXPECT_FALSE(f->hasImuBlock());
}

TEST_F(FrameDecodeTest, ImuBlockKeptAndInvalidSampleWordCleared) {
    PacketPlan s;
    s.width = 2;
    s.height = 2;
    s.imu = true;
    auto f = decodeFrame(s);
    ASSERT_TRUE(f);
    ASSERT_TRUE(f->hasImuBlock());
    EXPECT_EQ(f->imuBlock()[0], 0xAA);
    EXPECT_EQ(f->imuBlock()[1], 0x55);
    EXPECT_EQ(f->imuBlock()[2], 0x34);
    EXPECT_EQ(f->imuBlock()[4], 0x11);

    s.imuFirstWord = 0x1111;
    f = decodeFrame(s);
    ASSERT_TRUE(f);
    EXPECT_EQ(f->imuBlock()[2], 0);
    EXPECT_EQ(f->imuBlock()[3], 0);
    EXPECT_EQ(f->imuBlock()[4], 0x11);
}

TEST_F(FrameDecodeTest, Format2TrailerIsBigEndianWithRoiLimits) {
    PacketPlan s;
    s.format = 2;
    s.width = 2;
    s.height = 1;
    s.distance = {300, 400};
    s.amplitude = {30, 40};
    s.temperature1 = -55;
    s.temperature2 = 2600;
    s.roiX0 = 311;
    s.roiY0 = 110;
    s.binningByte = 0x21;
    s.seconds = 0x0102030405ull;
    s.nanoseconds = 999999999u;
    s.timeLocked = 1;
    s.timeSource = 3;
    auto f = decodeFrame(s);
    ASSERT_TRUE(f);
    EXPECT_EQ(f->version(), 2);
    EXPECT_EQ(f->dataFlags(), 3);  // from dataType 0
    EXPECT_EQ(f->distance(0), 400u);
    EXPECT_EQ(f->amplitude(1), 30);
    EXPECT_EQ(f->temperature1(), -55);
    EXPECT_EQ(f->temperature2(), 2600);
    EXPECT_EQ(f->roiX0(), 0);    // above 310
    EXPECT_EQ(f->roiY0(), 110);  // 110 is still accepted
    EXPECT_EQ(f->binningFlags(), 3);
    EXPECT_EQ(f->timeSec(), 0x0102030405ull);
    EXPECT_EQ(f->timeNsec(), 999999999u);
    EXPECT_EQ(f->timeLocked(), 1);
    EXPECT_EQ(f->timeSource(), 3);

    s.binningByte = 0x10;  // above 15 but low nibble clear: columns only
    f = decodeFrame(s);
    ASSERT_TRUE(f);
    EXPECT_EQ(f->binningFlags(), 2);
}

TEST_F(FrameDecodeTest, DataFlagsFollowDataTypeWithoutAValidBlock) {
    const std::pair<uint8_t, uint8_t> cases[] = {{0, 3}, {1, 1}, {3, 8}, {2, 0}, {9, 0}};
    for (const auto& [dataType, flags] : cases) {
        PacketPlan s;
        s.width = 2;
        s.height = 2;
        s.dataType = dataType;
        s.magic = 0x12345678;
        s.dataFlags = 31;
        s.padding = 64;
        auto f = decodeFrame(s);
        ASSERT_TRUE(f);
        EXPECT_EQ(f->dataFlags(), flags) << "data type " << int(dataType);
    }
}

TEST_F(FrameDecodeTest, StoredPacketWrapsTheInnerBytes) {
    PacketPlan s;
    s.width = 2;
    s.height = 1;
    const auto inner = buildInner(s);
    Frame f(0, 1, 2, 1);
    f.setPacket(inner.data(), inner.size(), false);
    const auto& p = f.packet();
    ASSERT_EQ(p.size(), inner.size() + 12);
    EXPECT_EQ(p[0], 0x7E);
    EXPECT_EQ(p[3], 0x55);
    EXPECT_EQ(p[4], static_cast<uint8_t>(inner.size()));
    EXPECT_EQ(p[5], static_cast<uint8_t>(inner.size() >> 8));
    EXPECT_EQ(p[7], 0);
    EXPECT_TRUE(std::equal(inner.begin(), inner.end(), p.begin() + 8));
    EXPECT_EQ(p[p.size() - 4], 0xFF);
    EXPECT_EQ(p[p.size() - 1], 0xAA);

    f.setPacket(inner.data(), inner.size(), true);
    EXPECT_EQ(f.packet()[4], 0);
    EXPECT_EQ(f.packet()[7], static_cast<uint8_t>(inner.size()));
    EXPECT_EQ(f.packet()[6], static_cast<uint8_t>(inner.size() >> 8));
}

TEST_F(FrameDecodeTest, BlockLengthOtherThan206IsRejected) {
    PacketPlan s;
    s.width = 2;
    s.height = 2;
    s.blockLength = 205;
    const auto inner = buildInner(s);
    Frame f(0, 1, 2, 2);
    ::testing::internal::CaptureStdout();
    EXPECT_FALSE(f.loadHeader(inner.data(), inner.size()));
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "size error: 205  206\n");

    // A format-3 packet too short to hold the block at all.
    const std::vector<uint8_t> tiny = {251, 0, 1, 0, 1, 0, 1, 0, 206, 0, 0, 3};
    EXPECT_FALSE(f.loadHeader(tiny.data(), tiny.size()));
}

TEST_F(FrameDecodeTest, ConstructionDefaults) {
    Movoda::frame_settings::setSdkBinning(1, 3);
    Frame f(1, 99, 320, 240);
    EXPECT_EQ(f.version(), 0);
    EXPECT_EQ(f.sampleSize(), 2u);
    EXPECT_EQ(f.dustValue(), -1);
    EXPECT_EQ(f.binPending(), 1);
    EXPECT_EQ(f.binX(), 1);
    EXPECT_EQ(f.binY(), 3);
    EXPECT_EQ(f.name(), "99");
    EXPECT_EQ(f.pixelCount(), 0u);
    f.allocatePlanes();
    EXPECT_EQ(f.pixelCount(), 76800u);
    EXPECT_EQ(f.distance(76800), 0u);  // outside the plane
    f.setDistance(76800, 5);
    f.setPixelMark(76799, 9);
    EXPECT_EQ(f.pixelMark(76799), 9);
}

// 320 x 240 distance and amplitude: 307200 plane bytes, and the stored packet must hold
// 56 bytes more.
class FrameSizeCheckTest : public FrameTest {
protected:
    std::shared_ptr<Frame> frameWithWireSize(size_t wireSize) {
        PacketPlan s;
        s.format = 1;
        s.dataType = 0;
        for (size_t i = 0; i < s.pixels(); ++i) s.distance.push_back(static_cast<uint16_t>(i % 5000 + 1));
        // bare inner = 8 + P + padding + 2; wire = inner + 12
        s.padding = wireSize - 307200 - 22;
        const auto inner = buildInner(s);
        auto f = makeFrame(s, inner);
        EXPECT_EQ(f->packet().size(), wireSize);
        return f;
    }
};

TEST_F(FrameSizeCheckTest, OneByteShortIsRejectedWithTheMessage) {
    auto f = frameWithWireSize(307255);
    ::testing::internal::CaptureStdout();
    f->decode();
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "framesize error 307200 307255\n");
    EXPECT_EQ(f->dataFlags(), 0);
    EXPECT_EQ(f->distance(0), 0u);
    EXPECT_EQ(f->distance(76799), 0u);
}

TEST_F(FrameSizeCheckTest, ExactSizeIsDecoded) {
    auto f = frameWithWireSize(307256);
    f->decode();
    EXPECT_EQ(f->dataFlags(), 3);
    EXPECT_EQ(f->distance(319), 1u);  // first received pixel, mirrored
    EXPECT_EQ(f->distance(0), 320u);
}

}  // namespace

namespace {

// Plane buffers of destroyed frames are reused; a new frame must still start zeroed,
// which is what a frame rejected by the size check delivers.
TEST_F(FrameSizeCheckTest, RecycledPlanesStartZeroed) {
    for (int round = 0; round < 3; ++round) {
        auto good = frameWithWireSize(307256);
        good->decode();
        ASSERT_EQ(good->distance(0), 320u);
    }
    auto rejected = frameWithWireSize(307255);
    ::testing::internal::CaptureStdout();
    rejected->decode();
    ::testing::internal::GetCapturedStdout();
    for (uint64_t i = 0; i < rejected->pixelCount(); i += 41) {
        ASSERT_EQ(rejected->distance(i), 0u) << i;
        ASSERT_EQ(rejected->amplitude(i), 0) << i;
        ASSERT_EQ(rejected->reflectivity(i), 0.0f) << i;
        ASSERT_EQ(rejected->pixelMark(i), 0) << i;
    }
}

}  // namespace

namespace {

// Planes absent from a stream are cleared only when they may hold something: recycled
// buffers that a holder wrote through a writable pointer or setPixelMark, or that an
// earlier frame decoded, must still read as zero in a frame that does not carry them.
TEST_F(FrameTest, PlanesNotCarriedReadZeroWhateverTheirBuffersHeldBefore) {
    constexpr uint8_t kDistAmp = 1 | 2;
    constexpr uint8_t kEverything = 1 | 2 | 4 | 8;
    PacketPlan plain;
    plain.width = 16;
    plain.height = 4;
    plain.dataFlags = kDistAmp;
    plain.intTimes = {{1000, 300, 0, 0, 0}};
    plain.freqCodes = {{1, 0, 1, 1, 1}};
    plain.distance.assign(plain.pixels(), 1200);
    plain.amplitude.assign(plain.pixels(), 700);
    PacketPlan full = plain;
    full.dataFlags = kEverything;
    full.grayscale.assign(full.pixels(), 4000);
    full.hdrIndex.assign(full.pixels(), 1);  // time 2, frequency code 0

    struct Case {
        const char* what;
        const PacketPlan* earlier;
        void (*dirty)(Movoda::Frame&);
    };
    const Case cases[] = {
        {"written through the writable pointers", &plain,
         [](Movoda::Frame& f) {
             const size_t n = f.pixelCount();
             std::fill(f.grayscaleData(), f.grayscaleData() + n, uint16_t{9});
             std::fill(f.hdrIndexData(), f.hdrIndexData() + n, uint8_t{9});
             std::fill(f.freqIndexData(), f.freqIndexData() + n, uint8_t{9});
             std::fill(f.pixelMarkData(), f.pixelMarkData() + n, uint8_t{9});
         }},
        {"marked pixel by pixel", &plain,
         [](Movoda::Frame& f) {
             for (uint64_t i = 0; i < f.pixelCount(); ++i) f.setPixelMark(i, 5);
         }},
        {"decoded from a frame carrying every plane", &full, [](Movoda::Frame&) {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // Several rounds, so that every pooled buffer of the size has been dirtied.
        for (int round = 0; round < 4; ++round) {
            std::vector<std::shared_ptr<Movoda::Frame>> earlier;
            for (int k = 0; k < 3; ++k) {
                earlier.push_back(decodeFrame(*c.earlier));
                ASSERT_TRUE(earlier.back());
                c.dirty(*earlier.back());
            }
            if (c.earlier == &full) {
                ASSERT_EQ(earlier[0]->grayscale(0), 4000);
                ASSERT_NE(earlier[0]->freqIndex(0), 0);
            }
            earlier.clear();  // buffers back to the pool
            auto frame = decodeFrame(plain);
            ASSERT_TRUE(frame);
            // The same frame decoded again keeps its planes zero.
            frame->decode();
            for (uint64_t i = 0; i < frame->pixelCount(); ++i) {
                ASSERT_EQ(frame->grayscale(i), 0) << i;
                ASSERT_EQ(frame->hdrIndex(i), 0) << i;
                ASSERT_EQ(frame->freqIndex(i), 0) << i;
                ASSERT_EQ(frame->pixelMark(i), 0) << i;
            }
        }
    }
}

}  // namespace
