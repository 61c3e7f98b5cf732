// The filter settings window, configuration files, per-camera configurations, scenes and
// the reflectivity calibration. What the filters send is FilterWindow's and
// FilterSender's, the file mappings are the configuration library's; this file moves
// values between those and the widgets and asks the user.

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>

#include <iostream>

#include "CameraConfig.h"
#include "CloudFilterLibrary.h"
#include "CloudViewController.h"
#include "ControlWidgets.h"
#include "FilterConstants.h"
#include "FilterWindow.h"
#include "GuiContext.h"
#include "LanguageTexts.h"
#include "MainWindow.h"
#include "ModelTable.h"
#include "SceneFile.h"
#include "SnConfigs.h"
#include "mvsdk/MvSdk.h"
#include "records/RecordNaming.h"
#include "ui_FilterSettings.h"
#include "ui_MainWindow.h"
#include "ui_Scene.h"

using namespace vantory;

namespace {

constexpr int kModeDebugBit = 0x01;
constexpr const char* kConfigFileName = "movoda.mvcfg";
constexpr const char* kConfigFilter = "*.mvcfg";
constexpr const char* kConfigOpenFilter = "mvcfg Files (*.mvcfg)";
constexpr const char* kSaveAsTitle = "另存为";

QString programFolder() {
    return QString::fromStdString(filters::programDirectory());
}

QString exportFolder() {
    return QString::fromStdString(Movoda::records::exportDirectory());
}

// The camera panel's values that configuration files and scenes both carry.
struct PanelValues {
    int imgType, hdr;
    const std::array<int, 5>& intTimes;
    int intGs, minLsb, maxFps;
    const std::array<int, 5>& freqIndices;
};

// Each control takes its value with its handler running, so the camera gets it as if
// the user had set it.
void setPanel(Ui::MainWindow& ui, const PanelValues& v) {
    if (v.imgType >= 0 && v.imgType < ui.cmbBox_imagetype->count())
        ui.cmbBox_imagetype->setCurrentIndex(v.imgType);
    if (v.hdr >= 0 && v.hdr < ui.cmbBox_hdrmode->count()) ui.cmbBox_hdrmode->setCurrentIndex(v.hdr);
    const auto boxes = intTimeBoxes(ui);
    for (std::size_t i = 0; i < boxes.size(); ++i) boxes[i]->setValue(v.intTimes[i]);
    ui.spinBox_intgs->setValue(v.intGs);
    ui.spinBox_minamp->setValue(v.minLsb);
    ui.spinBox_maxFps->setValue(v.maxFps);
    const auto freqs = freqBoxes(ui);
    for (std::size_t i = 0; i < freqs.size(); ++i) freqs[i]->setCurrentIndex(v.freqIndices[i]);
}

}  // namespace

void MainWindow::createFilterWindow() {
    cloudFilterLibrary_ =
        std::make_unique<filters::CloudFilterLibrary>(filters::programDirectory());
    ctx_->filterLibraryLoaded = cloudFilterLibrary_->loaded() ? 1 : 0;
    filterSink_ = std::make_unique<filters::MvSdkFilterSink>(*ctx_->sdk);
    filters::FilterWindowHooks hooks;
    hooks.exportConfig = [this] { exportConfig(); };
    hooks.importConfig = [this] { importConfig(QString()); };
    hooks.startCalibration = [this] { startReflectivityCalibration(); };
    hooks.firmwareVersion = [this] { return ctx_->firmwareVersion; };
    hooks.saveReflectivityMax = [this](int value) { saveReflectivityMax(value); };
    filters_ = std::make_unique<filters::FilterWindow>(*filterUi_, *ctx_->sdk, *filterSink_,
                                                       cloudFilterLibrary_.get(), std::move(hooks));
    filters_->showDeveloperControls(anyDeveloperMode());
    connect(filterUi_->pushButton_importsncfg, &QPushButton::clicked, this,
            [this] { importConfigForSn(); });
    connect(filterUi_->pushButton_scenes, &QPushButton::clicked, this, [this] {
        sceneWindow_->show();
        sceneWindow_->activateWindow();
    });
    connect(sceneUi_->pushButton_scene1, &QPushButton::clicked, this,
            [this] { selectScene(kSceneStill); });
    connect(sceneUi_->pushButton_scene2, &QPushButton::clicked, this,
            [this] { selectScene(kSceneDynamic); });
}

// The display cloud (cloud window and PCD export) goes through the library while its
// switch is on.
void MainWindow::connectCloudFilter() {
    const filters::CloudFilterLibrary* library = cloudFilterLibrary_.get();
    if (!library->loaded()) return;
    cloudView_->shared().setCloudFilter(
        [library](const cloudview::CloudConstPtr& cloud) { return library->filter(cloud); });
}

void MainWindow::applyFilterSettings() {
    filters_->applySdkFilters();
}

void MainWindow::enableFilterLibraryControls() {
    filters_->enableLibraryControls();
}

void MainWindow::sendRenderType() {
    filters_->applyRenderType(filterUi_->comboBox_pcloudRendertype->currentIndex());
}

void MainWindow::showReflectivityCoef() {
    filters_->showReflectivityCoef(ctx_->reflectCoefs[0]);
}

void MainWindow::saveReflectivityMax(int value) {
    const QString model = QString::fromStdString(models::modelName(std::max(0, modelCode_)));
    settings_.saveReflectivityRenderMax(model, value);
    QMessageBox::information(filterWindow_.get(), texts_->message(Msg::InfoTitle),
                             model + QString::fromUtf8(filters::kSaveReflectMaxText).arg(value));
}

// ---- Configuration files -----------------------------------------------------------

CameraConfig MainWindow::currentConfig() const {
    CameraConfig c;
    c.imgType = ui_->cmbBox_imagetype->currentIndex();
    c.deviceType = std::max(0, modelCode_);
    c.hdr = ui_->cmbBox_hdrmode->currentIndex();
    const auto boxes = intTimeBoxes(*ui_);
    for (std::size_t i = 0; i < boxes.size(); ++i) c.intTimes[i] = boxes[i]->value();
    c.intGs = ui_->spinBox_intgs->value();
    c.minLsb = ui_->spinBox_minamp->value();
    c.hMirror = ui_->checkBox_hmirror->isChecked();
    c.vMirror = ui_->checkBox_vmirror->isChecked();
    c.maxFps = ui_->spinBox_maxFps->value();
    c.cutCorner = filterUi_->spinBox_cutcorner->value();
    const auto freqs = freqBoxes(*ui_);
    for (std::size_t i = 0; i < freqs.size(); ++i) c.freqIndices[i] = freqs[i]->currentIndex();
    c.renderType = std::max(0, filterUi_->comboBox_pcloudRendertype->currentIndex());
    c.pclFilterOn = filterUi_->checkBox_pclfilter_on->isChecked();
    c.hBinning = ui_->checkBox_binningh->isChecked();
    c.vBinning = ui_->checkBox_binningv->isChecked();
    c.filters = collectFilterValues();
    return c;
}

void MainWindow::exportConfig() {
    QDir().mkpath(exportFolder());
    const QString path = QFileDialog::getSaveFileName(
        filterWindow_.get(), QString::fromUtf8(kSaveAsTitle),
        exportFolder() + QLatin1Char('/') + QLatin1String(kConfigFileName),
        QString::fromLatin1(kConfigFilter));
    if (!path.isEmpty()) exportConfigTo(path);
}

bool MainWindow::exportConfigTo(const QString& path) {
    QString error;
    if (settings::writeCameraConfig(path, currentConfig(), &error)) return true;
    std::cout << error.toStdString() << std::endl;
    QMessageBox::warning(filterWindow_.get(), texts_->message(Msg::ErrorTitle), error);
    return false;
}

bool MainWindow::importConfig(const QString& chosenPath) {
    QString path = chosenPath;
    if (path.isEmpty()) {
        path = QFileDialog::getOpenFileName(
            filterWindow_.get(), texts_->message(Msg::SelectLensParams),
            exportFolder() + QLatin1Char('/') + QLatin1String(kConfigFileName),
            QString::fromLatin1(kConfigOpenFilter));
    }
    const std::optional<CameraConfig> config = settings::readCameraConfig(path);
    if (!config) return false;
    if (config->deviceType != modelCode_) {
        QMessageBox box(QMessageBox::Question, texts_->message(Msg::InfoTitle),
                        texts_->message(Msg::ImportOtherModel), QMessageBox::NoButton,
                        filterWindow_.get());
        QPushButton* ok = box.addButton(texts_->message(Msg::Ok), QMessageBox::AcceptRole);
        QPushButton* cancel = box.addButton(texts_->message(Msg::Cancel), QMessageBox::RejectRole);
        box.setDefaultButton(cancel);
        box.exec();
        if (box.clickedButton() != ok) return false;
    }
    applyConfig(*config);
    return true;
}

// The SDK filters are sent again once every control holds its value.
void MainWindow::applyConfig(const CameraConfig& c) {
    setPanel(*ui_, {c.imgType, c.hdr, c.intTimes, c.intGs, c.minLsb, c.maxFps, c.freqIndices});
    ui_->checkBox_hmirror->setChecked(c.hMirror);
    ui_->checkBox_vmirror->setChecked(c.vMirror);
    filterUi_->spinBox_cutcorner->setValue(c.cutCorner);
    if (c.hBinning || c.vBinning) {
        {
            const SignalsBlocked blocked({ui_->checkBox_binningh, ui_->checkBox_binningv});
            if (c.vBinning) ui_->checkBox_binningv->setChecked(*c.vBinning);
            if (c.hBinning) ui_->checkBox_binningh->setChecked(*c.hBinning);
        }
        on_checkBox_binningh_stateChanged(0);
    }
    if (c.renderType) filterUi_->comboBox_pcloudRendertype->setCurrentIndex(*c.renderType);
    applyFilterValues(c.filters);
    filterUi_->checkBox_pclfilter_on->setChecked(c.pclFilterOn);
    applyFilterSettings();
}

void MainWindow::importConfigForSn() {
    const bool debug = (ctx_->modes & kModeDebugBit) != 0;
    const auto folder = settings::findSnConfigFolder(
        programFolder(), QString::fromStdString(ctx_->serialText), debug);
    if (!folder) {
        QMessageBox::warning(filterWindow_.get(), QStringLiteral("Error"),
                             texts_->message(Msg::SnConfigNotFound));
        return;
    }
    const QString path = QFileDialog::getOpenFileName(filterWindow_.get(), QString(), *folder,
                                                      QString::fromLatin1(kConfigOpenFilter));
    if (!path.isEmpty() && QFileInfo(path).isFile()) importConfig(path);
}

// ---- Scenes ------------------------------------------------------------------------

void MainWindow::applyModelScene(const std::string& modelString) {
    setRecommendedFilterParams(modelString, kSceneStill, settings::sceneFilePath(programFolder()));
}

void MainWindow::selectScene(int scene) {
    const std::string model = models::modelStringOf(ctx_->serialText);
    std::cout << "devstr: " << model << std::endl;
    const QString file = settings::sceneFilePath(programFolder());
    setRecommendedParams(model, scene, file);
    setRecommendedFilterParams(model, scene, file);
    applyFilterSettings();
    sceneWindow_->hide();
}

void MainWindow::setRecommendedParams(const std::string& model, int scene, const QString& file) {
    const QSettings sceneFile(file, QSettings::IniFormat);
    // A file without this scene would set every value to 0; nothing changes instead.
    if (!settings::hasScene(sceneFile, model, scene)) {
        std::cout << "no scene " << scene << " for " << model << " in " << file.toStdString()
                  << std::endl;
        return;
    }
    const SceneSettings s = settings::readSceneSettings(sceneFile, model, scene);
    setPanel(*ui_, {s.imgType, s.hdr, s.intTimes, s.intGs, s.minLsb, s.maxFps, s.freqIndices});
    ui_->checkBox_binningh->setChecked(s.binX);
    ui_->checkBox_binningv->setChecked(s.binY);
    std::cout << settings::sceneSettingsReport(s) << std::flush;
}

void MainWindow::setRecommendedFilterParams(const std::string& model, int scene,
                                            const QString& file) {
    const QSettings sceneFile(file, QSettings::IniFormat);
    if (!settings::hasScene(sceneFile, model, scene)) {
        std::cout << "no scene " << scene << " for " << model << " in " << file.toStdString()
                  << std::endl;
        return;
    }
    const SceneFilters s = settings::readSceneFilters(sceneFile, model, scene);
    if (s.cloudCoord) filterUi_->comboBox_cloudcoordtype->setCurrentIndex(*s.cloudCoord);
    applyFilterValues(s.filters);
    filterUi_->checkBox_pclfilter_on->setChecked(s.pclFilterOn);
    filterUi_->spinBox_cutcorner->setValue(s.cutCorner);
    std::cout << settings::sceneFiltersReport(s) << std::flush;
}

// ---- Reflectivity calibration ------------------------------------------------------

void MainWindow::startReflectivityCalibration() {
    filterUi_->comboBox_pcloudRendertype->setCurrentIndex(filters::kCalibrationRenderIndex);
    QMessageBox box(QMessageBox::Question, QString::fromUtf8(filters::kCalibrationTitle),
                    QString::fromUtf8(filters::kCalibrationQuestion), QMessageBox::NoButton,
                    filterWindow_.get());
    QPushButton* yes =
        box.addButton(QString::fromUtf8(filters::kCalibrationYes), QMessageBox::YesRole);
    box.addButton(QString::fromUtf8(filters::kCalibrationNo), QMessageBox::NoRole);
    box.exec();
    if (box.clickedButton() != yes) return;
    {
        std::lock_guard<std::mutex> lock(ctx_->frameMutex);
        ctx_->distSamples.clear();
        ctx_->ampSamples.clear();
        ctx_->reflectCoefRunning = 1;  // read by the frame path under the same mutex
    }
}
