#include "FilterWindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>

#include "CloudFilterLibrary.h"
#include "FilterConstants.h"
#include "mvsdk/MvSdk.h"
#include "ui_FilterSettings.h"

namespace vantory::filters {

std::optional<std::vector<std::uint8_t>> renderTypeCommand(float firmwareVersion, int index) {
    if (firmwareVersion >= kFirmwareWithoutRenderCommand) return std::nullopt;
    const std::uint8_t third = index == kRenderReflectivityIndex ? 0 : kRenderSelectOther;
    return std::vector<std::uint8_t>{kRenderSelectFirst, 0, third};
}

FilterWindow::FilterWindow(Ui::FilterSettings& ui, Movoda::MvSdk& sdk, FilterSink& sink,
                           const CloudFilterLibrary* library, FilterWindowHooks hooks,
                           QObject* parent)
    : QObject(parent),
      ui_(ui),
      sdk_(sdk),
      sink_(sink),
      library_(library),
      hooks_(std::move(hooks)) {
    connectControls();
    connectSdkSettings();
    connectReflectivityDisplay();
    connectButtons();
}

FilterControls FilterWindow::controls() const {
    FilterControls c;
    c.edgeOn = ui_.checkBox_enable_edge->isChecked();
    c.edgeThreshold = ui_.spinBox_edge_threshold->value();
    c.medianOn = ui_.checkBox_enable_median->isChecked();
    c.median5 = !ui_.radioButton_median_3->isChecked();
    c.kalmanOn = ui_.checkBox_enable_kalman->isChecked();
    c.kalmanFactor = ui_.doubleSpinBox_klm_factor->value();
    c.kalmanThreshold = ui_.spinBox_klm_threshold->value();
    c.dustOn = ui_.checkBox_enable_dust->isChecked();
    c.dustThreshold = ui_.spinBox_dust_threshold->value();
    c.dustType = std::max(0, ui_.comboBox_dustType->currentIndex());
    c.dustFrames = ui_.spinBox_dust_frames->value();
    c.reflectivityOn = ui_.checkBox_enable_ref_filter->isChecked();
    c.reflectivityMin = ui_.doubleSpinBox_ref_min->value();
    c.reflectivityMax = ui_.doubleSpinBox_ref_max->value();
    c.cloudFilterOn =
        ui_.checkBox_pclfilter_on->isChecked() && library_ != nullptr && library_->loaded();
    c.distanceDivisor = ui_.doubleSpinBox_pclpara_distdevide->value();
    c.dynamicsOn = ui_.checkBox_smoothon->isChecked();
    c.windowSize = ui_.spinBox_winsize->value();
    c.motionSize = ui_.spinBox_motionsize->value();
    c.smoothOn = ui_.checkBox_pclfilter_planefiton->isChecked();
    c.smoothIterations = ui_.spinBox_iterations->value();
    c.smoothDelta = ui_.spinBox_delta->value();
    c.smoothAlpha = ui_.doubleSpinBox_alpha->value();
    c.averageOn = ui_.checkBox_pclfilter_outlieron->isChecked();
    c.averageSize = ui_.spinBox_averagesize->value();
    return c;
}

void FilterWindow::applySdkFilters() {
    filters::applySdkFilters(sink_, controls());
    refreshCloudFilters();
}

void FilterWindow::refreshCloudFilters() {
    const FilterControls c = controls();
    // A switch the missing library forces off shows as off.
    if (!c.cloudFilterOn && ui_.checkBox_pclfilter_on->isChecked()) {
        const QSignalBlocker blocker(ui_.checkBox_pclfilter_on);
        ui_.checkBox_pclfilter_on->setChecked(false);
    }
    const bool on = c.cloudFilterOn;
    for (QCheckBox* box : {ui_.checkBox_pclfilter_planefiton, ui_.checkBox_pclfilter_outlieron,
                           ui_.checkBox_smoothon}) {
        box->setEnabled(on);
    }
    for (QWidget* w : std::initializer_list<QWidget*>{ui_.spinBox_iterations, ui_.spinBox_delta,
                                                      ui_.doubleSpinBox_alpha}) {
        w->setEnabled(on && c.smoothOn);
    }
    ui_.spinBox_averagesize->setEnabled(on && c.averageOn);
    for (QWidget* w : std::initializer_list<QWidget*>{ui_.spinBox_winsize, ui_.spinBox_motionsize,
                                                      ui_.doubleSpinBox_pclpara_distdevide}) {
        w->setEnabled(on && c.dynamicsOn);
    }
}

void FilterWindow::enableLibraryControls() {
    if (library_ == nullptr || !library_->loaded()) return;
    ui_.checkBox_pclfilter_on->setEnabled(true);
    const std::string caption = library_->versionCaption();
    if (!caption.empty()) ui_.checkBox_pclfilter_on->setText(QString::fromStdString(caption));
    refreshCloudFilters();
}

void FilterWindow::applyRenderType(int index) {
    if (index < 0) return;
    if (const auto bytes =
            renderTypeCommand(hooks_.firmwareVersion ? hooks_.firmwareVersion() : 0.0f, index);
        bytes && sdk_.isConnected()) {
        std::vector<std::uint8_t> response;
        sdk_.customCmd(kCmdRenderSelect, *bytes, response, kRenderCommandTimeoutMs);
    }
    showReflectivityDisplay(index == kRenderReflectivityIndex);
}

void FilterWindow::showReflectivityDisplay(bool shown) {
    for (QWidget* w :
         std::initializer_list<QWidget*>{ui_.label_reflectivityMax, ui_.spinBox_reflectivitymax,
                                         ui_.checkBox_reflectauto, ui_.pushButton_savereflectmax}) {
        w->setVisible(shown);
    }
    if (shown) ui_.spinBox_reflectivitymax->setEnabled(!ui_.checkBox_reflectauto->isChecked());
}

void FilterWindow::showReflectivityCoef(float coefficient) {
    ui_.label_Reflectivitycoef->setText(QStringLiteral("Reflectivity coef: ") +
                                        QString::number(static_cast<double>(coefficient)));
}

void FilterWindow::showDeveloperControls(bool shown) {
    ui_.groupBox_cfgDebug->setVisible(shown);
}

bool FilterWindow::developerControlsShown() const {
    return !ui_.groupBox_cfgDebug->isHidden();
}

void FilterWindow::connectControls() {
    const auto send = [this](void (*row)(FilterSink&, const FilterControls&)) {
        return [this, row] { row(sink_, controls()); };
    };
    const auto onToggle = [this](QAbstractButton* box, const std::function<void()>& handler) {
        connect(box, &QAbstractButton::toggled, this, [handler](bool) { handler(); });
    };
    const auto onValue = [this](QSpinBox* box, const std::function<void()>& handler) {
        connect(box, qOverload<int>(&QSpinBox::valueChanged), this, [handler](int) { handler(); });
    };
    const auto onReal = [this](QDoubleSpinBox* box, const std::function<void()>& handler) {
        connect(box, qOverload<double>(&QDoubleSpinBox::valueChanged), this,
                [handler](double) { handler(); });
    };
    onToggle(ui_.checkBox_enable_edge, send(sendEdge));
    onValue(ui_.spinBox_edge_threshold, send(sendEdge));
    onToggle(ui_.checkBox_enable_median, send(sendMedian));
    onToggle(ui_.radioButton_median_3, send(sendMedian));
    onToggle(ui_.checkBox_enable_kalman, send(sendKalman));
    onReal(ui_.doubleSpinBox_klm_factor, send(sendKalman));
    onValue(ui_.spinBox_klm_threshold, send(sendKalman));
    onToggle(ui_.checkBox_enable_dust, send(sendDust));
    onValue(ui_.spinBox_dust_threshold, send(sendDust));
    onValue(ui_.spinBox_dust_frames, send(sendDust));
    connect(ui_.comboBox_dustType, qOverload<int>(&QComboBox::currentIndexChanged), this,
            [this](int) { sendDust(sink_, controls()); });
    onToggle(ui_.checkBox_enable_ref_filter, send(sendReflectivityBand));
    onReal(ui_.doubleSpinBox_ref_min, send(sendReflectivityBand));
    onReal(ui_.doubleSpinBox_ref_max, send(sendReflectivityBand));

    const auto cloud = [this] {
        sendCloudFilters(sink_, controls());
        refreshCloudFilters();
    };
    for (QAbstractButton* box : {static_cast<QAbstractButton*>(ui_.checkBox_pclfilter_on),
                                 static_cast<QAbstractButton*>(ui_.checkBox_smoothon),
                                 static_cast<QAbstractButton*>(ui_.checkBox_pclfilter_planefiton),
                                 static_cast<QAbstractButton*>(ui_.checkBox_pclfilter_outlieron)}) {
        onToggle(box, cloud);
    }
    for (QSpinBox* box : {ui_.spinBox_winsize, ui_.spinBox_motionsize, ui_.spinBox_iterations,
                          ui_.spinBox_delta, ui_.spinBox_averagesize}) {
        onValue(box, cloud);
    }
    onReal(ui_.doubleSpinBox_pclpara_distdevide, cloud);
    onReal(ui_.doubleSpinBox_alpha, cloud);
}

void FilterWindow::connectSdkSettings() {
    connect(
        ui_.spinBox_cut_maxref, qOverload<int>(&QSpinBox::valueChanged), this,
        [this](int value) { sdk_.setMaxReflectivity(static_cast<uint32_t>(std::max(0, value))); });
    connect(ui_.spinBox_cutcorner, qOverload<int>(&QSpinBox::valueChanged), this,
            [this](int value) { sdk_.setCutCorner(static_cast<uint32_t>(std::max(0, value))); });
    const auto binning = [this](int) {
        sdk_.setSdkBinning(static_cast<uint16_t>(std::max(0, ui_.spinBox_sdkbinningx->value())),
                           static_cast<uint16_t>(std::max(0, ui_.spinBox_sdkbinningy->value())));
    };
    connect(ui_.spinBox_sdkbinningx, qOverload<int>(&QSpinBox::valueChanged), this, binning);
    connect(ui_.spinBox_sdkbinningy, qOverload<int>(&QSpinBox::valueChanged), this, binning);
    connect(ui_.comboBox_cloudcoordtype, qOverload<int>(&QComboBox::currentIndexChanged), this,
            [this](int index) {
                if (index >= 0) sdk_.setCloudCoordType(static_cast<uint8_t>(index));
            });
}

void FilterWindow::connectReflectivityDisplay() {
    connect(ui_.checkBox_reflectauto, &QCheckBox::toggled, this,
            [this](bool on) { ui_.spinBox_reflectivitymax->setEnabled(!on); });
    connect(ui_.pushButton_savereflectmax, &QPushButton::clicked, this, [this] {
        if (hooks_.saveReflectivityMax)
            hooks_.saveReflectivityMax(ui_.spinBox_reflectivitymax->value());
    });
}

void FilterWindow::connectButtons() {
    const auto forward = [this](QPushButton* button, const std::function<void()>& hook) {
        connect(button, &QPushButton::clicked, this, [hook] {
            if (hook) hook();
        });
    };
    forward(ui_.pushButton_exportsettings, hooks_.exportConfig);
    forward(ui_.pushButton_importsettings, hooks_.importConfig);
    forward(ui_.pushButton_CaliReflectivity, hooks_.startCalibration);
    forward(ui_.pushButton_xbin2pcd, hooks_.convertToPcd);
    forward(ui_.pushButton_xbin2pic, hooks_.convertToImages);
}

}  // namespace vantory::filters
