// Which QT_SCALE_FACTOR values the program applies.
#include <gtest/gtest.h>

#include "LaunchOptions.h"

namespace vantory {
namespace {

struct ScaleCase {
    const char* text;
    bool applied;
};

TEST(ScaleFactor, OnlyFactorsFromOneUpAreApplied) {
    const ScaleCase cases[] = {
        {"0.9", false},   // the default: below 1 Qt paints widgets clipped
        {"0.99", false},  {"0.5", false}, {"1", true},  {"1.0", true}, {"1.25", true},
        {"2", true},      {"10", true},   {"11", false}, {"", false},  {"abc", false}, {"-1", false},
    };
    for (const ScaleCase& c : cases) {
        EXPECT_EQ(scaleFactorApplies(c.text), c.applied) << c.text;
    }
}

TEST(ScaleFactor, DefaultOfCommandLineIsNotAppliedButGivenScaleIs) {
    EXPECT_FALSE(scaleFactorApplies(parseCommandLine(std::vector<std::string>{}).scaleFactor));
    EXPECT_TRUE(scaleFactorApplies(parseCommandLine(std::vector<std::string>{"0", "scale=1.5"}).scaleFactor));
    EXPECT_FALSE(scaleFactorApplies(parseCommandLine(std::vector<std::string>{"0", "scale=0.8"}).scaleFactor));
}

}  // namespace
}  // namespace vantory
