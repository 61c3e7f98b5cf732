// The viewer's top-level window: forms, connection, streaming and the SDK event path.
#pragma once

#include <QElapsedTimer>
#include <QMainWindow>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "LaunchOptions.h"
#include "MainWindowLogic.h"
#include "SettingsStore.h"

namespace Ui {
class MainWindow;
class FilterSettings;
class DevSettings;
class Calibration;
class PInfo;
class Scene;
}  // namespace Ui

namespace Movoda {
struct CBEventData;
class Frame;
}  // namespace Movoda

namespace vantory::cloudview {
class CloudViewController;
}  // namespace vantory::cloudview
namespace vantory::records {
class RecordsController;
}  // namespace vantory::records
namespace vantory::exports {
class ExportController;
}  // namespace vantory::exports
namespace vantory::measure {
class MeasureController;
}  // namespace vantory::measure

namespace vantory {
namespace controls {
class CameraControls;
struct ControlValues;
struct DeviceView;
struct ConfigReadBack;
}  // namespace controls
namespace maintenance {
class MaintenanceWindows;
}
namespace devmodes {
class DevModes;
}
namespace filters {
class CloudFilterLibrary;
class FilterSink;
class FilterWindow;
}  // namespace filters
struct CameraConfig;
struct GuiContext;
class TextSet;
class FramePath;
class PixelInfoWindow;
}  // namespace vantory

class LabelImage;

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(const vantory::LaunchOptions& options, QWidget* parent = nullptr);
    ~MainWindow() override;

    vantory::GuiContext* context() const { return ctx_; }
    const vantory::TextSet& texts() const { return *texts_; }
    Ui::MainWindow* form() const { return ui_.get(); }
    QWidget* filterSettingsWindow() const { return filterWindow_.get(); }
    QWidget* devSettingsWindow() const { return devWindow_.get(); }
    QWidget* calibrationWindow() const { return calibrationWindow_.get(); }
    QWidget* pixelInfoWindow() const { return pixelInfoWindow_.get(); }
    QWidget* sceneWindow() const { return sceneWindow_.get(); }
    vantory::maintenance::MaintenanceWindows& maintenance() const { return *maintenance_; }
    // The mode words, the command box and the pixel report.
    vantory::devmodes::DevModes& devModes() const { return *devModes_; }
    // The frame path: seams for the recorder, the point-cloud view and image export.
    vantory::FramePath* framePath() const { return framePath_.get(); }
    // The point-cloud window and its display settings.
    vantory::cloudview::CloudViewController* cloudView() const { return cloudView_.get(); }
    // The record and play groups: recorder and playback.
    vantory::records::RecordsController* records() const { return records_.get(); }
    // The filter settings window's controls and what they send.
    vantory::filters::FilterWindow* filters() const { return filters_.get(); }
    // Colour bars, auto range, noise map, ROI statistics, histograms and link health.
    vantory::measure::MeasureController* measure() const { return measure_.get(); }

    // Configuration files: writes the controls to `path`; reads `path` (asks first when
    // it was made on another model) into the controls. False when nothing was written or
    // nothing changed. An empty path asks for one.
    bool exportConfigTo(const QString& path);
    bool importConfig(const QString& path);
    // Scenes: 1 "Still", 2 "Dynamic", for the connected camera's model.
    void selectScene(int scene);

    // PCD/CSV/image saves and the batch conversion.
    vantory::exports::ExportController* exports() const { return exports_.get(); }

    // Leaves the camera stopped with image type "PointCloud+Amp".
    void shutdownRoutine();
    // Closes the auxiliary windows and withdraws the SDK callbacks, then stops the SDK
    // so that no SDK thread runs on while the process ends.
    void releaseForExit();
    // "record" runs: what was recorded and what the SDK received, on standard output.
    void printRunSummary();
    // What ends the process after a confirmed close; exit() unless replaced (tests).
    void setExitHandler(std::function<void(int)> handler) { exitHandler_ = std::move(handler); }
    bool anyDeveloperMode() const;
    // The settings as loaded at start-up (or last saved): the cloud window restores its
    // geometry and grid from them.
    const vantory::ViewerSettings& storedSettings() const { return loadedSettings_; }
    // Save Settings: every control into the settings file; false when the file could
    // not be replaced (the old one is kept).
    bool saveSettings();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private slots:
    // Connection and streaming.
    void on_radioButton_net_clicked();
    void on_lineEdit_usbport_editingFinished();
    void on_cmbBox_imagetype_currentIndexChanged(int index);
    void on_pushBtn_start_clicked();
    void on_pushBtn_stop_clicked();
    // Camera controls.
    void on_cmbBox_hdrmode_currentIndexChanged(int index);
    void on_spinBox_int1_valueChanged(int arg1);
    void on_spinBox_minamp_valueChanged(int arg1);
    void on_spinBox_mindist_valueChanged(int arg1);
    void on_spinBox_maxFps_valueChanged(int arg1);
    void on_comboBox_channel_currentIndexChanged(int index);
    void on_cmbBox_modfreq_currentIndexChanged(int index);
    void on_checkBox_binningh_stateChanged(int arg1);
    void on_checkBox_vcsel1_stateChanged(int arg1);
    void on_checkBox_hmirror_stateChanged(int arg1);
    void on_checkBox_filtered_stateChanged(int arg1);
    void on_comboBox_freq1_currentIndexChanged(int index);
    void on_checkBox_dcs_stateChanged(int arg1);
    void on_checkBox_gs_stateChanged(int arg1);
    void on_pushButton_save2dev_clicked();
    // Auxiliary windows and settings.
    void on_pushButton_filtersettings_clicked();
    void on_pushBtn_calibration_clicked();
    void on_pushBtn_configdev_clicked();
    void on_pushBtn_savesettings_clicked();
    // Export, records, playback.
    void on_pushBtn_savepcd_clicked();
    void on_pushButtonSave2csv_clicked();
    void on_pushBtnGSImage_clicked();
    void on_checkBox_record_nolimit_stateChanged(int arg1);
    void on_pushButton_record_clicked();
    void on_pushBtn_loadfiles_clicked();
    void on_pushButton_play_clicked();
    void on_spinBox_playfps_valueChanged(int arg1);
    void on_horizontalSlider_play_sliderMoved(int position);

    // SdkSignal receivers.
    void dispatchUpdate(int code);
    void appendLog(const QString& line);
    void onPeriodicTimer();

private:
    // Construction steps.
    void fitLeftPanel();
    void fitScreen();
    void createAuxiliaryWindows();
    void fillComboBoxes();
    void applyInitialVisibility();
    void applyLimits();
    void applyLanguage();
    void loadSettings();
    void applySeriesValues(const vantory::SeriesValues& series);
    void applyFilterValues(const vantory::FilterValues& filters);
    vantory::FilterValues collectFilterValues() const;
    void applyCaptions();
    void registerSdkCallbacks();
    void createCloudView();
    void createRecords();
    void createExport();
    void createMeasure();  // MainWindowMeasure.cpp

    // Connection.
    void changeInterface();
    void changeAddress();
    void autoDetectUsbPort();
    void onSdkEvent(const std::shared_ptr<const Movoda::CBEventData>& event);
    void readImuExtrinsic();  // GUI thread, after the first connection
    void showConnectionState();
    void showTimedMessage();
    void showStatus(int code);
    void resetPixelInfo(const vantory::ImageTypeView& view);

    // Frame display and pixel selection (MainWindowFrame.cpp).
    void onFrame(const std::shared_ptr<const Movoda::Frame>& frame);  // SDK frame thread
    void showLastFrame();                                              // update code 0
    void connectImageViews();
    void onImageHover(LabelImage* view, int x, int y);
    void onImageSelected(LabelImage* view, int x, int y);
    void onPixelSelectionCleared();

    // Developer modes and debug commands (MainWindowDevModes.cpp).
    void createDevModes();
    void showFactoryTestControls();
    void adjustAuxiliaryWindows();
    void setRawDcsMode(int mode);
    void raiseCalibrationWindow();
    // The filter window's developer-only controls.
    void showFilterDeveloperControls();

    // Device settings, firmware update and calibration (MainWindowPending.cpp).
    void createMaintenance();
    void setExposureMaximum(int maxIntegrationUs);

    // Camera parameter controls (MainWindowControls.cpp): widget values in and out;
    // what each value sends lives in controls::CameraControls.
    vantory::controls::ControlValues controlValues() const;
    void applyImageTypeEnabling(int index);
    void applyExposureEnabling();
    void setDistanceSliderRange(int maxCm);
    void onDistanceSpan(int lower, int upper);
    void onAmplitudeSpan(int lower, int upper);
    void showFrameRateRefused();
    void connectControls();
    // Start failures and the frame-rate figure when frames stop (MainWindowControls.cpp).
    void reportStartFailure(bool connected);
    void checkFrameFlow();

    // After connecting (MainWindowDevice.cpp).
    void pushControlsToCamera();
    void detectSeries(const vantory::controls::DeviceView& view);
    void showDeviceView(const vantory::controls::DeviceView& view);
    void applyReadBack(const vantory::controls::ConfigReadBack& values);
    void updateModel(const std::string& modelName);

    // Filled by the work on camera controls, records, playback, export,
    // developer modes, maintenance, filters and the full settings store. Until then
    // they do nothing.
    void afterConnectSetup();
    void reloadFromDeviceConfig();
    void refreshDeviceControls();
    void applyFilterSettings();
    void enableFilterLibraryControls();
    void runRenderTypeHandler();
    // Filled by the filter-settings work: what the render type sends.
    void sendRenderType();
    void showDeveloperControls();
    void handleKeyPress(QKeyEvent* event);
    void handleCalibrationReport(const std::shared_ptr<const Movoda::CBEventData>& event);
    void handleFirmwareReport(const std::shared_ptr<const Movoda::CBEventData>& event);
    void watchCalibrationProgress(const QString& line);
    void tickCalibrationWatchdog();
    void tickCommandWatchdog();
    void tickCloudViewFrameRate();
    void startCloudViewer();
    void stopPlayback();
    void showPlaySliderRange();
    void showPlayPosition();
    void showPlayButton();
    void showRecordCount();
    void showPlaybackConfig();
    void showReflectivityCoef();
    // Filled by the settings work: the HDR mode and integration times of the series.
    void loadSeriesSettings(bool k150Series);
    // The cloud window's geometry (open, or where it was last) and grid, for Save Settings.
    vantory::CloudViewState cloudViewState() const;
    // The model's "Still" filter settings from the scene file, after a model change.
    void applyModelScene(const std::string& modelString);

    // Filter window, configuration files, scenes, calibration (MainWindowFilters.cpp).
    void createFilterWindow();
    void connectCloudFilter();
    void saveReflectivityMax(int value);
    vantory::CameraConfig currentConfig() const;
    void applyConfig(const vantory::CameraConfig& config);
    void exportConfig();
    void importConfigForSn();
    void setRecommendedParams(const std::string& model, int scene, const QString& file);
    void setRecommendedFilterParams(const std::string& model, int scene, const QString& file);
    void startReflectivityCalibration();

    vantory::LaunchOptions options_;
    vantory::SettingsStore settings_;
    const vantory::TextSet* texts_ = nullptr;
    std::unique_ptr<Ui::MainWindow> ui_;
    std::unique_ptr<Ui::FilterSettings> filterUi_;
    std::unique_ptr<Ui::DevSettings> devUi_;
    std::unique_ptr<Ui::Calibration> calibrationUi_;
    std::unique_ptr<Ui::PInfo> pixelInfoUi_;
    std::unique_ptr<Ui::Scene> sceneUi_;
    std::unique_ptr<QWidget> filterWindow_;
    std::unique_ptr<QWidget> devWindow_;
    std::unique_ptr<QWidget> calibrationWindow_;
    std::unique_ptr<QWidget> pixelInfoWindow_;
    std::unique_ptr<QWidget> sceneWindow_;
    QTimer* periodicTimer_ = nullptr;
    std::unique_ptr<vantory::GuiContext> ownedContext_;  // outlives every SDK thread
    vantory::GuiContext* ctx_ = nullptr;
    // Loaded once; outlives every thread that filters clouds through it.
    std::unique_ptr<vantory::filters::CloudFilterLibrary> cloudFilterLibrary_;
    std::unique_ptr<vantory::FramePath> framePath_;  // uses ctx_; destroyed before it
    std::unique_ptr<vantory::cloudview::CloudViewController> cloudView_;  // fed by framePath_
    // The playback thread calls into the conversion: exports_ outlives records_.
    std::unique_ptr<vantory::exports::ExportController> exports_;
    std::unique_ptr<vantory::records::RecordsController> records_;        // uses cloudView_
    std::unique_ptr<vantory::PixelInfoWindow> pixelInfo_;
    std::unique_ptr<vantory::controls::CameraControls> controls_;
    std::unique_ptr<vantory::maintenance::MaintenanceWindows> maintenance_;
    std::unique_ptr<vantory::devmodes::DevModes> devModes_;
    std::unique_ptr<vantory::filters::FilterSink> filterSink_;
    std::unique_ptr<vantory::filters::FilterWindow> filters_;
    std::unique_ptr<vantory::measure::MeasureController> measure_;  // fed by framePath_
    QTimer* frameWatchdog_ = nullptr;
    QElapsedTimer lastFrameShown_;
    bool autoStartPending_ = false;  // "start" on the command line: press Start once connected
    bool autoRecordPending_ = false;  // "record": then Record with No Limit
    int modelCode_ = -1;             // model of the connected camera, -1 before the first
    bool shuttingDown_ = false;      // the exit routine presses Start and Stop; no messages then
    vantory::CommonTables commonTables_;
    vantory::ViewerSettings loadedSettings_;
    vantory::ImuReportThrottle imuThrottle_;  // used on the SDK event thread only
    std::function<void(int)> exitHandler_;
    bool released_ = false;
};
