// The filters that remember past frames: the Kalman filter, the temporal average and the
// motion-adaptive window, and the dust filter, each fed a sequence of synthetic frames.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <vector>

#include "FilterFrames.h"
#include "SdkFilter.h"
#include "SdkFilterConstants.h"

using namespace filter_test;
using Movoda::Frame;
using Movoda::sdkfilter::SdkFilter;
using Apply = void (SdkFilter::*)(const Movoda::ISdkFilter::FramePtr&);

namespace {

constexpr int kW = 16, kH = 12;

struct Sequence {
    const char* name;
    std::function<bool(SdkFilter&)> configure;
    Apply apply;
    int frames;
    std::function<Image(int k)> scene;
    // Called with every filtered frame.
    std::function<void(int k, const Frame& out)> check;
    // Changes frame k's other fields.
    std::function<void(int k, vantory_test::PacketPlan&)> tweak = {};
};

void run(const Sequence& s) {
    SCOPED_TRACE(s.name);
    SdkFilter filter(nullptr);
    ASSERT_TRUE(s.configure(filter));
    for (int k = 0; k < s.frames; ++k) {
        SCOPED_TRACE(k);
        auto frame = decode(s.scene(k), [&](vantory_test::PacketPlan& plan) {
            if (s.tweak) s.tweak(k, plan);
        });
        // As the chain does before the filters of every frame.
        filter.setModel(frame->modelText().c_str());
        (filter.*s.apply)(frame);
        s.check(k, *frame);
    }
}

void expectEverywhere(const Frame& out, uint32_t value) {
    for (int y = 0; y < out.height(); ++y) {
        for (int x = 0; x < out.width(); ++x) ASSERT_EQ(depthAt(out, x, y), value) << x << "," << y;
    }
}

Image wall(uint16_t mm) {
    return Image(kW, kH, mm);
}

Image noisyWall(uint16_t mm, int k, int amplitude) {
    Noise noise(static_cast<uint32_t>(100 + k));
    return makeImage(kW, kH,
                     [&](int, int) { return static_cast<uint16_t>(mm + noise(amplitude)); });
}

double meanDepth(const Frame& out) {
    double sum = 0;
    for (int y = 0; y < kH; ++y) {
        for (int x = 0; x < kW; ++x) sum += depthAt(out, x, y);
    }
    return sum / (kW * kH);
}

TEST(TemporalFilters, KalmanAverageAndMotionWindowFollowTheStream) {
    constexpr float kGain = 0.2f;
    auto kalman = [](uint16_t threshold, uint16_t reference) {
        return [=](SdkFilter& f) { return f.setKalmanParams(200, threshold, reference); };
    };
    // Blend of a settled estimate with a new measurement.
    auto blended = [&](double from, double to) {
        return static_cast<uint32_t>(std::lround(from + kGain * (to - from)));
    };
    auto average = [](uint16_t window, uint16_t restart) {
        return [=](SdkFilter& f) { return f.setAverageParams(window, restart); };
    };
    auto motion = [](uint32_t window, uint8_t shortWindow) {
        return [=](SdkFilter& f) {
            const float noErosion = 0.0f;
            const uint8_t on = 1;
            return f.setCloudParams(&noErosion, &on, window, shortWindow);
        };
    };
    const Apply applyKalman = &SdkFilter::applyKalman;
    const Apply applyAverage = &SdkFilter::applyAverage;
    const Apply applyMotion = &SdkFilter::applyCloudSecondPass;

    const std::vector<Sequence> cases = {
        {"Kalman converges on a still wall", kalman(100, 2000), applyKalman, 40,
         [](int k) { return noisyWall(1500, k, 15); },
         [](int k, const Frame& out) {
             if (k < 39) return;
             const double raw = depthSpread(*decode(noisyWall(1500, k, 15)), 0, 0, kW, kH);
             EXPECT_LT(depthSpread(out, 0, 0, kW, kH), raw / 2);
             EXPECT_NEAR(meanDepth(out), 1500.0, 3.0);
         }},
        {"Kalman resets on a jump beyond its threshold", kalman(100, 2000), applyKalman, 11,
         [](int k) { return k < 10 ? noisyWall(1500, k, 10) : wall(1800); },
         [](int k, const Frame& out) {
             if (k == 10) expectEverywhere(out, 1800);
         }},
        {"Kalman blends a change within its threshold", kalman(100, 2000), applyKalman, 11,
         [](int k) { return wall(k < 10 ? 1500 : 1550); },
         [&](int k, const Frame& out) {
             if (k == 10) expectEverywhere(out, blended(1500, 1550));
         }},
        {"Kalman's threshold grows beyond the reference distance", kalman(100, 2000), applyKalman,
         11, [](int k) { return wall(k < 10 ? 4000 : 4150); },
         [&](int k, const Frame& out) {
             if (k == 10) expectEverywhere(out, blended(4000, 4150));
         }},
        {"Kalman starts again when the frame size changes", kalman(100, 2000), applyKalman, 11,
         [](int k) { return k < 10 ? wall(1500) : Image(kW + 4, kH, 1550); },
         [](int k, const Frame& out) {
             if (k == 10) expectEverywhere(out, 1550);
         }},
        {"Kalman starts again when the region of interest moves", kalman(100, 2000), applyKalman,
         11, [](int k) { return wall(k < 10 ? 1500 : 1550); },
         [](int k, const Frame& out) {
             if (k == 10) expectEverywhere(out, 1550);
         },
         [](int k, vantory_test::PacketPlan& plan) { plan.roiX0 = k < 10 ? 0 : 8; }},
        {"Kalman starts again for another camera", kalman(100, 2000), applyKalman, 11,
         [](int k) { return wall(k < 10 ? 1500 : 1550); },
         [](int k, const Frame& out) {
             if (k == 10) expectEverywhere(out, 1550);
         },
         [](int k, vantory_test::PacketPlan& plan) {
             plan.model = k < 10 ? "XK75ANY" : "XK75PRO";
         }},
        {"Kalman keeps a pixel's estimate through a missing frame", kalman(100, 2000), applyKalman,
         12,
         [](int k) {
             Image image = wall(k < 10 ? 1500 : 1550);
             if (k == 10) image.at(3, 3) = kNoReturn;
             return image;
         },
         [&](int k, const Frame& out) {
             if (k == 10) {
                 EXPECT_EQ(depthAt(out, 3, 3), decoded(kNoReturn));
             }
             if (k == 11) {
                 EXPECT_EQ(depthAt(out, 3, 3), blended(1500, 1550));
             }
         }},
        {"the average is the mean of the last frames", average(4, 0), applyAverage, 8,
         [](int k) { return wall(static_cast<uint16_t>(1000 + 4 * k)); },
         [](int k, const Frame& out) {
             const int first = std::max(0, k - 3);
             expectEverywhere(out, static_cast<uint32_t>(1000 + 2 * (first + k)));
         }},
        {"the average starts again past its tolerance", average(4, 100), applyAverage, 12,
         [](int k) { return wall(k < 6 ? 1000 : 1500); },
         [](int k, const Frame& out) { expectEverywhere(out, k < 6 ? 1000 : 1500); }},
        {"the average makes up no depth for a hole", average(4, 0), applyAverage, 9,
         [](int k) {
             Image image = wall(1000);
             if (k == 5) image.at(2, 2) = kNoReturn;
             return image;
         },
         [](int k, const Frame& out) {
             EXPECT_EQ(depthAt(out, 2, 2), k == 5 ? decoded(kNoReturn) : 1000u);
         }},
        {"the motion window averages still pixels and follows moving ones", motion(8, 2),
         applyMotion, 12,
         [](int k) {
             // Still pixels alternate by 8 mm; the left half jumps 100 mm at frame 8.
             return makeImage(kW, kH, [k](int x, int) {
                 return static_cast<uint16_t>(1000 + 8 * (k % 2) +
                                              (x < kW / 2 && k >= 8 ? 100 : 0));
             });
         },
         [](int k, const Frame& out) {
             if (k == 7) expectEverywhere(out, 1004);
             if (k < 8) return;
             EXPECT_EQ(depthAt(out, kW - 1, 0), 1004u);
             // Moved: from the jump on, only the frames since count.
             double sum = 0;
             for (int j = 8; j <= k; ++j) sum += 1100 + 8 * (j % 2);
             EXPECT_EQ(depthAt(out, 0, 0), static_cast<uint32_t>(std::lround(sum / (k - 7))));
         }},
    };
    for (const Sequence& s : cases) run(s);
}

TEST(TemporalFilters, DustFilterKeepsOnlyDepthsSeenAgain) {
    // Pixel (4, 4) flickers between the wall and a near speck every other frame.
    auto flicker = [](uint16_t wallMm, uint16_t speckMm) {
        return [=](int k) {
            Image image = wall(wallMm);
            image.at(4, 4) = (k % 2) ? speckMm : wallMm;
            return image;
        };
    };
    auto dust = [](uint16_t tolerance, uint16_t frames, uint16_t percent, uint16_t range) {
        return [=](SdkFilter& f) { return f.setDustParams(tolerance, frames, percent, range); };
    };
    auto onlyFlickerGoes = [](uint16_t wallMm) {
        return [=](int k, const Frame& out) {
            for (int y = 0; y < kH; ++y) {
                for (int x = 0; x < kW; ++x) {
                    const bool gone = k > 0 && x == 4 && y == 4;
                    ASSERT_EQ(depthAt(out, x, y), gone ? Movoda::sdkfilter::kRemovedDust : wallMm)
                        << x << "," << y;
                }
            }
        };
    };
    const Apply applyDust = &SdkFilter::applyDust;
    const std::vector<Sequence> cases = {
        {"a flickering pixel goes, the stable wall stays", dust(100, 2, 100, 3000), applyDust, 6,
         flicker(1500, 600), onlyFlickerGoes(1500)},
        {"half agreement passes at 50 per cent", dust(100, 4, 50, 3000), applyDust, 8,
         flicker(1500, 600),
         [](int k, const Frame& out) {
             if (k >= 4) {
                 EXPECT_EQ(depthAt(out, 4, 4), k % 2 ? 600u : 1500u);
             }
         }},
        {"pixels beyond the range are not checked", dust(100, 2, 100, 1000), applyDust, 6,
         flicker(2500, 1600),
         [](int k, const Frame& out) { EXPECT_EQ(depthAt(out, 4, 4), k % 2 ? 1600u : 2500u); }},
        {"the frame reports the share it lost", dust(100, 2, 100, 3000), applyDust, 4,
         [](int k) {
             // A quarter of the rows flicker.
             return makeImage(kW, kH, [k](int, int y) {
                 return static_cast<uint16_t>(y < kH / 4 && k % 2 ? 700 : 1500);
             });
         },
         [](int k, const Frame& out) { EXPECT_EQ(out.dustValue(), k == 0 ? 0 : 25); }},
    };
    for (const Sequence& s : cases) run(s);
}

}  // namespace
