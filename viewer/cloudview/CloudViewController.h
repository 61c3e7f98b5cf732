// The main window's side of the point-cloud view: owns the shared state and the window's
// thread, keeps the display settings in step with the controls they come from, feeds
// frames from the frame path, and remembers where the window was for the next opening
// and for Save Settings.
#pragma once

#include <QObject>

#include <memory>

#include "CloudViewShared.h"
#include "PointCloudViewer.h"
#include "ViewerSettings.h"

class QCheckBox;
class QComboBox;
class QSpinBox;
class QxtSpanSlider;

namespace Movoda {
class Frame;
}

namespace vantory::cloudview {

// The controls the view reads; any may be null (that setting then keeps its default).
struct CloudViewWidgets {
    QSpinBox* minDistance = nullptr;          // centimetres, like the colour range's boxes
    QSpinBox* maxDistance = nullptr;          // centimetres
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
    // `stored`: the geometry and grid loaded from the settings file.
    CloudViewController(const CloudViewState& stored, const CloudViewWidgets& widgets,
                        QObject* parent = nullptr);
    ~CloudViewController() override;

    // startPointCloudViewer: opens the window unless it is open.
    void start();
    // The periodic timer: frames per second, and the automatic reflectivity maximum
    // shown in its spin box.
    void tickFrameRate();
    // Closes the window (remembering its geometry) and ends its thread; before the process exits.
    void shutdown();
    // Geometry (the open window's, else where it was last) and grid, for Save Settings.
    CloudViewState state() const;
    // The frame path's seam (SDK frame thread).
    void showFrame(const Movoda::Frame& frame, int selectedColumn, int selectedRow);

    CloudViewShared& shared() { return shared_; }
    PointCloudViewer& viewer() { return *viewer_; }

private:
    void connectWidgets();
    void rememberGeometry(const WindowGeometry& geometry);

    WindowGeometry remembered_;  // GUI thread only
    CloudViewWidgets widgets_;
    CloudViewShared shared_;
    std::unique_ptr<PointCloudViewer> viewer_;  // joined before shared_ goes
};

}  // namespace vantory::cloudview
