#include "DeviceSettingsPanel.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QSignalBlocker>
#include <QSpinBox>

#include <algorithm>
#include <iostream>

#include "FirmwareUpdate.h"
#include "MaintenanceTexts.h"
#include "mvsdk/MvSdk.h"
#include "ui_DevSettings.h"

namespace vantory::maintenance {

namespace {

// The developer modes raise the maximum integration time to at least this.
constexpr int kDeveloperMaxIntegrationUs = 3000;
const QString kFirmwareFilter = QStringLiteral("bin Files (*.bin)");

std::string textOf(const QLineEdit* edit) {
    return edit->text().trimmed().toStdString();
}

}  // namespace

FileChooser defaultFileChooser() {
    return
        [](QWidget* parent, const QString& title, const QString& startDir, const QString& filter) {
            return QFileDialog::getOpenFileName(parent, title, startDir, filter);
        };
}

DeviceSettingsPanel::DeviceSettingsPanel(Ui::DevSettings& ui, QWidget& window, Movoda::MvSdk& sdk,
                                         service::FirmwareUpdate& firmware,
                                         MaintenanceOutput& output, bool english,
                                         MainWindowHooks hooks)
    : ui_(ui),
      window_(window),
      sdk_(sdk),
      firmware_(firmware),
      output_(output),
      settings_(sdk),
      english_(english),
      hooks_(std::move(hooks)),
      chooseFile_(defaultFileChooser()) {
    // Service groups wait for the developer modes.
    for (QWidget* group :
         {static_cast<QWidget*>(ui_.groupBox_mac), static_cast<QWidget*>(ui_.groupBox_sn),
          static_cast<QWidget*>(ui_.groupBox_tempcoef),
          static_cast<QWidget*>(ui_.groupBox_maxpower), static_cast<QWidget*>(ui_.groupBoxDebug),
          static_cast<QWidget*>(ui_.groupBox_compensate),
          static_cast<QWidget*>(ui_.groupBox_fwupdate)}) {
        group->hide();
    }
    connectIdentity();
    connectUserParameters();
    connectDebugAndCompensation();
    connectDeviceButtons();
}

void DeviceSettingsPanel::connectIdentity() {
    connect(ui_.pushButton_setMac, &QPushButton::clicked, this, [this] {
        if (settings_.setMac(textOf(ui_.lineEditMac))) inform(mtext::kMacWritten);
    });
    connect(ui_.pushButton_setSN, &QPushButton::clicked, this, [this] {
        if (settings_.setSerial(textOf(ui_.lineEditSN))) inform(mtext::kSnWritten);
    });
    connect(ui_.pushButtonWritetempcoef, &QPushButton::clicked, this, [this] {
        switch (settings_.writeTemperatureCoefficient(textOf(ui_.lineEdit_tempcoef))) {
            case WriteResult::Written:
                inform(mtext::kTempCoefWritten);
                break;
            case WriteResult::Invalid:
                inform(mtext::kTempCoefNotANumber);
                break;
            case WriteResult::Failed:
                break;
        }
    });
    connect(ui_.pushButtonReadTempCoef, &QPushButton::clicked, this, [this] { readCoefficient(); });
    connect(ui_.pushButton_maxpowerset, &QPushButton::clicked, this, [this] {
        settings_.maxLightEnergy(service::LightEnergyOp::Set,
                                 static_cast<uint16_t>(ui_.spinBox_maxpower->value()));
    });
    connect(ui_.pushButton_maxpowerget, &QPushButton::clicked, this, [this] { readLightEnergy(); });
    connect(ui_.pushButton_maxpowerclear, &QPushButton::clicked, this, [this] {
        settings_.maxLightEnergy(service::LightEnergyOp::Clear,
                                 static_cast<uint16_t>(ui_.spinBox_maxpower->value()));
    });
}

void DeviceSettingsPanel::connectUserParameters() {
    connect(ui_.pushButton_setip, &QPushButton::clicked, this, [this] {
        const WriteResult result = settings_.setIp(
            textOf(ui_.lineEditIp), textOf(ui_.lineEditIpMask), textOf(ui_.lineEditIpGate));
        if (result == WriteResult::Written) inform(mtext::kIpWritten);
    });
    connect(ui_.spinBox_ptpdomain, qOverload<int>(&QSpinBox::valueChanged), this,
            [this](int domain) { settings_.setPtpDomain(domain); });
    for (QSpinBox* box :
         {ui_.spinBox_roi_x0, ui_.spinBox_roi_y0, ui_.spinBox_roi_x1, ui_.spinBox_roi_y1}) {
        connect(box, qOverload<int>(&QSpinBox::valueChanged), this, [this] { applyRoi(); });
    }
    connect(ui_.pushButton_cleanRoi, &QPushButton::clicked, this, [this] { settings_.clearRoi(); });
    for (QSpinBox* box : {ui_.spinBox_cut_int0, ui_.spinBox_cut_Dist0, ui_.spinBox_cut_int1,
                          ui_.spinBox_cut_Dist1}) {
        connect(box, qOverload<int>(&QSpinBox::valueChanged), this, [this] { sendCut(); });
    }
    connect(ui_.checkBox_cuton, &QCheckBox::toggled, this,
            [this](bool on) { settings_.setCutSwitch(on); });
    connect(ui_.pushButton_settings_userreload, &QPushButton::clicked, this,
            [this] { hooks_.reloadControls(); });
    connect(ui_.pushButton_settings_save2dev, &QPushButton::clicked, this,
            [this] { hooks_.saveToDevice(); });
}

void DeviceSettingsPanel::connectDebugAndCompensation() {
    connect(ui_.checkBox_endian, &QCheckBox::toggled, this,
            [this](bool on) { settings_.setByteOrderDetection(on); });
    connect(ui_.checkBox_ispcap, &QCheckBox::toggled, this, [this](bool on) { isPcap_.store(on); });
    connect(ui_.spinBoxMaxInt, qOverload<int>(&QSpinBox::valueChanged), this,
            [this](int value) { applyMaxIntegration(value); });
    connect(ui_.pushButtonCmd3, &QPushButton::clicked, this, [this] {
        emit debugCommandEntered(ui_.lineEditcmddata3->text(),
                                 ui_.checkBox_cmddecenable->isChecked());
    });
    for (QCheckBox* box : {ui_.checkBox_compensate_drnu, ui_.checkBox_compensate_temperature}) {
        connect(box, &QCheckBox::toggled, this, [this] {
            settings_.setCompensation(ui_.checkBox_compensate_drnu->isChecked(),
                                      ui_.checkBox_compensate_temperature->isChecked());
        });
    }
    connect(ui_.checkBox_unit1mm, &QCheckBox::toggled, this, [this](bool on) {
        std::cout << "unitlmm checked" << std::endl;
        unitOneMm_.store(on);
    });
    connect(ui_.spinBox_offsetmm, qOverload<int>(&QSpinBox::valueChanged), this, [this](int mm) {
        settings_.sendDistanceOffset(ui_.checkBox_usetheoffset->isChecked(), mm);
    });
}

void DeviceSettingsPanel::connectDeviceButtons() {
    connect(ui_.pushButtonFWUpdate, &QPushButton::clicked, this, [this] { startFirmwareUpdate(); });
    connect(ui_.pushButtonResetDev, &QPushButton::clicked, this,
            [this] { settings_.reboot([this] { return ask(mtext::kRebootQuestion); }); });
    connect(ui_.pushButtonRestoreDefault, &QPushButton::clicked, this,
            [this] { settings_.restoreFactory([this] { return ask(mtext::kFactoryQuestion); }); });
}

void DeviceSettingsPanel::open(bool readCoefficientFirst) {
    if (readCoefficientFirst) readCoefficient();
    window_.show();
    window_.raise();
    window_.activateWindow();
}

void DeviceSettingsPanel::showDeveloperFields() {
    ui_.groupBoxDebug->show();
    ui_.groupBox_compensate->show();
    const int maxIntegration = std::max(ui_.spinBoxMaxInt->value(), kDeveloperMaxIntegrationUs);
    {
        const QSignalBlocker blocker(ui_.spinBoxMaxInt);
        ui_.spinBoxMaxInt->setValue(maxIntegration);
    }
    applyMaxIntegration(maxIntegration);
    window_.adjustSize();
}

void DeviceSettingsPanel::showFactoryFields() {
    for (QWidget* group :
         {static_cast<QWidget*>(ui_.groupBox_mac), static_cast<QWidget*>(ui_.groupBox_sn),
          static_cast<QWidget*>(ui_.groupBox_tempcoef),
          static_cast<QWidget*>(ui_.groupBox_maxpower)}) {
        group->show();
    }
    window_.adjustSize();
}

void DeviceSettingsPanel::showFirmwareGroup() {
    ui_.groupBox_fwupdate->show();
    window_.adjustSize();
}

void DeviceSettingsPanel::readCoefficient() {
    if (const std::optional<int32_t> value = settings_.readTemperatureCoefficient()) {
        ui_.lineEdit_tempcoef->setText(QString::number(*value));
    }
}

void DeviceSettingsPanel::readLightEnergy() {
    const auto value = settings_.maxLightEnergy(
        service::LightEnergyOp::Read, static_cast<uint16_t>(ui_.spinBox_maxpower->value()));
    if (value) ui_.spinBox_maxpower->setValue(*value);
}

void DeviceSettingsPanel::applyRoi() {
    const RoiBox box = settings_.applyRoi(ui_.spinBox_roi_x0->value(), ui_.spinBox_roi_y0->value(),
                                          ui_.spinBox_roi_x1->value());
    // Show what was sent without coming back here.
    const QSignalBlocker x0(ui_.spinBox_roi_x0), x1(ui_.spinBox_roi_x1), y1(ui_.spinBox_roi_y1);
    ui_.spinBox_roi_x0->setValue(box.x0);
    ui_.spinBox_roi_x1->setValue(box.x1);
    ui_.spinBox_roi_y1->setValue(box.y1);
}

void DeviceSettingsPanel::sendCut() {
    settings_.sendCut({ui_.spinBox_cut_int0->value(), ui_.spinBox_cut_Dist0->value(),
                       ui_.spinBox_cut_int1->value(), ui_.spinBox_cut_Dist1->value()});
}

void DeviceSettingsPanel::applyMaxIntegration(int maxIntegrationUs) {
    settings_.applyMaxIntegration(maxIntegrationUs);
    if (hooks_.setExposureMaximum) hooks_.setExposureMaximum(maxIntegrationUs);
}

void DeviceSettingsPanel::startFirmwareUpdate() {
    const QString title = textIn(service::fwtext::kTitle, english_);
    if (!sdk_.isConnected()) {
        output_.timedMessage(title, textIn(service::fwtext::kNotConnected, english_));
        return;
    }
    hooks_.stopStreaming();
    const QString path = chooseFile_(&window_, textIn(service::fwtext::kFileDialog, english_),
                                     QString(), kFirmwareFilter);
    if (!path.isEmpty() && QFileInfo(path).isFile()) firmware_.start(path.toStdString());
    window_.raise();
    window_.activateWindow();
}

bool DeviceSettingsPanel::ask(const Text& question) {
    return QMessageBox::question(&window_, textIn(mtext::kConfirmTitle, english_),
                                 textIn(question, english_),
                                 QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

void DeviceSettingsPanel::inform(const Text& message) {
    QMessageBox::information(&window_, textIn(mtext::kInfoTitle, english_),
                             textIn(message, english_));
}

}  // namespace vantory::maintenance
