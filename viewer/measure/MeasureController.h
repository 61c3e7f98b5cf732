// The measurement area of the main window: colour bars and auto-range switches beside
// the image panes, the noise-map mode of the distance pane, and the docks for link
// health, ROI statistics and histograms with the View menu that opens them. The computations
// are FrameMeasures' (fed by the frame path) and LinkHealthMonitor's; this class only
// moves values between them and the widgets.
#pragma once

#include <QObject>

#include <cstdint>

#include "FrameMeasures.h"
#include "LinkHealthMonitor.h"
#include "PaneScales.h"

class QAction;
class QCheckBox;
class QDockWidget;
class QLabel;
class QMainWindow;
class QMenu;
class QSpinBox;
class LabelImage;

namespace vantory::measure {

class ColorBar;
class HistogramView;
class LinkHealthPanel;
class RoiStatsPanel;

// What the area attaches to.
struct MeasureHost {
    QMainWindow* window = nullptr;
    QWidget* statusLine = nullptr;  // turns amber while the link loses datagrams
    QLabel* distanceCaption = nullptr;
    QLabel* amplitudeCaption = nullptr;
    LabelImage* distanceView = nullptr;
    LabelImage* amplitudeView = nullptr;
    FrameMeasures* measures = nullptr;
    LinkHealthMonitor::StatsSource streamStats;
};

class MeasureController : public QObject {
    Q_OBJECT
public:
    explicit MeasureController(const MeasureHost& host, QObject* parent = nullptr);
    ~MeasureController() override;

    // Update code 0, after the panes got their images: colour bars and panel figures.
    void frameShown(const PaneScales& scales);
    // Stops the link-health polling (exit).
    void shutdown();

    // The area's parts (tests, and the captions of the second language by object name).
    LinkHealthMonitor& linkHealth() { return *monitor_; }
    LinkHealthPanel* linkHealthPanel() const { return linkPanel_; }
    RoiStatsPanel* roiPanel() const { return roiPanel_; }
    HistogramView* distanceHistogram() const { return distanceHistogram_; }
    HistogramView* amplitudeHistogram() const { return amplitudeHistogram_; }
    ColorBar* distanceBar() const { return distanceBar_; }
    ColorBar* amplitudeBar() const { return amplitudeBar_; }
    QCheckBox* autoRangeBox(Pane pane) const {
        return pane == Pane::Distance ? distanceAuto_ : amplitudeAuto_;
    }
    QCheckBox* noiseMapBox() const { return noiseMap_; }
    QSpinBox* noiseDepthBox() const { return noiseDepth_; }
    QDockWidget* linkHealthDock() const { return linkDock_; }
    QDockWidget* roiDock() const { return roiDock_; }
    QDockWidget* histogramDock() const { return histogramDock_; }
    bool statusAmber() const { return amber_; }

private:
    void createPaneControls();
    void createDocks();
    void createMenu();
    void selectRoi(int x1, int x2, int y1, int y2);
    void showAmber(bool amber);

    MeasureHost host_;
    LinkHealthMonitor* monitor_ = nullptr;
    LinkHealthPanel* linkPanel_ = nullptr;
    RoiStatsPanel* roiPanel_ = nullptr;
    HistogramView* distanceHistogram_ = nullptr;
    HistogramView* amplitudeHistogram_ = nullptr;
    ColorBar* distanceBar_ = nullptr;
    ColorBar* amplitudeBar_ = nullptr;
    QCheckBox* distanceAuto_ = nullptr;
    QCheckBox* amplitudeAuto_ = nullptr;
    QCheckBox* noiseMap_ = nullptr;
    QSpinBox* noiseDepth_ = nullptr;
    QDockWidget* linkDock_ = nullptr;
    QDockWidget* roiDock_ = nullptr;
    QDockWidget* histogramDock_ = nullptr;
    std::uint64_t shownSequence_ = 0;
    bool amber_ = false;
};

}  // namespace vantory::measure
