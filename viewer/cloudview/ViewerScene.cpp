#include "ViewerScene.h"

#include <pcl/visualization/pcl_visualizer.h>
#include <vtkButtonWidget.h>
#include <vtkCallbackCommand.h>
#include <vtkImageData.h>
#include <vtkObject.h>
#include <vtkRenderWindow.h>
#include <vtkRenderWindowInteractor.h>
#include <vtkTexturedButtonRepresentation2D.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <thread>

#include "CloudButtons.h"
#include "CloudGrid.h"
#include "CloudViewConstants.h"
#include "CloudViewShared.h"
#include "PointCloudColorHandlerMv.h"
#include "PointSizeButtonCallback.h"

namespace vantory::cloudview {

namespace {

// The visualiser's spinOnce waits for X events up to a second in this VTK (its timers
// do not end the wait), so the loop hands the window its events itself and renders when
// something changed. Each pass takes at least this long.
constexpr auto kStepTime = std::chrono::milliseconds(kSpinMs);
constexpr auto kGeometryInterval = std::chrono::milliseconds(100);

vtkSmartPointer<vtkImageData> buttonTexture(bool plus) {
    const std::vector<std::uint8_t> rgb = buttonImage(plus);
    auto image = vtkSmartPointer<vtkImageData>::New();
    image->SetDimensions(kButtonSize, kButtonSize, 1);
    image->AllocateScalars(VTK_UNSIGNED_CHAR, 3);
    std::memcpy(image->GetScalarPointer(), rgb.data(), rgb.size());
    return image;
}

}  // namespace

struct ViewerScene::Buttons {
    struct One {
        vtkSmartPointer<vtkTexturedButtonRepresentation2D> representation;
        vtkSmartPointer<vtkButtonWidget> widget;
        vtkSmartPointer<PointSizeButtonCallback> callback;
    };
    One plus;
    One minus;

    static One make(vtkRenderWindowInteractor* interactor, ViewControls& controls, bool increase) {
        One b;
        b.representation = vtkSmartPointer<vtkTexturedButtonRepresentation2D>::New();
        b.representation->SetNumberOfStates(1);
        b.representation->SetButtonTexture(0, buttonTexture(increase));
        b.representation->SetPlaceFactor(1.0);
        b.widget = vtkSmartPointer<vtkButtonWidget>::New();
        b.widget->SetInteractor(interactor);
        b.widget->SetRepresentation(b.representation);
        b.callback = vtkSmartPointer<PointSizeButtonCallback>::New();
        b.callback->increase = increase;
        b.callback->controls = &controls;
        b.widget->AddObserver(vtkCommand::StateChangedEvent, b.callback, 1.0);
        return b;
    }
};

struct ViewerScene::RenderCounter {
    std::atomic<std::uint64_t> renders{0};
    vtkSmartPointer<vtkCallbackCommand> command;

    explicit RenderCounter(vtkRenderWindow* window)
        : command(vtkSmartPointer<vtkCallbackCommand>::New()) {
        command->SetClientData(this);
        command->SetCallback([](vtkObject*, unsigned long, void* self, void*) {
            static_cast<RenderCounter*>(self)->renders.fetch_add(1);
        });
        window->AddObserver(vtkCommand::EndEvent, command);
    }
};

ViewerScene::ViewerScene(CloudViewShared& shared, const WindowGeometry& stored) : shared_(shared) {
    vtkObject::GlobalWarningDisplayOff();
    viewer_ = std::make_unique<pcl::visualization::PCLVisualizer>(kWindowName, true);
    // Multisampling costs a software renderer (a display without a GPU) three times the
    // render time for points that gain nothing from it.
    viewer_->getRenderWindow()->SetMultiSamples(0);
    viewer_->setBackgroundColor(kBackground, kBackground, kBackground);
    viewer_->initCameraParameters();
    viewer_->setShowFPS(false);
    setCamera(shared_.display.coordType.load());
    viewer_->addText(std::string(kFpsTextPrefix) + "0", kFpsTextX, kFpsTextY, kFpsFontSize, 1.0,
                     1.0, 1.0, kFpsTextId);
    if (shared_.view.showAxes.load()) addAxes();
    viewer_->addPointCloud<pcl::PointXYZI>(
        std::make_shared<Cloud>(),
        PointCloudColorHandlerMv(std::make_shared<Cloud>(), shared_.display.snapshot()), kCloudId);
    viewer_->registerKeyboardCallback([this](const pcl::visualization::KeyboardEvent& event) {
        const std::string symbol = event.getKeySym();
        applyKey(KeyPress{symbol.c_str(), event.isCtrlPressed(), event.keyDown()}, shared_.view);
    });
    shared_.setWindowExists(true);
    shared_.setRunning(true);

    if (stored.applies()) {
        viewer_->setSize(stored.width, stored.height);
        viewer_->setPosition(stored.x, stored.y);
    }
    vtkRenderWindow* window = viewer_->getRenderWindow();
    // The loop hands the interactor its events itself (step()), so it is initialised here
    // rather than by an event loop of its own.
    if (!window->GetInteractor()->GetInitialized()) window->GetInteractor()->Initialize();
    renderCounter_ = std::make_unique<RenderCounter>(window);
    buttons_ = std::make_unique<Buttons>();
    buttons_->plus = Buttons::make(window->GetInteractor(), shared_.view, true);
    buttons_->minus = Buttons::make(window->GetInteractor(), shared_.view, false);
    placeButtons(window->GetSize()[0]);
    buttons_->plus.widget->On();
    buttons_->minus.widget->On();

    lastShowGrid_ = !shared_.view.showGrid.load();  // builds the grid on the first pass
}

ViewerScene::~ViewerScene() {
    if (buttons_) {
        buttons_->plus.widget->Off();
        buttons_->minus.widget->Off();
    }
    buttons_.reset();
    // No close(): destroying the visualiser takes the window down.
    viewer_.reset();
}

bool ViewerScene::stopped() const {
    return closed_ || viewer_->wasStopped();
}

unsigned long ViewerScene::windowId() const {
    return reinterpret_cast<unsigned long>(viewer_->getRenderWindow()->GetGenericWindowId());
}

void ViewerScene::takeGeometry() {
    const auto now = std::chrono::steady_clock::now();
    if (now - geometryTakenAt_ < kGeometryInterval) return;
    geometryTakenAt_ = now;
    const WindowGeometry g =
        x11WindowGeometry(viewer_->getRenderWindow()->GetGenericDisplayId(), windowId());
    if (g.width > 0 && g.height > 0) geometry_ = g;
}

std::uint64_t ViewerScene::renders() const {
    return renderCounter_->renders.load();
}

void ViewerScene::addAxes() {
    viewer_->addText3D("X", pcl::PointXYZ(kAxisLabelOffset, 0, 0), kAxisTextScale, 1.0, 0.0, 0.0,
                       kAxisXId);
    viewer_->addText3D("Y", pcl::PointXYZ(0, kAxisLabelOffset, 0), kAxisTextScale, 0.0, 1.0, 0.0,
                       kAxisYId);
    viewer_->addText3D("Z", pcl::PointXYZ(0, 0, kAxisLabelOffset), kAxisTextScale, 0.0, 0.0, 1.0,
                       kAxisZId);
    viewer_->addCoordinateSystem(kReferenceScale, kReferenceId);
}

void ViewerScene::setCamera(int coordType) {
    viewer_->setCameraPosition(0, 0, -kCameraDistance, 0, 0, 0, 0, 1, 0);
    if (coordType == kCoordCar)
        viewer_->setCameraPosition(-kCameraDistance, 0, 0, 0, 0, 0, 0, 0, 1);
}

void ViewerScene::resetView() {
    for (const char* id : {kAxisXId, kAxisYId, kAxisZId}) viewer_->removeText3D(id);
    viewer_->removeCoordinateSystem(kReferenceId);
    if (shared_.view.showAxes.load()) addAxes();
    setCamera(shared_.display.coordType.load());
}

void ViewerScene::placeButtons(int width) {
    ButtonBounds plus = plusButtonBounds(width);
    ButtonBounds minus = minusButtonBounds(width);
    buttons_->plus.representation->PlaceWidget(plus.data());
    buttons_->minus.representation->PlaceWidget(minus.data());
}

void ViewerScene::updateGrid() {
    const bool showGrid = shared_.view.showGrid.load();
    const double gridHeight = shared_.view.gridHeight.load();
    const int coordType = shared_.display.coordType.load();
    const int maxDistance = shared_.display.maxDistanceMm.load();
    const bool dirty = shared_.view.gridDirty.exchange(false);
    if (!dirty && showGrid == lastShowGrid_ && gridHeight == lastGridHeight_ &&
        coordType == lastCoordType_ && maxDistance == lastMaxDistance_) {
        return;
    }
    for (const std::string& id : gridIds_) viewer_->removeShape(id);
    gridIds_.clear();
    if (showGrid) {
        const std::vector<GridLine> lines = gridLines(maxDistance, gridHeight, coordType);
        for (std::size_t n = 0; n < lines.size(); ++n) {
            const GridLine& l = lines[n];
            const pcl::PointXYZ from(float(l.from[0]), float(l.from[1]), float(l.from[2]));
            const pcl::PointXYZ to(float(l.to[0]), float(l.to[1]), float(l.to[2]));
            gridIds_.push_back(gridLineId(n));
            viewer_->addLine(from, to, kGridGrey, kGridGrey, kGridGrey, gridIds_.back());
        }
    }
    changed_ = true;
    lastShowGrid_ = showGrid;
    lastGridHeight_ = gridHeight;
    lastCoordType_ = coordType;
    lastMaxDistance_ = maxDistance;
}

void ViewerScene::showPickedPoint(const Cloud& cloud) {
    const std::int32_t index = shared_.pickedIndex();
    if (index == -1 || index < 0 || static_cast<std::size_t>(index) >= cloud.size()) return;
    const pcl::PointXYZI& p = cloud.points[static_cast<std::size_t>(index)];
    if (viewer_->contains(kHighlightId)) viewer_->removeShape(kHighlightId);
    if (shared_.view.highlightOn.load()) {
        const double radius =
            kSphereScale / (1.0 + std::exp(-shared_.view.pointSize.load())) + kSphereMin;
        viewer_->addSphere(pcl::PointXYZ(p.x, p.y, p.z), radius, 1.0, 1.0, 1.0, kHighlightId);
    }
    char text[160];
    std::snprintf(text, sizeof(text), "X: %f Y: %f Z: %f", double(p.x), double(p.y), double(p.z));
    const int x = viewer_->getRenderWindow()->GetSize()[0] - kPickedTextRightOffset;
    if (!viewer_->updateText(text, x, kPickedTextY, kPickedFontSize, 1.0, 1.0, 1.0,
                             kPickedTextId)) {
        viewer_->addText(text, x, kPickedTextY, kPickedFontSize, 1.0, 1.0, 1.0, kPickedTextId);
    }
}

void ViewerScene::showCloud(const CloudConstPtr& cloud) {
    showPickedPoint(*cloud);
    viewer_->updatePointCloud<pcl::PointXYZI>(
        cloud, PointCloudColorHandlerMv(cloud, shared_.display.snapshot()), kCloudId);
    const std::string fps = kFpsTextPrefix + std::to_string(shared_.framesPerSecond());
    viewer_->updateText(fps, kFpsTextX, kFpsTextY, kFpsFontSize, 1.0, 1.0, 1.0, kFpsTextId);
}

bool ViewerScene::step() {
    const auto stepStart = std::chrono::steady_clock::now();
    const int width = viewer_->getRenderWindow()->GetSize()[0];
    if (width != lastWidth_) {
        placeButtons(width);
        lastWidth_ = width;
        changed_ = true;
    }
    const float pointSize = shared_.view.pointSize.load();
    if (pointSize != lastPointSize_) {
        viewer_->setPointCloudRenderingProperties(pcl::visualization::PCL_VISUALIZER_POINT_SIZE,
                                                  pointSize, kCloudId);
        lastPointSize_ = pointSize;
        changed_ = true;
    }
    const float opacity = shared_.view.opacity.load();
    if (opacity != lastOpacity_) {
        viewer_->setPointCloudRenderingProperties(pcl::visualization::PCL_VISUALIZER_OPACITY,
                                                  opacity, kCloudId);
        lastOpacity_ = opacity;
        changed_ = true;
    }
    updateGrid();

    bool drawn = false;
    if (CloudConstPtr cloud = shared_.takeNewCloud()) {
        displayed_ = std::move(cloud);
        showCloud(displayed_);
        drawn = true;
    }

    // Mouse and keys render through the interactor style as they come.
    vtkRenderWindow* window = viewer_->getRenderWindow();
    if (dispatchPendingEvents(window->GetInteractor(), window->GetGenericDisplayId()))
        closed_ = true;
    if (stopped()) return drawn;  // closed: the window may be gone already
    if (shared_.view.viewResetRequested.exchange(false)) {
        resetView();
        changed_ = true;
    }
    if (changed_ || drawn) {
        window->Render();
        changed_ = false;
    }
    takeGeometry();
    std::this_thread::sleep_until(stepStart + kStepTime);
    return drawn;
}

}  // namespace vantory::cloudview
