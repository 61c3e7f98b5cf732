#include "CalibrationPanel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTextEdit>

#include <iostream>

#include "CamParamsImport.h"
#include "LanguageTexts.h"
#include "MaintenanceTexts.h"
#include "ui_Calibration.h"

namespace vantory::maintenance {

namespace {
const QString kParamsStartDir = QStringLiteral("../");
const QString kParamsFilter = QStringLiteral("ini Files (*.ini)");
}  // namespace

CalibrationPanel::CalibrationPanel(Ui::Calibration& ui, QWidget& window, Movoda::MvSdk& sdk,
                                   CalibrationWorkflow& workflow, const TextSet& texts)
    : ui_(ui),
      window_(window),
      sdk_(sdk),
      workflow_(workflow),
      texts_(texts),
      chooseFile_(defaultFileChooser()) {
    connect(ui_.pushButtonStartCal, &QPushButton::clicked, this,
            [this] { startCalibration(false); });
    connect(ui_.pushButtonCalAll, &QPushButton::clicked, this, [this] { startCalibration(true); });
    connect(ui_.pushButtonWriteCamParams, &QPushButton::clicked, this,
            [this] { importCameraParameters(); });
    connect(ui_.pushButtonClearLog, &QPushButton::clicked, ui_.textLog, &QTextEdit::clear);
}

void CalibrationPanel::startCalibration(bool allFrequencies) {
    CalibrationSetup setup;
    if (!allFrequencies) setup.frequencyIndex = ui_.comboBoxCalFreq->currentIndex();
    setup.withLens = ui_.checkBox_cali_islens->isChecked();
    setup.lensBaseDistance = ui_.spinBox_lensbasedist->value();
    const bool english = texts_.isEnglish();
    const bool started = workflow_.start(setup, [&] {
        return QMessageBox::question(&window_, textIn(mtext::kConfirmTitle, english),
                                     textIn(mtext::kCalibrationQuestion, english),
                                     QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
    });
    if (!started) return;
    window_.raise();
    window_.activateWindow();
}

void CalibrationPanel::importCameraParameters() {
    const QString path = chooseFile_(&window_, texts_.message(Msg::SelectLensParams),
                                     kParamsStartDir, kParamsFilter);
    if (path.isEmpty()) return;
    const ImportResult result = importCamParams(path, sdk_);
    if (result == ImportResult::NothingToWrite) return;
    std::cout << importResultLine(result) << std::endl;
    const QString title = texts_.message(Msg::InfoTitle);
    if (result == ImportResult::LensWritten) {
        QMessageBox::information(&window_, title, texts_.message(Msg::LensParamsWritten));
    } else if (result == ImportResult::ImuWritten) {
        QMessageBox::information(&window_, title,
                                 textIn(mtext::kImuParamsWritten, texts_.isEnglish()));
    }
}

}  // namespace vantory::maintenance
