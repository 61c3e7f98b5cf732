// The filter window's widgets wired to what they send (recorded), the enabling of the
// cloud-filter controls, the point-cloud filter library present and missing.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QWidget>

#include <memory>

#include "CloudFilterLibrary.h"
#include "FilterWindow.h"
#include "RecordingSink.h"
#include "mvsdk/MvSdk.h"
#include "ui_FilterSettings.h"

namespace vantory::filters {
namespace {

class FilterWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "filter_window_test";
        static char* argv[] = {name, nullptr};
        if (QApplication::instance() == nullptr) app_ = new QApplication(argc, argv);
    }

    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        previous_ = QDir::currentPath();
        QDir::setCurrent(dir_.path());  // the SDK writes its log here
        sdk_ = std::make_unique<Movoda::MvSdk>("filters", "mvlog_filters");
        ui_.setupUi(&form_);
    }
    void TearDown() override { QDir::setCurrent(previous_); }

    // The window over this form, with or without the cloud filter library.
    FilterWindow& open(const CloudFilterLibrary* library) {
        window_ = std::make_unique<FilterWindow>(ui_, *sdk_, sink_, library, FilterWindowHooks{});
        return *window_;
    }

    static QApplication* app_;
    QTemporaryDir dir_;
    QString previous_;
    std::unique_ptr<Movoda::MvSdk> sdk_;
    QWidget form_;
    Ui::FilterSettings ui_;
    RecordingSink sink_;
    std::unique_ptr<FilterWindow> window_;
};

QApplication* FilterWindowTest::app_ = nullptr;

TEST_F(FilterWindowTest, ControlsSendTheirRowAtOnce) {
    open(nullptr);
    struct Case {
        const char* name;
        std::function<void()> act;
        std::string expected;  // the last call
    };
    const std::vector<Case> cases = {
        {"Kalman factor",
         [&] {
             ui_.checkBox_enable_kalman->setChecked(true);
             ui_.doubleSpinBox_klm_factor->setValue(0.35);
         },
         "kalman 350 " + std::to_string(ui_.spinBox_klm_threshold->value()) + " 2000"},
        {"Kalman unticked", [&] { ui_.checkBox_enable_kalman->setChecked(false); },
         "kalman 0 0 300"},
        {"dust frames",
         [&] {
             ui_.checkBox_enable_dust->setChecked(true);
             ui_.spinBox_dust_threshold->setValue(2000);
             ui_.comboBox_dustType->setCurrentIndex(0);
             ui_.spinBox_dust_frames->setValue(3);
         },
         "dust 2000 3 3000 100"},
        {"band upper below lower",
         [&] {
             ui_.checkBox_enable_ref_filter->setChecked(true);
             ui_.doubleSpinBox_ref_max->setValue(2.0);
             ui_.doubleSpinBox_ref_min->setValue(5.0);
         },
         "band 5 5"},
        {"median 5",
         [&] {
             ui_.checkBox_enable_median->setChecked(true);
             ui_.radioButton_median_5->setChecked(true);
         },
         "median 5"},
        {"edge threshold",
         [&] {
             ui_.checkBox_enable_edge->setChecked(true);
             ui_.spinBox_edge_threshold->setValue(150);
         },
         "edge 150"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        sink_.calls.clear();
        c.act();
        ASSERT_FALSE(sink_.calls.empty());
        EXPECT_EQ(sink_.calls.back(), c.expected);
    }
}

TEST_F(FilterWindowTest, WithoutTheLibraryTheCloudSwitchStaysOff) {
    testing::internal::CaptureStdout();
    const CloudFilterLibrary missing(dir_.path().toStdString(), "libnot_there.so");
    EXPECT_NE(testing::internal::GetCapturedStdout().find("can not load pcl_process dll"),
              std::string::npos);
    ASSERT_FALSE(missing.loaded());
    FilterWindow& window = open(&missing);
    const QString caption = ui_.checkBox_pclfilter_on->text();
    window.enableLibraryControls();
    ui_.checkBox_smoothon->setChecked(true);
    ui_.checkBox_pclfilter_on->setChecked(true);
    EXPECT_FALSE(ui_.checkBox_pclfilter_on->isChecked());
    EXPECT_FALSE(window.controls().cloudFilterOn);
    EXPECT_EQ(ui_.checkBox_pclfilter_on->text(), caption);
    EXPECT_FALSE(ui_.checkBox_smoothon->isEnabled());
    EXPECT_FALSE(ui_.spinBox_winsize->isEnabled());
    const std::vector<std::string> last(sink_.calls.end() - 3, sink_.calls.end());
    EXPECT_EQ(last[0].substr(0, 8), "cloud 5 ");  // divisor as set, switch 0, window 9, motion 5
    EXPECT_EQ(last[0].substr(last[0].size() - 6), " 0 9 5");
    EXPECT_EQ(last[1], "average 0 2000");
    EXPECT_EQ(last[2], "smooth 1 0 0");
}

TEST_F(FilterWindowTest, WithTheLibraryItsVersionCaptionsTheSwitchAndSubFiltersFollow) {
    const CloudFilterLibrary library(programDirectory());
    ASSERT_TRUE(library.loaded()) << "libambrelfilter.so beside the test";
    const auto config = library.config();
    ASSERT_TRUE(config);
    FilterWindow& window = open(&library);
    window.enableLibraryControls();
    EXPECT_EQ(ui_.checkBox_pclfilter_on->text().toStdString(),
              "On  V" + std::to_string(config->versionMajor) + "." +
                  std::to_string(config->versionMinor) + "." +
                  std::to_string(config->versionPatch));
    ui_.checkBox_pclfilter_on->setChecked(true);
    ui_.checkBox_pclfilter_planefiton->setChecked(false);
    ui_.checkBox_pclfilter_outlieron->setChecked(true);
    EXPECT_TRUE(window.controls().cloudFilterOn);
    EXPECT_FALSE(ui_.spinBox_iterations->isEnabled());
    EXPECT_TRUE(ui_.spinBox_averagesize->isEnabled());
    ui_.spinBox_averagesize->setValue(7);
    EXPECT_EQ(sink_.calls.back().substr(0, 6), "cloud ");
    EXPECT_NE(std::find(sink_.calls.begin(), sink_.calls.end(), "average 7 2000"),
              sink_.calls.end());

    // A wall with one far-away stray point: the library takes the stray point out.
    auto cloud = std::make_shared<cloudview::Cloud>(40, 30);
    for (std::size_t i = 0; i < cloud->size(); ++i) {
        auto& p = cloud->points[i];
        p.x = float(i % 40) * 0.005f, p.y = float(i / 40) * 0.005f, p.z = 1.0f, p.intensity = 1;
    }
    cloud->points[615].z = 3.0f;
    const cloudview::CloudConstPtr filtered = library.filter(cloud);
    ASSERT_TRUE(filtered);
    ASSERT_EQ(filtered->size(), cloud->size());
    EXPECT_FALSE(std::isfinite(filtered->points[615].z));
    EXPECT_TRUE(std::isfinite(filtered->points[300].z));
}

TEST_F(FilterWindowTest, AutomaticReflectivityMaximumLocksItsSpinBox) {
    FilterWindow& window = open(nullptr);
    window.applyRenderType(2);
    ui_.checkBox_reflectauto->setChecked(true);
    EXPECT_FALSE(ui_.spinBox_reflectivitymax->isEnabled());
    ui_.checkBox_reflectauto->setChecked(false);
    EXPECT_TRUE(ui_.spinBox_reflectivitymax->isEnabled());
    window.applyRenderType(0);
    EXPECT_TRUE(ui_.spinBox_reflectivitymax->isHidden());
    window.showDeveloperControls(false);
    EXPECT_FALSE(window.developerControlsShown());
}

}  // namespace
}  // namespace vantory::filters
