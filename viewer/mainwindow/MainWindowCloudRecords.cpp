// The main window's wiring of the point-cloud window; each handler forwards to the class
// that owns that area.
#include "CloudViewController.h"
#include "FramePath.h"
#include "MainWindow.h"
#include "ui_FilterSettings.h"
#include "ui_MainWindow.h"

using namespace vantory;

// ---- Point-cloud view ----------------------------------------------------------------

void MainWindow::createCloudView() {
    cloudview::CloudViewWidgets widgets;
    widgets.minDistance = ui_->spinBox_mindist;
    widgets.maxDistance = ui_->spinBox_maxdist;
    widgets.amplitudeRange = ui_->horizontalSlider2;
    widgets.renderType = filterUi_->comboBox_pcloudRendertype;
    widgets.coordType = filterUi_->comboBox_cloudcoordtype;
    widgets.reflectivityMax = filterUi_->spinBox_reflectivitymax;
    widgets.reflectivityAuto = filterUi_->checkBox_reflectauto;
    widgets.cloudFilterOn = filterUi_->checkBox_pclfilter_on;
    cloudView_ = std::make_unique<cloudview::CloudViewController>(settings_, widgets);
    cloudview::CloudViewController* view = cloudView_.get();
    framePath_->setCloudView([view](const FramePtr& frame, int column, int row) {
        view->showFrame(*frame, column, row);
    });
}

void MainWindow::startCloudViewer() {
    cloudView_->start();
}

void MainWindow::tickCloudViewFrameRate() {
    cloudView_->tickFrameRate();
}
