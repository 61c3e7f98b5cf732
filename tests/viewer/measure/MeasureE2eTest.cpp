// The measurement area in the real main window with the real SDK against the simulated
// camera (127.0.0.100, image port 8400): the noise map of a still wall without noise is
// zero everywhere it is known, and the amplitude pane's auto range leaves the slider's
// fixed range for the bright "steps" scene.
#include <QCheckBox>
#include <QPushButton>
#include <QSpinBox>

#include <cmath>
#include <vector>

#include "ColorBar.h"
#include "FramePath.h"
#include "LanguageTexts.h"
#include "MeasureController.h"
#include "ViewerE2eFixture.h"
#include "ui_MainWindow.h"

namespace e2e {
namespace {

constexpr int kDistanceAmplitudeIndex = 2;
constexpr int kNoiseFrames = 10;
constexpr int kStreamWaitMs = 30000;

using vantory::measure::MeasureController;
using vantory::measure::Pane;

class MeasureE2e : public ViewerE2eTest {
protected:
    MeasureController& area() { return *window().measure(); }
    vantory::measure::FrameMeasures& measures() { return window().framePath()->measures(); }
};

TEST_F(MeasureE2e, NoiseMapOfAStillWallWithoutNoiseIsZero) {
    cameraOptions().scene.name = "wall";
    cameraOptions().noise = 0;
    ASSERT_NO_FATAL_FAILURE(startViewer(kDistanceAmplitudeIndex));

    // Every widget created in code has its caption in both text sets, found once.
    for (const vantory::Caption& caption : window().texts().codeCaptions()) {
        EXPECT_EQ(window().findChildren<QWidget*>(QString::fromLatin1(caption.objectName)).size(),
                  1)
            << caption.objectName;
    }

    area().noiseDepthBox()->setValue(kNoiseFrames);
    area().noiseMapBox()->setChecked(true);
    ui().pushBtn_start->click();

    std::vector<float> map;
    ASSERT_TRUE(waitUntil([&]() { return measures().noiseMapSnapshot(map) >= kNoiseFrames; },
                          kStreamWaitMs));
    std::size_t known = 0;
    for (float sigma : map) {
        if (std::isnan(sigma)) continue;
        ++known;
        ASSERT_EQ(sigma, 0.0f);
    }
    EXPECT_GT(known, map.size() / 2) << "the wall fills the view";
    // The pane shows the map with its own scale in mm.
    EXPECT_TRUE(
        waitUntil([&]() { return area().distanceBar()->unit().contains(QStringLiteral("σ")); }));
}

TEST_F(MeasureE2e, AmplitudeAutoRangeLeavesTheFixedRangeForTheBrightSteps) {
    cameraOptions().scene.name = "steps";
    ASSERT_NO_FATAL_FAILURE(startViewer(kDistanceAmplitudeIndex));
    ui().pushBtn_start->click();
    ASSERT_TRUE(
        waitUntil([&]() { return !ui().ImageView2->shownSourceImage().isNull(); }, kStreamWaitMs));
    // The fixed range of the amplitude slider lies far below the scene's amplitudes.
    const double fixedUpper = area().amplitudeBar()->upper();
    ASSERT_LT(fixedUpper, 4000.0);

    area().autoRangeBox(Pane::Amplitude)->setChecked(true);
    // The range moves up to span the scene: its upper end well above the fixed one, its
    // lower end off zero, and no camera code (64000 and up) taken for a value.
    EXPECT_TRUE(waitUntil(
        [&]() {
            return area().amplitudeBar()->upper() > 2 * fixedUpper &&
                   area().amplitudeBar()->lower() > 0;
        },
        kStreamWaitMs))
        << "range " << area().amplitudeBar()->lower() << ".." << area().amplitudeBar()->upper();
    EXPECT_LT(area().amplitudeBar()->upper(), 64000.0);

    area().autoRangeBox(Pane::Amplitude)->setChecked(false);
    EXPECT_TRUE(
        waitUntil([&]() { return area().amplitudeBar()->upper() == fixedUpper; }, kStreamWaitMs));
}

}  // namespace
}  // namespace e2e
