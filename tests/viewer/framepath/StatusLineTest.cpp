// Status-line texts and the reflectivity-coefficient and temperature/distance decisions.
#include <gtest/gtest.h>

#include "ReflectivityMeasure.h"
#include "StatusLine.h"

using namespace vantory;

TEST(StatusLine, FpsTextByTimeTypeAndLock) {
    struct Case {
        std::uint8_t type;
        bool locked;
        const char* expected;
    };
    const Case cases[] = {
        {0, false, "30 tick:234567.089"},                // tick is never "lost"
        {1, true, "30 gps:234567.089"},
        {1, false, "30 gps:234567.089 lost"},
        {2, true, "30 ptp:23-11-14 22:13:20.089"},       // PTP shows its date text
        {2, false, "30 ptp:23-11-14 22:13:20.089 lost"},
        {3, false, "30 gptp:234567.089 lost"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(statusline::fpsText(30, c.type, c.locked, "234567.089", "23-11-14 22:13:20.089"), c.expected)
            << int(c.type) << " " << c.locked;
    }
}

TEST(StatusLine, DistanceAndTemperatures) {
    EXPECT_EQ(statusline::distanceText(1234), "1234 mm");
    EXPECT_EQ(statusline::distanceText(964001), "964001 mm");
    EXPECT_EQ(statusline::temperatureText(4523, -150), QString::fromUtf8("45.23 ℃   -1.5 ℃"));
    EXPECT_EQ(statusline::temperatureText(0, 100), QString::fromUtf8("0 ℃   1 ℃"));
}

TEST(StatusLine, AmplitudeTextByFlagsAndSuffix) {
    auto text = [](std::uint8_t flags, auto adjust) {
        statusline::AmplitudeInput in;
        in.flags = flags;
        in.amplitude = 100;
        in.grayscale = 200;
        in.reflectivity = 12.5f;
        adjust(in);
        return statusline::amplitudeText(in);
    };
    auto none = [](statusline::AmplitudeInput&) {};
    EXPECT_EQ(text(0x0B, none), "100 lsb  200lsb ");
    EXPECT_EQ(text(0x03, [](auto& in) { in.renderReflectivity = true; }), "100 lsb  12.5% ");
    EXPECT_EQ(text(0x03, none), "100 lsb ");
    EXPECT_EQ(text(0x08, none), "200 lsb");  // grayscale only: no suffix
    EXPECT_EQ(text(0x08, [](auto& in) { in.phaseAngle = 200; }), "200 lsb");
    EXPECT_EQ(text(0x01, none), "");
    // Factory-test mode shows the dust value when the frame has one.
    EXPECT_EQ(text(0x03, [](auto& in) { in.factoryTest = true; in.dust = 7; }), "100 lsb  dust: 7 %");
    EXPECT_EQ(text(0x03, [](auto& in) { in.factoryTest = true; in.dust = -1; }), "100 lsb ");
    EXPECT_EQ(text(0x03, [](auto& in) { in.factoryTest = false; in.dust = 7; }), "100 lsb ");
    // A known phase angle replaces the dust value.
    EXPECT_EQ(text(0x03, [](auto& in) { in.factoryTest = true; in.dust = 7; in.phaseAngle = 200; }),
              QString::fromUtf8("100 lsb  p: 200 ° 20 °"));
    EXPECT_EQ(text(0x03, [](auto& in) { in.phaseAngle = 0; }), "100 lsb ");
}

TEST(ReflectivityMeasure, CoefficientOfTheReferenceTarget) {
    // 500 lsb at 1000 us is 100 lsb at 200 us; a 50 % target gives 0.5.
    const auto coef = framepath::reflectivityCoefficient(500.0, 100.0, 1000);
    ASSERT_TRUE(coef.has_value());
    EXPECT_DOUBLE_EQ(*coef, 0.5);
    EXPECT_DOUBLE_EQ(*framepath::reflectivityCoefficient(250.0, 100.0, 200), 0.2);
}

TEST(ReflectivityMeasure, UnusableAveragesGiveNoCoefficient) {
    EXPECT_FALSE(framepath::reflectivityCoefficient(0.0, 100.0, 1000));      // would divide by zero
    EXPECT_FALSE(framepath::reflectivityCoefficient(50000.0, 100.0, 1000));  // saturated
    EXPECT_FALSE(framepath::reflectivityCoefficient(500.0, 0.0, 1000));
    EXPECT_FALSE(framepath::reflectivityCoefficient(500.0, 964000.0, 1000));
    EXPECT_FALSE(framepath::reflectivityCoefficient(500.0, 100.0, 0));
    EXPECT_FALSE(framepath::reflectivityCoefficient(500.0, 100.0, -5));
    EXPECT_TRUE(framepath::reflectivityCoefficient(49999.0, 963999.0, 1));
}

TEST(ReflectivityMeasure, PrintedLines) {
    EXPECT_EQ(framepath::measurementLine(500.0, 100.5), "ampavg = 500.000000 100.500000");
    EXPECT_EQ(framepath::coefficientLine(0.5), "find reflectcoef:: 0.500000");
}

TEST(TempDistLog, LogsOncePerTemperatureChangeWithFullWindow) {
    framepath::TempDistLog log;
    EXPECT_FALSE(log.next(4500, false, 120.0, 1000));  // window not full: nothing, nothing kept
    const auto first = log.next(4500, true, 120.5, 1000);
    ASSERT_TRUE(first);
    EXPECT_EQ(*first, "TempDist: 4500   120.5\n");
    EXPECT_FALSE(log.next(4500, true, 130.0, 1000));   // same temperature
    EXPECT_FALSE(log.next(4510, true, 130.0, 0));      // no integration time
    const auto second = log.next(4510, true, 130.0, 1000);
    ASSERT_TRUE(second);
    EXPECT_EQ(*second, "TempDist: 4510   130\n");
    log.reset();
    EXPECT_TRUE(log.next(4510, true, 130.0, 1000));
}
