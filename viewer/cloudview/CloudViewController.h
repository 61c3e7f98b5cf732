// The main window's side of the point-cloud view: owns the shared state and the window's
// thread, keeps the display settings in step with the controls they come from, feeds
// frames from the frame path, and keeps the window's geometry in the settings file.
#pragma once

#include <QObject>

#include <memory>

#include "CloudViewShared.h"
#include "PointCloudViewer.h"

class QCheckBox;
class QComboBox;
class QSpinBox;
class QxtSpanSlider;

namespace Movoda {
class Frame;
}

namespace vantory {
class SettingsStore;
}

namespace vantory::cloudview {

// The controls the view reads; any may be null (that setting then keeps its default).
struct CloudViewWidgets {
    QSpinBox* minDistance = nullptr;          // millimetres
    QSpinBox* maxDistance = nullptr;          // millimetres
    QxtSpanSlider* amplitudeRange = nullptr;  // upper value: amplitude display maximum
    QComboBox* renderType = nullptr;
    QComboBox* coordType = nullptr;
    QSpinBox* reflectivityMax = nullptr;
    QCheckBox* reflectivityAuto = nullptr;
    QCheckBox* cloudFilterOn = nullptr;
};

class CloudViewController : public QObject {
    Q_OBJECT
public:
    CloudViewController(const SettingsStore& settings, const CloudViewWidgets& widgets,
                        QObject* parent = nullptr);
    ~CloudViewController() override;

    // startPointCloudViewer: opens the window unless it is open.
    void start();
    // The periodic timer: frames per second, and the automatic reflectivity maximum
    // shown in its spin box.
    void tickFrameRate();
    // Closes the window (storing its geometry) and ends its thread; before the process exits.
    void shutdown();
    // The frame path's seam (SDK frame thread).
    void showFrame(const Movoda::Frame& frame, int selectedColumn, int selectedRow);

    CloudViewShared& shared() { return shared_; }
    PointCloudViewer& viewer() { return *viewer_; }

private:
    void connectWidgets();
    void storeGeometry(const WindowGeometry& geometry);

    const SettingsStore& settings_;
    CloudViewWidgets widgets_;
    CloudViewShared shared_;
    std::unique_ptr<PointCloudViewer> viewer_;  // joined before shared_ goes
};

}  // namespace vantory::cloudview
