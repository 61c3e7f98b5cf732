// The reciprocal form of amplitude * 200 / t must equal the truncating integer division
// for every amplitude the decoder scales.
#include <gtest/gtest.h>

#include "frame/AmplitudeScale.h"

namespace {

TEST(AmplitudeScaleTest, EqualsIntegerDivisionForEveryAmplitude) {
    const uint32_t times[] = {1, 2, 3, 7, 199, 200, 201, 333, 999, 1000, 1001, 1800, 4097, 30011,
                              65521, 65535};
    for (uint32_t t : times) {
        const Movoda::AmplitudeScaler scale(t);
        for (uint32_t a = 0; a < 64000; ++a) {
            ASSERT_EQ(scale(a), a * 200 / t) << "a=" << a << " t=" << t;
        }
    }
}

TEST(AmplitudeScaleTest, ZeroTimeGivesZero) {
    const Movoda::AmplitudeScaler scale(0);
    EXPECT_EQ(scale(500), 0u);
    EXPECT_EQ(Movoda::AmplitudeScaler()(63999), 0u);
}

}  // namespace
