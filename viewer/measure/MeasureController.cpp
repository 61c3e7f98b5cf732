#include "MeasureController.h"

#include <QAction>
#include <QBoxLayout>
#include <QCheckBox>
#include <QDockWidget>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QPushButton>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

#include "ColorBar.h"
#include "ColorizerConstants.h"
#include "HistogramView.h"
#include "LabelImage.h"
#include "LinkHealthPanel.h"
#include "MeasureConstants.h"
#include "RoiStatsPanel.h"

namespace vantory::measure {

namespace {

// Puts `widget` and the widgets of `beside` in one row where `widget` was in its
// parent's box layout, keeping its place and stretch.
QHBoxLayout* rowInPlaceOf(QWidget* widget) {
    QWidget* parent = widget->parentWidget();
    auto* layout = parent ? qobject_cast<QBoxLayout*>(parent->layout()) : nullptr;
    if (!layout) return nullptr;
    const int index = layout->indexOf(widget);
    const int stretch = layout->stretch(index);
    auto* row = new QHBoxLayout();
    row->setContentsMargins(0, 0, 0, 0);
    layout->insertLayout(index, row, stretch);
    layout->removeWidget(widget);
    row->addWidget(widget, 1);
    return row;
}

QDockWidget* makeDock(QMainWindow* window, const char* objectName, const QString& title,
                      QWidget* content) {
    auto* dock = new QDockWidget(title, window);
    dock->setObjectName(QLatin1String(objectName));
    dock->setWidget(content);
    window->addDockWidget(Qt::RightDockWidgetArea, dock);
    dock->hide();
    return dock;
}

}  // namespace

MeasureController::MeasureController(const MeasureHost& host, QObject* parent)
    : QObject(parent), host_(host) {
    monitor_ = new LinkHealthMonitor(host_.streamStats, this);
    createPaneControls();
    createDocks();
    createMenu();
    frameShown(PaneScales{});
    connect(monitor_, &LinkHealthMonitor::amberChanged, this, &MeasureController::showAmber);
    monitor_->start();
}

MeasureController::~MeasureController() {
    shutdown();
}

void MeasureController::shutdown() {
    if (monitor_) monitor_->stop();
}

void MeasureController::createPaneControls() {
    distanceBar_ = new ColorBar();
    amplitudeBar_ = new ColorBar();
    if (QHBoxLayout* row = rowInPlaceOf(host_.distanceView)) row->addWidget(distanceBar_);
    if (QHBoxLayout* row = rowInPlaceOf(host_.amplitudeView)) row->addWidget(amplitudeBar_);

    distanceAuto_ = new QCheckBox(QStringLiteral("Auto Range"));
    distanceAuto_->setObjectName(QLatin1String(kDistanceAutoRange));
    amplitudeAuto_ = new QCheckBox(QStringLiteral("Auto Range"));
    amplitudeAuto_->setObjectName(QLatin1String(kAmplitudeAutoRange));
    noiseMap_ = new QCheckBox(QStringLiteral("Noise Map"));
    noiseMap_->setObjectName(QLatin1String(kNoiseMapCheck));
    noiseMap_->setToolTip(
        QStringLiteral("Per-pixel standard deviation of the distance over the last N frames"));
    auto* depthLabel = new QLabel(QStringLiteral("N:"));
    depthLabel->setObjectName(QLatin1String(kNoiseDepthLabel));
    noiseDepth_ = new QSpinBox();
    noiseDepth_->setRange(analysis::TemporalNoise::kMinDepth, analysis::TemporalNoise::kMaxDepth);
    noiseDepth_->setValue(host_.measures->noiseDepth());
    noiseDepth_->setToolTip(QStringLiteral("Frames of the temporal noise"));
    if (QHBoxLayout* row = rowInPlaceOf(host_.distanceCaption)) {
        row->addWidget(noiseMap_);
        row->addWidget(depthLabel);
        row->addWidget(noiseDepth_);
        row->addWidget(distanceAuto_);
    }
    if (QHBoxLayout* row = rowInPlaceOf(host_.amplitudeCaption)) row->addWidget(amplitudeAuto_);

    FrameMeasures* measures = host_.measures;
    connect(distanceAuto_, &QCheckBox::toggled, this,
            [measures](bool on) { measures->setAutoRange(Pane::Distance, on); });
    connect(amplitudeAuto_, &QCheckBox::toggled, this,
            [measures](bool on) { measures->setAutoRange(Pane::Amplitude, on); });
    connect(noiseMap_, &QCheckBox::toggled, this,
            [measures](bool on) { measures->setNoiseMap(on); });
    connect(noiseDepth_, qOverload<int>(&QSpinBox::valueChanged), this,
            [measures](int frames) { measures->setNoiseDepth(frames); });
}

void MeasureController::createDocks() {
    QMainWindow* window = host_.window;
    linkPanel_ = new LinkHealthPanel();
    linkDock_ = makeDock(window, kLinkHealthDock, QStringLiteral("Link Health"), linkPanel_);
    connect(monitor_, &LinkHealthMonitor::figuresChanged, linkPanel_,
            &LinkHealthPanel::showFigures);

    roiPanel_ = new RoiStatsPanel();
    roiDock_ = makeDock(window, kRoiDock, QStringLiteral("ROI Statistics"), roiPanel_);
    FrameMeasures* measures = host_.measures;
    connect(roiDock_, &QDockWidget::visibilityChanged, this,
            [measures](bool shown) { measures->setStatisticsWanted(shown); });
    connect(roiPanel_, &RoiStatsPanel::wholeFrameRequested, this,
            [this]() { selectRoi(0, -1, 0, -1); });
    for (LabelImage* view : {host_.distanceView, host_.amplitudeView}) {
        connect(view, &LabelImage::timescopeSelected, this, &MeasureController::selectRoi);
        connect(view, &LabelImage::timeScopeSelectionCleared, this,
                [this](bool) { selectRoi(0, -1, 0, -1); });
    }
    connect(roiPanel_->drawButton(), &QAbstractButton::toggled, this, [this](bool on) {
        host_.distanceView->setStickyRect(on);
        host_.amplitudeView->setStickyRect(on);
    });

    auto* histograms = new QWidget();
    auto* layout = new QVBoxLayout(histograms);
    distanceHistogram_ =
        new HistogramView(QStringLiteral("Distance"), QLatin1String(kUnitMm), histograms);
    amplitudeHistogram_ =
        new HistogramView(QStringLiteral("Amplitude"), QLatin1String(kUnitCounts), histograms);
    layout->addWidget(distanceHistogram_);
    layout->addWidget(amplitudeHistogram_);
    histogramDock_ = makeDock(window, kHistogramDock, QStringLiteral("Histogram"), histograms);
    connect(histogramDock_, &QDockWidget::visibilityChanged, this,
            [measures](bool shown) { measures->setHistogramsWanted(shown); });
}

void MeasureController::createMenu() {
    // A button with the View menu at the end of the status line: a menu bar would make the
    // window taller than the form lays it out.
    auto* button = new QToolButton();
    button->setObjectName(QLatin1String(kViewButton));
    button->setText(QStringLiteral("View"));
    button->setPopupMode(QToolButton::InstantPopup);
    auto* menu = new QMenu(button);
    for (QDockWidget* dock : {linkDock_, roiDock_, histogramDock_})
        menu->addAction(dock->toggleViewAction());
    button->setMenu(menu);
    if (QLayout* line = host_.statusLine ? host_.statusLine->layout() : nullptr)
        line->addWidget(button);
    else
        button->setParent(host_.window);
}

void MeasureController::selectRoi(int x1, int x2, int y1, int y2) {
    // x2 < x1 (or y2 < y1) asks for the whole frame.
    analysis::Roi roi;
    if (x2 >= x1 && y2 >= y1) roi = {x1, y1, x2 - x1 + 1, y2 - y1 + 1};
    host_.measures->setRoi(roi);
    if (roiPanel_->drawButton()->isChecked()) roiPanel_->drawButton()->setChecked(false);
    if (x2 >= x1 && !roiDock_->isVisible()) roiDock_->show();
}

void MeasureController::frameShown(const PaneScales& scales) {
    if (scales.noiseMap) {
        distanceBar_->setScale(scales.noiseMm.low, scales.noiseMm.high, colorizer::kModeColor,
                               QStringLiteral("σ mm"));
    } else {
        distanceBar_->setScale(scales.distance.lower, scales.distance.upper, colorizer::kModeColor,
                               QLatin1String(kUnitMm));
    }
    amplitudeBar_->setScale(scales.amplitude.lower, scales.amplitude.upper,
                            scales.amplitudeGray ? colorizer::kModeGray : colorizer::kModeColor,
                            QLatin1String(kUnitCounts));

    std::optional<MeasureResults> results = host_.measures->resultsAfter(shownSequence_);
    if (!results) return;
    shownSequence_ = results->sequence;
    if (roiDock_->isVisible()) roiPanel_->showStatistics(results->statistics);
    if (histogramDock_->isVisible()) {
        distanceHistogram_->showHistogram(results->distanceHistogram);
        amplitudeHistogram_->showHistogram(results->amplitudeHistogram);
        amplitudeHistogram_->setVisible(results->hasAmplitude);
    }
}

void MeasureController::showAmber(bool amber) {
    amber_ = amber;
    if (host_.statusLine)
        host_.statusLine->setStyleSheet(amber ? QLatin1String(kAmberStyle) : QString());
}

}  // namespace vantory::measure
