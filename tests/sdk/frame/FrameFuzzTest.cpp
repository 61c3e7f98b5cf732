// Random, truncated and lying packets: decoding must never read outside the buffer
// (run under AddressSanitizer) and must leave the frame consistent.
#include <gtest/gtest.h>

#include <random>

#include "FrameTestSupport.h"

using namespace vantory_test;

namespace {

class FrameFuzzTest : public FrameTest {
protected:
    // Runs the frame path's steps on arbitrary inner bytes.
    static void feed(const std::vector<uint8_t>& inner, uint16_t w, uint16_t h) {
        const uint8_t dataType = inner.size() > 1 ? inner[1] : 0;
        auto f = std::make_shared<Movoda::Frame>(dataType, 1, w, h);
        if (!f->loadHeader(inner.data(), inner.size())) return;
        f->setPacket(inner.data(), inner.size(), false);
        f->allocatePlanes();
        f->decode();
        ASSERT_EQ(f->pixelCount(), static_cast<uint64_t>(w) * h);
        ASSERT_LE(static_cast<uint64_t>(f->width()) * f->height(), f->pixelCount());
        (void)f->maxAmplitude();
    }
};

TEST_F(FrameFuzzTest, TruncatedValidPacketsAtEveryLength) {
    PacketPlan s;
    s.width = 8;
    s.height = 4;
    s.dataFlags = 31;
    s.imu = true;
    const auto full = buildInner(s);
    for (size_t len = 0; len <= full.size(); ++len) {
        std::vector<uint8_t> cut(full.begin(), full.begin() + static_cast<long>(len));
        if (!cut.empty()) cut.back() = 3;  // keep claiming format 3
        ::testing::internal::CaptureStdout();
        feed(cut, 8, 4);
        ::testing::internal::GetCapturedStdout();
    }
}

TEST_F(FrameFuzzTest, HeadersClaimingMorePlanesThanSent) {
    std::mt19937 rng(1234);
    for (int round = 0; round < 300; ++round) {
        PacketPlan s;
        s.width = static_cast<uint16_t>(1 + rng() % 320);
        s.height = static_cast<uint16_t>(1 + rng() % 240);
        s.dataFlags = static_cast<uint8_t>(rng());
        s.distanceScale = static_cast<uint8_t>(rng());
        s.binningFlags = static_cast<uint8_t>(rng());
        s.imu = rng() % 2;
        s.model = round % 3 == 0 ? "xK75" : "xR300LITE";
        s.intTimes = {{static_cast<uint16_t>(rng()), static_cast<uint16_t>(rng()), 0, 3000, 1}};
        s.freqCodes = {{static_cast<uint8_t>(rng()), 0, 2, 31, 15}};
        // Send planes for a smaller frame than the header claims.
        const uint16_t claimedW = s.width;
        const uint16_t claimedH = s.height;
        s.width = static_cast<uint16_t>(1 + rng() % claimedW);
        s.height = static_cast<uint16_t>(1 + rng() % claimedH);
        const uint8_t planeFlags = s.dataFlags;
        s.dataFlags = static_cast<uint8_t>(rng() % 32);
        auto inner = buildInner(s);
        // Put the claimed flags back into the information block.
        inner[inner.size() - 206 + 93] = planeFlags;
        Movoda::frame_settings::setSdkBinning(static_cast<uint16_t>(rng() % 4),
                                              static_cast<uint16_t>(rng() % 4));
        ::testing::internal::CaptureStdout();
        feed(inner, claimedW, claimedH);
        ::testing::internal::GetCapturedStdout();
    }
}

TEST_F(FrameFuzzTest, RandomBytes) {
    std::mt19937 rng(99);
    for (int round = 0; round < 2000; ++round) {
        std::vector<uint8_t> inner(rng() % 3000);
        for (auto& b : inner) b = static_cast<uint8_t>(rng());
        if (!inner.empty() && round % 2 == 0) inner.back() = static_cast<uint8_t>(2 + rng() % 2);
        if (inner.size() > 4 && round % 4 == 0) {
            inner[inner.size() - 4] = 206;  // pass the block-length check
            inner[inner.size() - 3] = 0;
        }
        ::testing::internal::CaptureStdout();
        feed(inner, static_cast<uint16_t>(1 + rng() % 320), static_cast<uint16_t>(1 + rng() % 240));
        ::testing::internal::GetCapturedStdout();
    }
}

}  // namespace
