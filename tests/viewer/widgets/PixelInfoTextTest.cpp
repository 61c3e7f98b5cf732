#include <gtest/gtest.h>

#include <QMap>

#include "PixelInfoText.h"
#include "SampleWindow.h"

using namespace vantory::pixelinfo;

namespace {

QMap<QString, QString> asMap(const LabelTexts& texts)
{
    QMap<QString, QString> map;
    for (const auto& [name, text] : texts)
        map.insert(name, text);   // a later text for the same label wins, as when applied
    return map;
}

class PixelInfoTextTest : public ::testing::Test {
protected:
    QMap<QString, QString> run(int mode, uint32_t distance, uint32_t second, int confidence = -1)
    {
        return asMap(update(mode, PixelSample{distance, second, confidence}, distances, seconds));
    }
    SampleWindow distances;
    SampleWindow seconds;
};

TEST_F(PixelInfoTextTest, FirstSampleShowsAverageAndZeroSpread)
{
    const auto t = run(kModeDistanceAmplitude, 1234, 500);
    EXPECT_EQ(t["labelCurrentLeft"], "123.4cm");
    EXPECT_EQ(t["labelAverageLeft"], "123.4cm");
    EXPECT_EQ(t["labelVariationLeft"], "0.0cm");
    EXPECT_EQ(t["labelMaximumLeft"], "0.0cm");
    EXPECT_EQ(t["labelMinimumLeft"], "0.0cm");
    EXPECT_EQ(t["labelCurrentRight"], "500lsb");
    EXPECT_EQ(t["labelAverageRight"], "500.0lsb");
    EXPECT_EQ(t["labelMeasCount"], "1");
    EXPECT_EQ(t["label_level"], "");
}

TEST_F(PixelInfoTextTest, StatisticsOverSeveralFrames)
{
    run(kModeDistanceAmplitude, 1000, 100, 2);
    const auto t = run(kModeDistanceAmplitude, 1020, 300, 2);
    EXPECT_EQ(t["label_level"], "Level: 3");
    EXPECT_EQ(t["labelAverageLeft"], "101.0cm");
    EXPECT_EQ(t["labelVariationLeft"], "1.4cm");   // sqrt(2) with n - 1
    EXPECT_EQ(t["labelMaximumLeft"], "102.0cm");
    EXPECT_EQ(t["labelMinimumLeft"], "100.0cm");
    EXPECT_EQ(t["labelVariationRight"], "141.4lsb");
    EXPECT_EQ(t["labelMeasCount"], "2");
}

TEST_F(PixelInfoTextTest, InvalidDistanceEndsTheUpdateAndLeavesWindowsAlone)
{
    run(kModeDistanceAmplitude, 1000, 100);
    const auto t = run(kModeDistanceAmplitude, 964000, 200);
    EXPECT_EQ(t["labelCurrentLeft"], "N/A");
    EXPECT_FALSE(t.contains("labelCurrentRight"));
    EXPECT_EQ(distances.count(), 1u);
    EXPECT_EQ(seconds.count(), 1u);
}

TEST_F(PixelInfoTextTest, ZeroStatisticsShowDashes)
{
    const auto t = run(kModeDistance, 0, 0);
    EXPECT_EQ(t["labelCurrentLeft"], "0.0cm");
    for (const char* name : {"labelAverageLeft", "labelVariationLeft", "labelMaximumLeft", "labelMinimumLeft"})
        EXPECT_EQ(t[name], "-") << name;
    EXPECT_EQ(t["labelCurrentRight"], "0");
}

TEST_F(PixelInfoTextTest, ModesChooseTheColumns)
{
    auto t = run(kModeDistance, 1000, 100);
    EXPECT_EQ(seconds.count(), 0u);
    EXPECT_EQ(t["labelCurrentRight"], "0");

    t = run(kModeGrayscale, 1000, 2048);
    EXPECT_EQ(distances.count(), 1u);
    EXPECT_FALSE(t.contains("labelCurrentLeft"));
    EXPECT_EQ(t["labelCurrentRight"], "2048lsb");
    EXPECT_EQ(t["labelMeasCount"], "1");

    t = run(kModeGrayscale, 1000, 64001);
    EXPECT_EQ(seconds.count(), 1u);
    for (const char* name : {"labelCurrentRight", "labelVariationRight", "labelAverageRight",
                             "labelMaximumRight", "labelMinimumRight"})
        EXPECT_EQ(t[name], "N/A") << name;
}

TEST_F(PixelInfoTextTest, ResetShowsNotAvailableEverywhere)
{
    const auto t = asMap(reset());
    EXPECT_EQ(t.size(), 11);
    for (const QString& text : t)
        EXPECT_EQ(text, "N/A");
}

}  // namespace
