// The main window's wiring of the exports: what they read of the window, and the frame
// path's seams that the batch conversion fills. The save slots forward in
// MainWindowPending.cpp.
#include <mutex>

#include "CloudViewController.h"
#include "ExportController.h"
#include "FramePath.h"
#include "GuiContext.h"
#include "MainWindow.h"
#include "RecordsController.h"
#include "mvsdk/MvSdk.h"
#include "ui_FilterSettings.h"
#include "ui_MainWindow.h"

using namespace vantory;

void MainWindow::createExport() {
    GuiContext* ctx = ctx_;
    cloudview::CloudViewController* view = cloudView_.get();
    records::RecordsController* r = records_.get();
    exports::ExportEnvironment env;
    env.english = ctx_->english != 0;
    env.timedMessage = [ctx](const QString& title, const QString& text) {
        ctx->timedMessage(title, text);
    };
    env.viewerRunning = [view] { return view->shared().running(); };
    env.pendingCloud = [view]() -> Movoda::exporters::CloudConstPtr {
        return view->shared().copyPendingCloud();
    };
    env.lastFrame = [ctx] {
        std::lock_guard<std::mutex> lock(ctx->frameMutex);
        return ctx->lastFrame;
    };
    env.serialText = [ctx] { return ctx->modelName; };
    QComboBox* imageType = ui_->cmbBox_imagetype;
    env.imageTypeIndex = [imageType] { return imageType->currentIndex(); };
    env.paneImages = [ctx] {
        std::lock_guard<std::mutex> lock(ctx->frameMutex);
        const bool gray = ctx->displayMode == kDisplayGrayscale;
        return std::make_pair(gray ? ctx->grayscaleImage : ctx->distanceImage, ctx->amplitudeImage);
    };
    env.playForConversion = [r] { return r->playForConversion(); };
    env.endPlaybackMode = [ctx] { ctx->sdk->setPlaybackMode(0); };

    exports::ExportWidgets widgets;
    widgets.playGroup = ui_->groupBox_play;
    widgets.convertToPcd = filterUi_->pushButton_xbin2pcd;
    widgets.convertToImages = filterUi_->pushButton_xbin2pic;
    exports_ = std::make_unique<exports::ExportController>(std::move(env), widgets, this);

    exports::BatchConversion* conversion = &exports_->conversion();
    // Converted clouds go through the point-cloud filter like the shown one, while its
    // switch is on.
    conversion->setCloudFilter(
        [view](const Movoda::exporters::CloudConstPtr& cloud) { return view->shared().filtered(cloud); });
    records_->playback().setSteps(conversion->steps());
    framePath_->setImageSaver(
        [conversion](const QImage* distance, const QImage* amplitude, const QImage* grayscale) {
            conversion->takeImages(distance, amplitude, grayscale);
        });
    framePath_->setFrameExporter(
        [conversion](const FramePtr& frame, const char* timeText, const char* ptpDateText) {
            conversion->onFrame(*frame, timeText, ptpDateText);
        });
}
