// Camera controls that are already wired; the others still wait in MainWindowPending.cpp.
#include "GuiContext.h"
#include "mvsdk/MvSdk.h"
#include "MainWindow.h"
#include "ui_MainWindow.h"

// Both mirror boxes land here. The views start turned by 90 degrees; the first call, which
// the constructor makes, turns them upright. The SDK mirrors the cloud's axes the same way.
void MainWindow::on_checkBox_hmirror_stateChanged(int) {
    const bool horizontal = ui_->checkBox_hmirror->isChecked();
    const bool vertical = ui_->checkBox_vmirror->isChecked();
    ui_->ImageView->setMirror(horizontal, vertical, false);
    ui_->ImageView2->setMirror(horizontal, vertical, false);
    ctx_->sdk->setMirror(horizontal ? 1 : 0, vertical ? 1 : 0);
}
