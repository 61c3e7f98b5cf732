// Developer modes: the window's part of each mode and of the debug commands. What a mode
// word or a command does is devmodes::DevModes'; this file only changes widgets.
#include <QComboBox>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>

#include "DevModes.h"
#include "FilterWindow.h"
#include "FramePath.h"
#include "GuiContext.h"
#include "LanguageTexts.h"
#include "MainWindow.h"
#include "MainWindowLogic.h"
#include "MaintenanceWindows.h"
#include "ui_Calibration.h"
#include "ui_FilterSettings.h"
#include "ui_MainWindow.h"

using namespace vantory;

namespace {
// Spatial HDR is offered only in factory-test mode, as the third item.
constexpr int kHdrItemsWithSpatial = 3;
}  // namespace

void MainWindow::createDevModes() {
    devmodes::ModeEffects modeEffects;
    modeEffects.showDeveloperControls = [this] { showDeveloperControls(); };
    modeEffects.showFactoryTestControls = [this] { showFactoryTestControls(); };
    modeEffects.showFilterDeveloperControls = [this] { showFilterDeveloperControls(); };
    modeEffects.showFirmwareGroup = [this] { maintenance_->deviceSettings().showFirmwareGroup(); };
    modeEffects.setWindowTitle = [this](const QString& title) { setWindowTitle(title); };
    modeEffects.inform = [this](const QString& title, const QString& text) {
        QMessageBox::information(this, title, text);
    };
    modeEffects.adjustWindowSizes = [this] { adjustAuxiliaryWindows(); };

    devmodes::CommandEffects commandEffects;
    commandEffects.setDcsMode = [this](int mode) { setRawDcsMode(mode); };
    commandEffects.setTempDistLog = [this](bool on) { framePath_->setTempDistLog(on); };
    commandEffects.raiseCalibrationWindow = [this] { raiseCalibrationWindow(); };
    // The log panel is where a raw command's answer appears; without the console or the
    // factory-test mode nothing else opens it.
    commandEffects.log = [this](const QString& line) {
        appendLog(line);
        if (calibrationWindow_->isHidden()) calibrationWindow_->show();
    };
    commandEffects.inform = modeEffects.inform;
    commandEffects.timedMessage = [this](const QString& title, const QString& text) {
        ctx_->timedMessage(title, text);
    };

    devModes_ = std::make_unique<devmodes::DevModes>(
        *ctx_->sdk, ctx_->modes, QString::fromStdString(vantory::windowTitle(options_.suffix)),
        texts_->isEnglish(), std::move(modeEffects), std::move(commandEffects));

    devmodes::DebugCommands* commands = &devModes_->commands();
    connect(&maintenance_->deviceSettings(), &maintenance::DeviceSettingsPanel::debugCommandEntered,
            this, [commands](const QString& text, bool decimal) { commands->run(text, decimal); });
    connect(calibrationUi_->pushButtonWriteCalidata, &QPushButton::clicked, this,
            [commands] { commands->startSunlight(); });
    connect(calibrationUi_->pushButtonReadCalidata, &QPushButton::clicked, this,
            [commands] { commands->stopSunlight(); });
}

void MainWindow::handleKeyPress(QKeyEvent* event) {
    devModes_->keys().handleKey(event->key());
}

void MainWindow::showFactoryTestControls() {
    ui_->pushBtn_calibration->setText(QLatin1String(devmodes::kCalibrationButtonText));
    ui_->pushBtn_calibration->show();
    calibrationUi_->frameControl->show();
    if (ui_->cmbBox_hdrmode->count() < kHdrItemsWithSpatial) {
        ui_->cmbBox_hdrmode->addItem(texts_->hdrModeItems(true).back());
    }
    ui_->comboBox_channel->setEnabled(true);
    maintenance_->deviceSettings().showFactoryFields();
    ui_->checkBox_dcs->show();
}

void MainWindow::adjustAuxiliaryWindows() {
    for (QWidget* window : {filterWindow_.get(), devWindow_.get(), calibrationWindow_.get()}) {
        window->adjustSize();
    }
}

// The display mode changes what the pixel values mean, so their statistics start again.
void MainWindow::setRawDcsMode(int mode) {
    framePath_->setDcsMode(mode);
    resetPixelInfo(imageTypeView(ui_->cmbBox_imagetype->currentIndex()));
}

void MainWindow::raiseCalibrationWindow() {
    calibrationWindow_->show();
    calibrationWindow_->raise();
    calibrationWindow_->activateWindow();
}

// The filter window's debug group (calibration, render and coordinate type, reflectivity
// maximum), shown once any developer mode is on.
void MainWindow::showFilterDeveloperControls() {
    filters_->showDeveloperControls(true);
}
