#include "MainWindow.h"

#include <QCloseEvent>
#include <QDockWidget>
#include <QKeyEvent>
#include <QLayout>
#include <QGuiApplication>
#include <QLocale>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QThread>
#include <QTimer>

#include <cstdlib>
#include <iostream>

#include "CameraControls.h"
#include "CloudViewController.h"
#include "DevModeConstants.h"
#include "DevModes.h"
#include "ControlConstants.h"
#include "ExitConfirmation.h"
#include "ExportController.h"
#include "FramePath.h"
#include "CloudFilterLibrary.h"
#include "FilterWindow.h"
#include "GuiContext.h"
#include "LanguageTexts.h"
#include "MaintenanceWindows.h"
#include "MeasureController.h"
#include "PixelInfoWindow.h"
#include "RecordsController.h"
#include "ViewerConstants.h"
#include "mvsdk/MvSdk.h"
#include "ui_Calibration.h"
#include "ui_DevSettings.h"
#include "ui_FilterSettings.h"
#include "ui_MainWindow.h"
#include "ui_PInfo.h"
#include "ui_Scene.h"

using namespace vantory;

namespace {

const QStringList kModFreqItems = {"24M", "12M", "6M", "3M", "1.5M"};
const QStringList kExposureFreqItems = {"24M", "12M", "6M", "4.8M", "3M", "1.5M", "0.75M"};
const QStringList kRenderTypeItems = {"Distance", "Amplitude", "Reflectivity"};
const QStringList kCoordTypeItems = {"Camera", "Car"};
constexpr int kDefaultRenderTypeIndex = 2;

}  // namespace

MainWindow::MainWindow(const LaunchOptions& options, QWidget* parent)
    : QMainWindow(parent),
      options_(options),
      settings_(QString::fromStdString(settingsFileName(options.suffix))),
      texts_(&TextSet::forLanguage(Language::English)),
      ui_(std::make_unique<Ui::MainWindow>()),
      exitHandler_([](int code) { std::exit(code); }) {
    // 1. Main form and title.
    ui_->setupUi(this);
    fitLeftPanel();
    setWindowTitle(QString::fromStdString(vantory::windowTitle(options_.suffix)));

    // 2. Auxiliary windows, hidden.
    createAuxiliaryWindows();

    // 3. Context, relay and SDK.
    ownedContext_ = std::make_unique<GuiContext>(this, logDirectoryName(options_.suffix));
    ctx_ = ownedContext_.get();
    setGuiContext(ctx_);
    framePath_ = std::make_unique<FramePath>(*ctx_);
    pixelInfo_ = std::make_unique<PixelInfoWindow>(pixelInfoWindow_.get());
    controls_ = std::make_unique<controls::CameraControls>(*ctx_->sdk);
    registerSdkCallbacks();
    createFilterWindow();  // loads the point-cloud filter library

    // 4. Relay and widget connections.
    connect(ctx_->sdkSignal.get(), &SdkSignal::updateUiThread, this, &MainWindow::dispatchUpdate);
    connect(ctx_->sdkSignal.get(), &SdkSignal::addlogstr, this, &MainWindow::appendLog);
    connectImageViews();
    createMeasure();
    connectControls();
    connect(ui_->lineEdit_netip, &QLineEdit::editingFinished, this, &MainWindow::changeAddress);
    connect(ui_->radioButton_usb, &QRadioButton::clicked, this, &MainWindow::changeInterface);
    for (QSpinBox* box : {ui_->spinBox_int2, ui_->spinBox_int3, ui_->spinBox_int4, ui_->spinBox_int5, ui_->spinBox_intgs}) {
        connect(box, qOverload<int>(&QSpinBox::valueChanged), this, &MainWindow::on_spinBox_int1_valueChanged);
    }
    connect(ui_->spinBox_maxdist, qOverload<int>(&QSpinBox::valueChanged), this, &MainWindow::on_spinBox_mindist_valueChanged);
    connect(ui_->checkBox_binningv, &QCheckBox::stateChanged, this, &MainWindow::on_checkBox_binningh_stateChanged);
    connect(ui_->checkBox_vcsel2, &QCheckBox::stateChanged, this, &MainWindow::on_checkBox_vcsel1_stateChanged);
    connect(ui_->checkBox_vmirror, &QCheckBox::stateChanged, this, &MainWindow::on_checkBox_hmirror_stateChanged);
    for (QComboBox* box : {ui_->comboBox_freq2, ui_->comboBox_freq3, ui_->comboBox_freq4, ui_->comboBox_freq5}) {
        connect(box, qOverload<int>(&QComboBox::currentIndexChanged), this, &MainWindow::on_comboBox_freq1_currentIndexChanged);
    }

    // 5-7. Combo items, visibility, limits.
    fillComboBoxes();
    applyInitialVisibility();
    applyLimits();

    // 8. Language, then the maintenance windows that speak it.
    applyLanguage();
    createMaintenance();
    createDevModes();

    // 9. Settings into the controls.
    loadSettings();
    autoStartPending_ = options_.autoStart;
    autoRecordPending_ = options_.autoRecord;
    fitScreen();

    // 10. Interface choice and filters.
    changeInterface();
    applyFilterSettings();

    // 11. Image port and connection start.
    ui_->lineEdit_udpport->setEnabled(false);
    bool portOk = false;
    const uint port = ui_->lineEdit_udpport->text().toUInt(&portOk);
    if (portOk && port <= 0xFFFF) ctx_->sdk->setUdpDestIp(std::string(), static_cast<uint16_t>(port));
    ctx_->sdk->startup();

    // 12. Periodic timer.
    periodicTimer_ = new QTimer(this);
    connect(periodicTimer_, &QTimer::timeout, this, &MainWindow::onPeriodicTimer);
    periodicTimer_->start(kPeriodicTimerMs);

    // 13. Filter library controls, render type, coordinate type.
    if (ctx_->filterLibraryLoaded) enableFilterLibraryControls();
    runRenderTypeHandler();
    ctx_->sdk->setCloudCoordType(static_cast<uint8_t>(std::max(0, filterUi_->comboBox_cloudcoordtype->currentIndex())));
    createCloudView();
    connectCloudFilter();
    createRecords();
    createExport();

    // 14. Second distance plane and debug mode. The box may already be checked, which
    // would emit nothing, so the handler runs either way.
    {
        const QSignalBlocker blocker(ui_->checkBox_filtered);
        ui_->checkBox_filtered->setChecked(true);
    }
    on_checkBox_filtered_stateChanged(Qt::Checked);
    if (ctx_->modes & devmodes::kModeDebugBit) {
        showDeveloperControls();
        setWindowTitle(windowTitle() + QLatin1String(devmodes::kDebugTitleSuffix));
    }

    // 15. With a console the calibration button opens the log panel only.
    if (options_.console) {
        ui_->pushBtn_calibration->setText(QStringLiteral("LogDbg"));
        ui_->pushBtn_calibration->show();
        calibrationUi_->frameControl->hide();
    }

    // 16. Sunlight calibration buttons.
    calibrationUi_->pushButtonWriteCalidata->setText(QLatin1String(devmodes::kSunlightStarted));
    calibrationUi_->pushButtonReadCalidata->setText(QLatin1String(devmodes::kSunlightStopButton));
}

MainWindow::~MainWindow() {
    releaseForExit();
    if (guiContext() == ctx_) setGuiContext(nullptr);
}

// The left panel scrolls vertically, so the window fits a small screen; it must never
// be narrower than its controls, which the hidden horizontal scroll bar would clip.
void MainWindow::fitLeftPanel() {
    QScrollArea* area = ui_->scrollArea_left;
    const int scrollBar = area->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    const QWidget* panel = ui_->frame1_left;
    const int panelWidth =
        std::min(std::max(panel->minimumWidth(), panel->minimumSizeHint().width()), panel->maximumWidth());
    area->setMinimumWidth(panelWidth + scrollBar);
    area->setMaximumWidth(ui_->frame1_left->maximumWidth() + scrollBar);
}

// Without a stored geometry the window opens at the form's size, which may not fit a
// small screen; the left panel scrolls, so the window can be shorter.
void MainWindow::fitScreen() {
    if (loadedSettings_.mainWindow.applies()) return;
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        resize(size().boundedTo(screen->availableGeometry().size()));
    }
}

void MainWindow::createAuxiliaryWindows() {
    filterUi_ = std::make_unique<Ui::FilterSettings>();
    devUi_ = std::make_unique<Ui::DevSettings>();
    calibrationUi_ = std::make_unique<Ui::Calibration>();
    pixelInfoUi_ = std::make_unique<Ui::PInfo>();
    sceneUi_ = std::make_unique<Ui::Scene>();
    filterWindow_ = std::make_unique<QWidget>();
    devWindow_ = std::make_unique<QWidget>();
    calibrationWindow_ = std::make_unique<QWidget>();
    pixelInfoWindow_ = std::make_unique<QWidget>();
    sceneWindow_ = std::make_unique<QWidget>();
    filterUi_->setupUi(filterWindow_.get());
    devUi_->setupUi(devWindow_.get());
    calibrationUi_->setupUi(calibrationWindow_.get());
    pixelInfoUi_->setupUi(pixelInfoWindow_.get());
    sceneUi_->setupUi(sceneWindow_.get());
    for (QWidget* window : {filterWindow_.get(), devWindow_.get(), calibrationWindow_.get(), pixelInfoWindow_.get(),
                            sceneWindow_.get()}) {
        window->hide();
    }
    pixelInfoUi_->widgetDCS->hide();
}

void MainWindow::registerSdkCallbacks() {
    GuiContext* ctx = ctx_;
    ctx_->sdk->setCallback(
        [this, ctx](const std::shared_ptr<const Movoda::CBEventData>& event) {
            if (ctx->callbacksEnabled.load() && event) onSdkEvent(event);
        },
        [this, ctx](const std::shared_ptr<const Movoda::Frame>& frame) {
            if (ctx->callbacksEnabled.load() && frame) onFrame(frame);
        });
    ctx_->callbacksEnabled.store(true);
}

void MainWindow::fillComboBoxes() {
    ui_->cmbBox_modfreq->clear();
    ui_->cmbBox_modfreq->addItems(kModFreqItems);
    ui_->comboBox_channel->clear();
    for (int channel = 0; channel < 16; ++channel) ui_->comboBox_channel->addItem(QString::number(channel));
    if (ui_->cmbBox_imagetype->count() < 5) ui_->cmbBox_imagetype->addItem(QStringLiteral("PointCloud+Amp"));
    for (QComboBox* box : {ui_->comboBox_freq1, ui_->comboBox_freq2, ui_->comboBox_freq3, ui_->comboBox_freq4,
                           ui_->comboBox_freq5}) {
        const QSignalBlocker blocker(box);
        box->clear();
        box->addItems(kExposureFreqItems);
    }
    filterUi_->comboBox_pcloudRendertype->clear();
    filterUi_->comboBox_pcloudRendertype->addItems(kRenderTypeItems);
    filterUi_->comboBox_pcloudRendertype->setCurrentIndex(kDefaultRenderTypeIndex);
    filterUi_->comboBox_cloudcoordtype->clear();
    filterUi_->comboBox_cloudcoordtype->addItems(kCoordTypeItems);
}

void MainWindow::applyInitialVisibility() {
    for (QWidget* widget : std::initializer_list<QWidget*>{
             ui_->checkBox_binningh, ui_->checkBox_binningv, ui_->checkBox_vcsel1,
             ui_->checkBox_vcsel2, ui_->groupBox_record, ui_->groupBox_play, ui_->frame_udpport,
             ui_->checkBox_filtered, ui_->checkBox_gs, ui_->frame_distslider, ui_->frame_ampslider,
             ui_->checkBox_dcs, ui_->pushButton_save2dev,
             // Developer controls: the fourth and fifth exposure and the per-exposure frequencies.
             ui_->spinBox_int4, ui_->label_int4, ui_->label_int4us, ui_->spinBox_int5,
             ui_->label_int5, ui_->label_int5us, ui_->label_freqs, ui_->frame_freqs}) {
        widget->hide();
    }
    // Shown only as the log button (console) or in factory-test mode.
    ui_->pushBtn_calibration->hide();
    ui_->cmbBox_hdrmode->setEnabled(false);
    ui_->comboBox_channel->setEnabled(false);
    ui_->cmbBox_modfreq->setEnabled(false);
    ui_->checkBox_vcsel1->setChecked(true);
    ui_->checkBox_vcsel2->setChecked(true);
    on_checkBox_hmirror_stateChanged(ui_->checkBox_hmirror->checkState());
    ui_->pushButton_filtersettings->setText(QStringLiteral("Filters"));
}

void MainWindow::applyLimits() {
    for (QSpinBox* box : {ui_->spinBox_int1, ui_->spinBox_int2, ui_->spinBox_int3, ui_->spinBox_int4, ui_->spinBox_int5}) {
        box->setMaximum(controls::kMaxIntegrationTimeUs);
    }
    ui_->spinBox_intgs->setMaximum(controls::kMaxGrayscaleIntegrationTimeUs);
    ui_->spinBox_maxFps->setMaximum(controls::kMaxFramesPerSecond);
    ui_->spinBox_mindist->setMaximum(controls::kMaxDistanceCm);
    ui_->spinBox_maxdist->setMaximum(controls::kMaxDistanceCm);
    ui_->horizontalSlider->setRange(0, controls::kMaxDistanceCm);
    ui_->horizontalSlider2->setRange(0, controls::kAmplitudeSliderMax);
    ui_->horizontalSlider2->setSpan(0, controls::kAmplitudeSliderMax);
}

void MainWindow::applyLanguage() {
    ctx_->languageSetting = static_cast<uint8_t>(settings_.uiLanguage());
    Language language = Language::English;
    if (ctx_->languageSetting == 1) {
        language = Language::English;
    } else {
        const QString localeName = QLocale::system().name();
        std::cout << "system language = " << localeName.toStdString() << std::endl;
        language = chooseLanguage(ctx_->languageSetting, localeName);
    }
    texts_ = &TextSet::forLanguage(language);
    ctx_->english = texts_->isEnglish() ? 1 : 0;
    applyCaptions();

    {
        const QSignalBlocker blocker(ui_->cmbBox_imagetype);
        ui_->cmbBox_imagetype->clear();
        ui_->cmbBox_imagetype->addItems(texts_->imageTypeItems());
    }
    {
        const QSignalBlocker blocker(ui_->cmbBox_hdrmode);
        ui_->cmbBox_hdrmode->clear();
        ui_->cmbBox_hdrmode->addItems(texts_->hdrModeItems(false));
    }
    filterUi_->comboBox_dustType->clear();
    filterUi_->comboBox_dustType->addItems(texts_->dustTypeItems());
}

void MainWindow::applyCaptions() {
    const std::vector<QWidget*> roots = {this, filterWindow_.get(), devWindow_.get(), calibrationWindow_.get(),
                                         pixelInfoWindow_.get(), sceneWindow_.get()};
    std::vector<Caption> captions = texts_->captions();
    captions.insert(captions.end(), texts_->codeCaptions().begin(), texts_->codeCaptions().end());
    for (const Caption& caption : captions) {
        for (QWidget* root : roots) {
            QWidget* widget = root->objectName() == QLatin1String(caption.objectName)
                                  ? root
                                  : root->findChild<QWidget*>(QString::fromLatin1(caption.objectName));
            if (!widget) continue;
            if (auto* button = qobject_cast<QAbstractButton*>(widget)) button->setText(caption.text);
            else if (auto* label = qobject_cast<QLabel*>(widget)) label->setText(caption.text);
            else if (auto* group = qobject_cast<QGroupBox*>(widget)) group->setTitle(caption.text);
            else if (auto* dock = qobject_cast<QDockWidget*>(widget)) dock->setWindowTitle(caption.text);
            break;
        }
    }
}

bool MainWindow::anyDeveloperMode() const { return (ctx_->modes & devmodes::kDeveloperModeMask) != 0; }

// ---- Interface and address -------------------------------------------------------

void MainWindow::on_radioButton_net_clicked() { changeInterface(); }

void MainWindow::changeInterface() {
    if (ui_->radioButton_net->isChecked()) {
        ui_->lineEdit_netip->show();
        ui_->lineEdit_usbport->hide();
        ctx_->sdk->setConnectAddress(ui_->lineEdit_netip->text().toStdString());
        ui_->frame_udpport->setVisible(anyDeveloperMode());
    } else {
        ui_->lineEdit_netip->hide();
        ui_->lineEdit_usbport->show();
        const QString address = usbConnectAddress(ui_->lineEdit_usbport->text());
        ui_->frame_udpport->hide();
        ctx_->sdk->setConnectAddress(address.toStdString());
    }
}

void MainWindow::on_lineEdit_usbport_editingFinished() { changeAddress(); }

void MainWindow::changeAddress() {
    const QLineEdit* field = ui_->radioButton_net->isChecked() ? ui_->lineEdit_netip : ui_->lineEdit_usbport;
    ctx_->sdk->setConnectAddress(field->text().toStdString());
}

// ---- Streaming ---------------------------------------------------------------------

void MainWindow::on_pushBtn_start_clicked() {
    ctx_->sdk->setPlaybackMode(0);
    ui_->pushBtn_start->setEnabled(false);
    ui_->pushBtn_stop->setEnabled(true);

    const std::optional<Movoda::ImageType> type = imageTypeForIndex(ui_->cmbBox_imagetype->currentIndex());
    const Movoda::ImageType imageType = type.value_or(Movoda::IMG_DISTANCE);

    if (ctx_->sdk->isConnected() && (ctx_->playing || ui_->label_sn->text().contains(QLatin1String("play:")))) {
        if (ctx_->playing) stopPlayback();
        QThread::msleep(kPlaybackStopPauseMs);
        refreshDeviceControls();
    }

    if (!ctx_->sdk->start(imageType, false)) {
        reportStartFailure(ctx_->sdk->isConnected());
        return;
    }

    ui_->pushBtnGSImage->hide();
    ui_->pushButtonSave2csv->hide();
    if (imageType >= Movoda::IMG_POINTCLOUD) {
        startCloudViewer();
        ui_->pushBtn_savepcd->show();
    } else {
        ui_->pushBtn_savepcd->hide();
    }
    const bool savesImage = imageType == Movoda::IMG_DISTANCE || imageType == Movoda::IMG_AMPLITUDE ||
                            imageType == Movoda::IMG_POINTCLOUDAMP;
    if (imageType == Movoda::IMG_GRAYSCALE) {
        ui_->pushBtnGSImage->setText(QStringLiteral("Save Grayscale"));
        ui_->pushBtnGSImage->show();
    } else if (savesImage) {
        ui_->pushBtnGSImage->setText(QStringLiteral("Save Image"));
        ui_->pushBtnGSImage->show();
    }

    ui_->groupBox_record->show();
    ui_->checkBox_filtered->hide();
    if (anyDeveloperMode()) {
        if (savesImage) ui_->pushButtonSave2csv->show();
        if (imageType != Movoda::IMG_GRAYSCALE) ui_->checkBox_filtered->show();
    }
}

void MainWindow::on_pushBtn_stop_clicked() {
    ui_->pushBtn_stop->setEnabled(false);
    ui_->pushBtn_start->setEnabled(true);
    ctx_->sdk->stop();
    ui_->groupBox_record->hide();
}

void MainWindow::on_cmbBox_imagetype_currentIndexChanged(int index) {
    if (index < 0) return;  // the box is being refilled
    applyImageTypeEnabling(index);
    resetPixelInfo(imageTypeView(index));

    on_cmbBox_hdrmode_currentIndexChanged(ui_->cmbBox_hdrmode->currentIndex());
    if (!ui_->pushBtn_start->isEnabled()) {
        ctx_->sdk->stop();
        QThread::msleep(kRestartPauseMs);
        on_pushBtn_start_clicked();
    }
    ctx_->imageTypeIndex = static_cast<uint8_t>(index);
}

void MainWindow::applyImageTypeEnabling(int index) {
    const ImageTypeView view = imageTypeView(index);
    ui_->cmbBox_hdrmode->setEnabled(view.exposureControls);
    ui_->spinBox_int1->setEnabled(view.exposureControls);
    ui_->spinBox_intgs->setEnabled(!view.exposureControls);
}

void MainWindow::resetPixelInfo(const ImageTypeView& view) {
    pixelInfoUi_->labelNameLeft->setText(view.leftName);
    pixelInfoUi_->labelNameRight->setText(view.rightName);
    const QString none = QStringLiteral("N/A");
    for (QLabel* label : {pixelInfoUi_->labelCurrentLeft, pixelInfoUi_->labelCurrentRight,
                          pixelInfoUi_->labelAverageLeft, pixelInfoUi_->labelAverageRight,
                          pixelInfoUi_->labelVariationLeft, pixelInfoUi_->labelVariationRight,
                          pixelInfoUi_->labelMaximumLeft, pixelInfoUi_->labelMaximumRight,
                          pixelInfoUi_->labelMinimumLeft, pixelInfoUi_->labelMinimumRight}) {
        label->setText(none);
    }
    std::lock_guard<std::mutex> lock(ctx_->frameMutex);
    ctx_->displayMode = view.pixelInfoMode;
    ctx_->distSamples.clear();
    ctx_->ampSamples.clear();
}

// ---- Exit --------------------------------------------------------------------------

void MainWindow::closeEvent(QCloseEvent* event) {
    if (released_) {
        event->accept();
        return;
    }
    if (!confirmExit(this, *texts_)) {
        event->ignore();
        return;
    }
    event->accept();
    shutdownRoutine();
    releaseForExit();
    exitHandler_(0);
}

void MainWindow::shutdownRoutine() {
    shuttingDown_ = true;
    if (ui_->cmbBox_imagetype->currentIndex() != kShutdownImageTypeIndex) {
        ui_->cmbBox_imagetype->setCurrentIndex(kShutdownImageTypeIndex);
    }
    if (ui_->pushBtn_start->isEnabled()) {
        ui_->pushBtn_start->click();
        QThread::msleep(kRestartPauseMs);
    }
    // Stop even when the start failed: the camera may be streaming without our knowing.
    if (!ui_->pushBtn_start->isEnabled()) ui_->pushBtn_stop->click();
    else
        ctx_->sdk->stop();
}

void MainWindow::releaseForExit() {
    if (released_) return;
    released_ = true;
    if (periodicTimer_) periodicTimer_->stop();
    if (exports_) exports_->cancelConversion();
    if (ctx_ && ctx_->sdk) ctx_->sdk->setFrameTap(nullptr);
    if (records_) records_->shutdown();
    if (measure_) measure_->shutdown();
    if (options_.autoRecord) printRunSummary();
    if (cloudView_) cloudView_->shutdown();
    for (QWidget* window : {filterWindow_.get(), devWindow_.get(), calibrationWindow_.get(), pixelInfoWindow_.get(),
                            sceneWindow_.get()}) {
        if (window) window->close();
    }
    if (!ctx_) return;
    ctx_->callbacksEnabled.store(false);
    if (maintenance_) maintenance_->firmware().cancel();  // its worker uses the SDK
    if (ctx_->sdk) {
        ctx_->sdk->setCallback(nullptr, nullptr);
        // Joins every SDK thread before the process tears down its globals.
        ctx_->sdk.reset();
    }
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
    handleKeyPress(event);
    QMainWindow::keyPressEvent(event);
}
