#include "CloudViewController.h"

#include <QCheckBox>
#include <QComboBox>
#include <QMetaObject>
#include <QSignalBlocker>
#include <QSpinBox>

#include "QxtSpanSlider.h"
#include "SettingsStore.h"
#include "mvsdk/Frame.h"

namespace vantory::cloudview {

CloudViewController::CloudViewController(const SettingsStore& settings,
                                         const CloudViewWidgets& widgets, QObject* parent)
    : QObject(parent),
      settings_(settings),
      widgets_(widgets),
      viewer_(std::make_unique<PointCloudViewer>(shared_)) {
    const CloudWindowSettings stored = settings_.cloudWindow();
    shared_.view.showGrid.store(stored.showGrid);
    shared_.view.gridHeight.store(stored.gridHeight);
    connectWidgets();
    // The window's thread reports its closing; the settings file is written here.
    viewer_->setClosedHandler([this](const WindowGeometry& geometry) {
        QMetaObject::invokeMethod(
            this, [this, geometry]() { storeGeometry(geometry); }, Qt::QueuedConnection);
    });
}

CloudViewController::~CloudViewController() {
    shutdown();
}

void CloudViewController::shutdown() {
    if (!viewer_->isOpen()) return;
    viewer_->close();
    storeGeometry(viewer_->lastGeometry());
}

void CloudViewController::connectWidgets() {
    DisplaySettings& d = shared_.display;
    auto follow = [this](QSpinBox* box, std::atomic<int>& value) {
        if (box == nullptr) return;
        value.store(box->value());
        connect(box, qOverload<int>(&QSpinBox::valueChanged), this,
                [&value](int v) { value.store(v); });
    };
    follow(widgets_.minDistance, d.minDistanceMm);
    follow(widgets_.maxDistance, d.maxDistanceMm);
    follow(widgets_.reflectivityMax, d.reflectivityMax);
    if (QxtSpanSlider* slider = widgets_.amplitudeRange) {
        d.amplitudeMax.store(slider->upperValue());
        connect(slider, &QxtSpanSlider::upperValueChanged, this,
                [&d](int v) { d.amplitudeMax.store(v); });
    }
    if (QComboBox* box = widgets_.renderType) {
        d.renderType.store(std::max(0, box->currentIndex()));
        connect(box, qOverload<int>(&QComboBox::currentIndexChanged), this, [&d](int i) {
            if (i >= 0) d.renderType.store(i);
        });
    }
    if (QComboBox* box = widgets_.coordType) {
        d.coordType.store(std::max(0, box->currentIndex()));
        connect(box, qOverload<int>(&QComboBox::currentIndexChanged), this, [this](int i) {
            if (i < 0) return;
            shared_.display.coordType.store(i);
            shared_.requestViewReset();
        });
    }
    auto followCheck = [this](QCheckBox* box, std::atomic<bool>& value) {
        if (box == nullptr) return;
        value.store(box->isChecked());
        connect(box, &QCheckBox::toggled, this, [&value](bool on) { value.store(on); });
    };
    followCheck(widgets_.reflectivityAuto, d.reflectivityAuto);
    followCheck(widgets_.cloudFilterOn, d.cloudFilterOn);
}

void CloudViewController::start() {
    const CloudWindowSettings stored = settings_.cloudWindow();
    viewer_->startPointCloudViewer(WindowGeometry{stored.x, stored.y, stored.width, stored.height});
}

void CloudViewController::tickFrameRate() {
    shared_.updateViewerFps();
    if (widgets_.reflectivityMax != nullptr && shared_.display.reflectivityAuto.load()) {
        const QSignalBlocker blocker(widgets_.reflectivityMax);
        widgets_.reflectivityMax->setValue(shared_.display.reflectivityMax.load());
    }
}

void CloudViewController::showFrame(const Movoda::Frame& frame, int selectedColumn,
                                    int selectedRow) {
    shared_.showFrameCloud(frame, selectedColumn, selectedRow);
}

void CloudViewController::storeGeometry(const WindowGeometry& geometry) {
    // A window that never showed (no display) leaves the stored geometry alone.
    if (geometry.width <= 0 || geometry.height <= 0) return;
    settings_.saveCloudWindowGeometry(geometry.x, geometry.y, geometry.width, geometry.height);
}

}  // namespace vantory::cloudview
