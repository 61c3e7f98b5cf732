// The frame display of the main window: the frame callback (SDK thread), update code 0
// (images, status line, pixel information) and the image views' hover, select and
// clear handlers (GUI thread).
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>

#include <algorithm>

#include "FramePath.h"
#include "FramePathConstants.h"
#include "GuiContext.h"
#include "LabelImage.h"
#include "MainWindow.h"
#include "MeasureController.h"
#include "DevModes.h"
#include "PixelInfoText.h"
#include "PixelInfoWindow.h"
#include "PixelValues.h"
#include "StatusLine.h"
#include "mvsdk/Frame.h"
#include "mvsdk/MvSdk.h"
#include "ui_FilterSettings.h"
#include "ui_MainWindow.h"

using namespace vantory;

namespace {

constexpr std::uint8_t kFactoryTestBit = 0x02;
constexpr int kRenderTypeReflectivity = 2;

// The second value of the pixel information: amplitude, else grayscale, else 0.
std::uint32_t secondPixelValue(std::uint8_t flags, std::int32_t amplitude, std::int32_t grayscale) {
    if (flags & framepath::kFlagAmplitude) return static_cast<std::uint32_t>(std::max(amplitude, 0));
    if (flags & framepath::kFlagGrayscale) return static_cast<std::uint32_t>(std::max(grayscale, 0));
    return 0;
}

// What code 0 shows, copied under the frame mutex.
struct DisplaySnapshot {
    int mode = 0;
    QImage first;
    QImage second;
    GrayCheckVisibility grayCheck = GrayCheckVisibility::Unchanged;
    std::uint8_t timeType = 0;
    bool syncLocked = false;
    QString timeText, ptpDateText, subFrameLine, ptpLine;
    statusline::AmplitudeInput amplitude;
    std::int32_t distance = 0;
    std::int32_t sensorX100 = 0, secondX100 = 0;
    pixelinfo::LabelTexts pixelTexts;
    measure::PaneScales scales;
};

}  // namespace

void MainWindow::onFrame(const std::shared_ptr<const Movoda::Frame>& frame) {
    if (framePath_) framePath_->onFrame(frame);
}

void MainWindow::showLastFrame() {
    if (!framePath_) return;
    framePath_->displayTaken();
    const bool pixelInfoShown = pixelInfo_->isShown();
    DisplaySnapshot s;
    {
        std::lock_guard<std::mutex> lock(ctx_->frameMutex);
        const FrameDisplayState& d = framePath_->display();
        if (!d.hasFrame) return;
        s.mode = ctx_->displayMode;
        s.first = s.mode == kDisplayGrayscale ? ctx_->grayscaleImage : ctx_->distanceImage;
        if (s.mode == kDisplayDistanceAmplitude) s.second = ctx_->amplitudeImage;
        s.grayCheck = d.grayCheck;
        s.scales = d.scales;
        framePath_->clearGrayCheck();
        s.timeType = d.timeType;
        s.syncLocked = d.syncLocked != 0;
        s.timeText = QString::fromLatin1(d.timeText.data());
        s.ptpDateText = QString::fromLatin1(d.ptpDateText.data());
        s.subFrameLine = QString::fromLatin1(d.subFrameLine.data());
        s.ptpLine = QString::fromLatin1(d.ptpLine.data());
        s.distance = ctx_->pixelDistance;
        s.sensorX100 = ctx_->sensorTempX100;
        s.secondX100 = ctx_->secondTempX100;
        s.amplitude.flags = ctx_->frameFlags;
        s.amplitude.amplitude = ctx_->pixelAmplitude;
        s.amplitude.grayscale = ctx_->pixelGrayscale;
        s.amplitude.reflectivity = ctx_->pixelReflectivity;
        s.amplitude.dust = ctx_->dust;
        s.amplitude.phaseAngle = ctx_->pixelPhase;
        if (pixelInfoShown) {
            pixelinfo::PixelSample sample;
            sample.distanceMm = static_cast<std::uint32_t>(std::max(ctx_->pixelDistance, 0));
            sample.secondValue = secondPixelValue(ctx_->frameFlags, ctx_->pixelAmplitude, ctx_->pixelGrayscale);
            sample.confidence = ctx_->pixelConfidence;
            s.pixelTexts = pixelinfo::update(s.mode, sample, ctx_->distSamples, ctx_->ampSamples);
        }
    }

    const bool twoPanes = s.mode == kDisplayDistanceAmplitude;
    if (twoPanes && ui_->frame_image2->isHidden()) {
        ui_->ImageView->clear();
        ui_->frame_image2->show();
    } else if (!twoPanes && !ui_->frame_image2->isHidden()) {
        ui_->frame_image2->hide();
    }
    ui_->label_image0->setText(s.mode == kDisplayGrayscale ? QStringLiteral("GrayScale") : QStringLiteral("Distance"));
    ui_->ImageView->setImage(s.first);
    if (twoPanes) ui_->ImageView2->setImage(s.second);
    if (measure_) measure_->frameShown(s.scales);
    if (s.grayCheck == GrayCheckVisibility::Show) ui_->checkBox_gs->show();
    else if (s.grayCheck == GrayCheckVisibility::Hide) ui_->checkBox_gs->hide();

    s.amplitude.renderReflectivity = filterUi_->comboBox_pcloudRendertype->currentIndex() == kRenderTypeReflectivity;
    s.amplitude.factoryTest = (ctx_->modes & kFactoryTestBit) != 0;
    lastFrameShown_.start();
    ui_->label_fps->setText(
        statusline::fpsText(ctx_->sdk->getFrameRate(), s.timeType, s.syncLocked, s.timeText, s.ptpDateText));
    ui_->label_distance->setText(statusline::distanceText(s.distance));
    ui_->label_amplitude->setText(statusline::amplitudeText(s.amplitude));
    ui_->label_temperature->setText(statusline::temperatureText(s.sensorX100, s.secondX100));
    if (pixelInfoShown) pixelInfo_->apply(s.pixelTexts);
    pixelInfo_->setTimingLines(s.subFrameLine, s.ptpLine);
}

// ---- Pixel selection -----------------------------------------------------------------

void MainWindow::connectImageViews() {
    // The pane captions keep the height of their text, so the pane's height goes to the
    // image views instead of pushing them past the pane's bottom edge.
    for (QLabel* caption : {ui_->label_image0, ui_->label_image1}) {
        caption->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    }
    for (LabelImage* view : {ui_->ImageView, ui_->ImageView2}) {
        connect(view, &LabelImage::mouseHover, this, [this, view](int x, int y) { onImageHover(view, x, y); });
        connect(view, &LabelImage::infoSelected, this, [this, view](int x, int y) { onImageSelected(view, x, y); });
        connect(view, &LabelImage::pixelInfoSelectionCleared, this, [this](bool) { onPixelSelectionCleared(); });
    }
}

void MainWindow::onImageHover(LabelImage* view, int x, int y) {
    if (ui_->ImageView->hasSelectedPixel() || ui_->ImageView2->hasSelectedPixel()) return;
    // The last column and row are the largest positions inside the image.
    const int width = view->shownSourceImage().width();
    const int height = view->shownSourceImage().height();
    x = std::clamp(x, 0, std::max(width - 1, 0));
    y = std::clamp(y, 0, std::max(height - 1, 0));
    {
        std::lock_guard<std::mutex> lock(ctx_->frameMutex);
        ctx_->selectedX = x;
        ctx_->selectedY = y;
    }
    pixelInfo_->setPosition(x, y);
}

void MainWindow::onImageSelected(LabelImage* view, int x, int y) {
    LabelImage* other = view == ui_->ImageView ? ui_->ImageView2 : ui_->ImageView;
    other->clearPixelSelection();
    pixelInfo_->setPosition(x, y);
    pixelInfo_->showAndActivate();
    pixelInfo_->apply(pixelinfo::reset());
    const bool renderReflectivity =
        filterUi_->comboBox_pcloudRendertype->currentIndex() == kRenderTypeReflectivity;
    int row = y, column = x;
    {
        std::lock_guard<std::mutex> lock(ctx_->frameMutex);
        ctx_->selectedX = x;
        ctx_->selectedY = y;
        ctx_->distSamples.clear();
        ctx_->ampSamples.clear();
        if (const std::shared_ptr<const Movoda::Frame>& frame = ctx_->lastFrame) {
            framepath::clampToFrame(ctx_->selectedX, ctx_->selectedY, frame->width(), frame->height());
            framepath::PixelChoice choice;
            choice.useSecondDistance = ctx_->useSecondDistance != 0;
            choice.dcsMode = framePath_->dcsMode();
            const framepath::PixelValues values =
                framepath::readPixelValues(*frame, ctx_->selectedX, ctx_->selectedY, choice);
            ctx_->pixelDistance = values.distance;
            ctx_->pixelConfidence = values.confidence;
            ctx_->pixelAmplitude = values.amplitude;
            ctx_->pixelGrayscale = values.grayscale;
            if (renderReflectivity) ctx_->pixelReflectivity = values.reflectivity;
        }
        row = ctx_->selectedY;
        column = ctx_->selectedX;
    }
    framePath_->requestDisplay();
    devModes_->pixelSelected(row, column);
}

void MainWindow::onPixelSelectionCleared() {
    {
        std::lock_guard<std::mutex> lock(ctx_->frameMutex);
        ctx_->selectedX = 0;
        ctx_->selectedY = 0;
        ctx_->pixelDistance = 0;
        ctx_->pixelAmplitude = 0;
    }
    pixelInfo_->setPosition(0, 0);
    pixelInfo_->hide();
}
