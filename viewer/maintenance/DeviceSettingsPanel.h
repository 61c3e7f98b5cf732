// The device-settings window's widgets wired to DeviceSettings and the firmware update.
// Only moves values between the form and the logic, and asks the questions.
#pragma once

#include <QObject>
#include <QString>

#include <atomic>
#include <functional>

#include "DeviceSettings.h"
#include "MaintenanceOutput.h"
#include "MaintenanceTexts.h"

namespace Ui {
class DevSettings;
}
namespace Movoda {
class MvSdk;
}
namespace vantory::service {
class FirmwareUpdate;
}

class QWidget;

namespace vantory::maintenance {

// What the window needs from the main window.
struct MainWindowHooks {
    std::function<void()> reloadControls;         // controls from the device configuration
    std::function<void()> saveToDevice;           // the main form's save question and command
    std::function<void()> stopStreaming;          // as the Stop button
    std::function<void(int)> setExposureMaximum;  // maximum of the exposure spin boxes
};

// Picks a file to open; empty when the user cancels.
using FileChooser = std::function<QString(QWidget* parent, const QString& title,
                                          const QString& startDir, const QString& filter)>;
FileChooser defaultFileChooser();

class DeviceSettingsPanel : public QObject {
    Q_OBJECT
public:
    DeviceSettingsPanel(Ui::DevSettings& ui, QWidget& window, Movoda::MvSdk& sdk,
                        service::FirmwareUpdate& firmware, MaintenanceOutput& output, bool english,
                        MainWindowHooks hooks);

    void setFileChooser(FileChooser chooser) { chooseFile_ = std::move(chooser); }

    // Reads the temperature coefficient when asked to, then shows and raises the window.
    void open(bool readCoefficient);
    // Groups shown by the developer modes.
    void showDeveloperFields();
    void showFactoryFields();
    void showFirmwareGroup();

    bool isPcap() const { return isPcap_.load(); }
    bool unitOneMm() const { return unitOneMm_.load(); }

signals:
    // The debug group's command box; the developer modes act on it.
    void debugCommandEntered(const QString& text, bool decimal);

private:
    void connectIdentity();
    void connectUserParameters();
    void connectDebugAndCompensation();
    void connectDeviceButtons();
    void readCoefficient();
    void applyRoi();
    void sendCut();
    void readLightEnergy();
    void applyMaxIntegration(int maxIntegrationUs);
    void startFirmwareUpdate();
    bool ask(const Text& question);
    void inform(const Text& message);

    Ui::DevSettings& ui_;
    QWidget& window_;
    Movoda::MvSdk& sdk_;
    service::FirmwareUpdate& firmware_;
    MaintenanceOutput& output_;
    DeviceSettings settings_;
    bool english_;
    MainWindowHooks hooks_;
    FileChooser chooseFile_;
    std::atomic<bool> isPcap_{false};     // the played frames carry their configuration
    std::atomic<bool> unitOneMm_{false};  // distances in 1 mm units
};

}  // namespace vantory::maintenance
