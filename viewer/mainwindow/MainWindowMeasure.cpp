// The measurement area: colour bars, auto range and noise map beside the panes, the
// link-health, ROI-statistics and histogram docks. Its logic is MeasureController's.
#include "FramePath.h"
#include "GuiContext.h"
#include "MainWindow.h"
#include "MeasureController.h"
#include "mvsdk/MvSdk.h"
#include "ui_MainWindow.h"

using namespace vantory;

void MainWindow::createMeasure() {
    measure::MeasureHost host;
    host.window = this;
    host.statusLine = ui_->frame_status;
    host.distanceCaption = ui_->label_image0;
    host.amplitudeCaption = ui_->label_image1;
    host.distanceView = ui_->ImageView;
    host.amplitudeView = ui_->ImageView2;
    host.measures = &framePath_->measures();
    GuiContext* ctx = ctx_;
    host.streamStats = [ctx]() {
        return ctx->sdk ? ctx->sdk->getStreamStats() : Movoda::MvStreamStats{};
    };
    measure_ = std::make_unique<measure::MeasureController>(host);
}
