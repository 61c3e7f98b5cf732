#include "CloudViewController.h"

#include <QCheckBox>
#include <QComboBox>
#include <QMetaObject>
#include <QSignalBlocker>
#include <QSpinBox>

#include "QxtSpanSlider.h"
#include "mvsdk/Frame.h"

namespace vantory::cloudview {

CloudViewController::CloudViewController(const CloudViewState& stored,
                                         const CloudViewWidgets& widgets, QObject* parent)
    : QObject(parent),
      remembered_(stored.geometry),
      widgets_(widgets),
      viewer_(std::make_unique<PointCloudViewer>(shared_)) {
    shared_.view.showGrid.store(stored.showGrid);
    shared_.view.gridHeight.store(stored.gridHeight);
    connectWidgets();
    // The window's thread reports its closing; the geometry is kept on the GUI thread.
    viewer_->setClosedHandler([this](const WindowGeometry& geometry) {
        QMetaObject::invokeMethod(
            this, [this, geometry]() { rememberGeometry(geometry); }, Qt::QueuedConnection);
    });
}

CloudViewController::~CloudViewController() {
    shutdown();
}

void CloudViewController::shutdown() {
    if (!viewer_->isOpen()) return;
    viewer_->close();
    rememberGeometry(viewer_->lastGeometry());
}

CloudViewState CloudViewController::state() const {
    CloudViewState state;
    const WindowGeometry open = viewer_->isOpen() ? viewer_->lastGeometry() : WindowGeometry{};
    state.geometry = open.width > 0 && open.height > 0 ? open : remembered_;
    state.showGrid = shared_.view.showGrid.load();
    state.gridHeight = shared_.view.gridHeight.load();
    return state;
}

void CloudViewController::connectWidgets() {
    DisplaySettings& d = shared_.display;
    auto follow = [this](QSpinBox* box, std::atomic<int>& value, int scale) {
        if (box == nullptr) return;
        value.store(box->value() * scale);
        connect(box, qOverload<int>(&QSpinBox::valueChanged), this,
                [&value, scale](int v) { value.store(v * scale); });
    };
    // The distance boxes are in centimetres; the cloud cuts in millimetres, the same
    // range the distance image is coloured with.
    constexpr int kMillimetresPerCentimetre = 10;
    follow(widgets_.minDistance, d.minDistanceMm, kMillimetresPerCentimetre);
    follow(widgets_.maxDistance, d.maxDistanceMm, kMillimetresPerCentimetre);
    follow(widgets_.reflectivityMax, d.reflectivityMax, 1);
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
    viewer_->startPointCloudViewer(remembered_);
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

void CloudViewController::rememberGeometry(const WindowGeometry& geometry) {
    // A window that never showed (no display) leaves the stored geometry alone.
    if (geometry.width <= 0 || geometry.height <= 0) return;
    remembered_ = geometry;
}

}  // namespace vantory::cloudview
