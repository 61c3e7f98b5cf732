#include "ExportController.h"

#include <QPushButton>

#include <iostream>

#include "records/RecordNaming.h"

namespace vantory::exports {

ExportController::ExportController(ExportEnvironment environment, const ExportWidgets& widgets,
                                   QObject* parent)
    : QObject(parent), env_(std::move(environment)) {
    auto message = [this](const std::string& title, const std::string& text) {
        if (env_.timedMessage)
            env_.timedMessage(QString::fromStdString(title), QString::fromStdString(text));
    };
    auto print = [](const std::string& line) { std::cout << line << std::endl; };
    single_ = std::make_unique<SingleExports>(ExportReport{message, print},
                                              [] { return Movoda::records::exportDirectory(); });
    ConversionHooks hooks;
    hooks.message = message;
    hooks.print = print;
    hooks.endPlaybackMode = [this] {
        if (env_.endPlaybackMode) env_.endPlaybackMode();
    };
    hooks.english = env_.english;
    conversion_ = std::make_unique<BatchConversion>(std::move(hooks));
    panel_ = new ConversionPanel(widgets.playGroup, *conversion_, [this] { cancelConversion(); });
    if (widgets.convertToPcd != nullptr) {
        connect(widgets.convertToPcd, &QPushButton::clicked, this,
                &ExportController::convertRecordsToPcd);
    }
    if (widgets.convertToImages != nullptr) {
        connect(widgets.convertToImages, &QPushButton::clicked, this,
                &ExportController::convertRecordsToImages);
    }
}

void ExportController::saveViewerCloudPcd() {
    const bool running = env_.viewerRunning && env_.viewerRunning();
    single_->saveViewerCloudPcd(running,
                                running && env_.pendingCloud ? env_.pendingCloud() : nullptr);
}

void ExportController::saveCsv() {
    const std::shared_ptr<const Movoda::Frame> frame = env_.lastFrame ? env_.lastFrame() : nullptr;
    single_->saveCsv(frame.get(), env_.serialText ? env_.serialText() : std::string());
}

void ExportController::saveImages() {
    if (!env_.paneImages || !env_.imageTypeIndex) return;
    const std::pair<QImage, QImage> panes = env_.paneImages();
    single_->saveImages(env_.imageTypeIndex(), panes.first, panes.second);
}

void ExportController::convertRecordsToPcd() {
    convert(Movoda::exporters::ConversionKind::Pcd);
}

void ExportController::convertRecordsToImages() {
    convert(Movoda::exporters::ConversionKind::Images);
}

void ExportController::convert(Movoda::exporters::ConversionKind kind) {
    conversion_->begin(kind);
    if (!env_.playForConversion || !env_.playForConversion()) {
        conversion_->cancel();  // no file chosen
        return;
    }
    panel_->follow();
}

void ExportController::cancelConversion() {
    if (!conversion_->counts().running) return;
    conversion_->cancel();
    if (env_.endPlaybackMode) env_.endPlaybackMode();
}

}  // namespace vantory::exports
