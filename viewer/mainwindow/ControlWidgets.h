// Groups of the main form's camera-control widgets, used by the handlers, the reload from
// the camera and the settings load, and a scope that keeps a group's signals blocked.
#pragma once

#include <QComboBox>
#include <QSignalBlocker>
#include <QSpinBox>

#include <array>
#include <memory>
#include <vector>

#include "ui_MainWindow.h"

namespace vantory {

inline std::array<QSpinBox*, 5> intTimeBoxes(Ui::MainWindow& ui) {
    return {ui.spinBox_int1, ui.spinBox_int2, ui.spinBox_int3, ui.spinBox_int4, ui.spinBox_int5};
}

inline std::array<QComboBox*, 5> freqBoxes(Ui::MainWindow& ui) {
    return {ui.comboBox_freq1, ui.comboBox_freq2, ui.comboBox_freq3, ui.comboBox_freq4,
            ui.comboBox_freq5};
}

// The panel's widgets whose change sends a command to the camera.
inline std::vector<QObject*> commandControls(Ui::MainWindow& ui) {
    std::vector<QObject*> widgets = {ui.cmbBox_hdrmode,    ui.spinBox_intgs,   ui.spinBox_minamp,
                                     ui.spinBox_maxFps,    ui.cmbBox_modfreq,  ui.checkBox_binningh,
                                     ui.checkBox_binningv, ui.checkBox_vcsel1, ui.checkBox_vcsel2,
                                     ui.comboBox_channel};
    for (QSpinBox* box : intTimeBoxes(ui)) widgets.push_back(box);
    for (QComboBox* box : freqBoxes(ui)) widgets.push_back(box);
    return widgets;
}

// Blocks the signals of the widgets it is given for as long as it lives.
class SignalsBlocked {
public:
    explicit SignalsBlocked(const std::vector<QObject*>& widgets) { add(widgets); }
    void add(const std::vector<QObject*>& widgets) {
        for (QObject* widget : widgets)
            blockers_.push_back(std::make_unique<QSignalBlocker>(widget));
    }

private:
    std::vector<std::unique_ptr<QSignalBlocker>> blockers_;
};

}  // namespace vantory
