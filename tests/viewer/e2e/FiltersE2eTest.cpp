// The filter window and configuration files in the real window against the simulated
// camera: the render-type command of older firmware, export then import on the same
// camera, and the question before importing another model's file.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QRadioButton>
#include <QSettings>
#include <QSpinBox>

#include "GuiContext.h"
#include "SettingsKeys.h"
#include "ViewerE2eFixture.h"
#include "ui_MainWindow.h"

namespace e2e {
namespace {

constexpr uint8_t kCmdRenderSelect = 202;
constexpr uint8_t kCmdIntTimes = 8;

template <typename T>
T* filterControl(MainWindow& window, const char* name) {
    T* widget = window.filterSettingsWindow()->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
}

TEST_F(ViewerE2eTest, RenderTypeOnOlderFirmwareSendsTheRenderSelection) {
    cameraOptions().identity.firmware = "V2.1.0_20220101";
    ASSERT_NO_FATAL_FAILURE(startViewer(0));
    auto* renderType = filterControl<QComboBox>(window(), "comboBox_pcloudRendertype");
    renderType->setCurrentIndex(0);
    const std::size_t from = camera().receivedCommands().size();
    renderType->setCurrentIndex(2);
    ASSERT_TRUE(waitForCommand(kCmdRenderSelect, from));
    renderType->setCurrentIndex(0);
    ASSERT_TRUE(
        waitUntil([&] { return payloadsOf(commandsFrom(from), kCmdRenderSelect).size() == 2; }));
    EXPECT_EQ(payloadsOf(commandsFrom(from), kCmdRenderSelect),
              (std::vector<std::vector<uint8_t>>{{20, 0, 0}, {20, 0, 20}}));
}

TEST_F(ViewerE2eTest, ExportThenImportOnTheSameCameraRestoresTheControls) {
    ASSERT_NO_FATAL_FAILURE(startViewer(0));
    MainWindow& w = window();
    auto* factor = filterControl<QDoubleSpinBox>(w, "doubleSpinBox_klm_factor");
    auto* median5 = filterControl<QRadioButton>(w, "radioButton_median_5");
    auto* median3 = filterControl<QRadioButton>(w, "radioButton_median_3");
    auto* dust = filterControl<QSpinBox>(w, "spinBox_dust_threshold");
    auto* refMin = filterControl<QDoubleSpinBox>(w, "doubleSpinBox_ref_min");
    auto* window_ = filterControl<QSpinBox>(w, "spinBox_winsize");
    auto* cutCorner = filterControl<QSpinBox>(w, "spinBox_cutcorner");
    auto* render = filterControl<QComboBox>(w, "comboBox_pcloudRendertype");

    // One set of values, exported; another set over it; the import brings the first back.
    const auto set = [&](int step) {
        factor->setValue(step == 0 ? 0.35 : 0.6);
        (step == 0 ? median5 : median3)->setChecked(true);
        dust->setValue(step == 0 ? 2100 : 900);
        refMin->setValue(step == 0 ? 1.5 : 0.5);
        window_->setValue(step == 0 ? 7 : 11);
        cutCorner->setValue(step == 0 ? 30 : 60);
        render->setCurrentIndex(step == 0 ? 1 : 0);
        ui().spinBox_int1->setValue(step == 0 ? 222 : 100);
        ui().spinBox_minamp->setValue(step == 0 ? 44 : 10);
        ui().spinBox_maxFps->setValue(step == 0 ? 12 : 15);
        ui().checkBox_hmirror->setChecked(step == 0);
        ui().comboBox_freq2->setCurrentIndex(step == 0 ? 3 : 1);
    };
    const auto snapshot = [&] {
        return std::vector<double>{factor->value(),
                                   double(median5->isChecked()),
                                   double(dust->value()),
                                   refMin->value(),
                                   double(window_->value()),
                                   double(cutCorner->value()),
                                   double(render->currentIndex()),
                                   double(ui().spinBox_int1->value()),
                                   double(ui().spinBox_minamp->value()),
                                   double(ui().spinBox_maxFps->value()),
                                   double(ui().checkBox_hmirror->isChecked()),
                                   double(ui().comboBox_freq2->currentIndex())};
    };
    set(0);
    const std::vector<double> exported = snapshot();
    const QString path = workPath(QStringLiteral("same.mvcfg"));
    ASSERT_TRUE(w.exportConfigTo(path));
    set(1);
    ASSERT_NE(snapshot(), exported);
    ASSERT_TRUE(w.importConfig(path));  // same model: no question
    EXPECT_EQ(snapshot(), exported);
    EXPECT_EQ(QSettings(path, QSettings::IniFormat)
                  .value(QString::fromLatin1(vantory::settings::kKalmanFactor))
                  .toString(),
              QStringLiteral("0.35"));
}

TEST_F(ViewerE2eTest, ImportOfAnotherModelsFileAsksAndCancelChangesNothing) {
    ASSERT_NO_FATAL_FAILURE(startViewer(0));
    MainWindow& w = window();
    auto* factor = filterControl<QDoubleSpinBox>(w, "doubleSpinBox_klm_factor");
    factor->setValue(0.5);
    ui().spinBox_int1->setValue(300);
    const QString path = workPath(QStringLiteral("other.mvcfg"));
    ASSERT_TRUE(w.exportConfigTo(path));
    {
        QSettings file(path, QSettings::IniFormat);
        const int model = file.value(QString::fromLatin1(vantory::settings::kDeviceType)).toInt();
        file.setValue(QString::fromLatin1(vantory::settings::kDeviceType), model == 0 ? 1 : 0);
        file.setValue(QString::fromLatin1(vantory::settings::kKalmanFactor),
                      QStringLiteral("0.80"));
        file.setValue(QString::fromLatin1(vantory::settings::kInt[0]), 700);
    }
    const std::size_t from = camera().receivedCommands().size();
    answerNextBox(QStringLiteral("Cancel"));
    EXPECT_FALSE(w.importConfig(path));
    EXPECT_DOUBLE_EQ(factor->value(), 0.5);
    EXPECT_EQ(ui().spinBox_int1->value(), 300);
    EXPECT_TRUE(payloadsOf(commandsFrom(from), kCmdIntTimes).empty());

    answerNextBox(QStringLiteral("Ok"));
    EXPECT_TRUE(w.importConfig(path));
    EXPECT_DOUBLE_EQ(factor->value(), 0.8);
    EXPECT_EQ(ui().spinBox_int1->value(), 700);
}

}  // namespace
}  // namespace e2e
