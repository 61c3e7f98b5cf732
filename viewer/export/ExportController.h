// The main window's exports: the save buttons, the conversion buttons of the filter
// settings window and the conversion's progress in the play group.
#pragma once

#include <QImage>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "BatchConversion.h"
#include "ConversionPanel.h"
#include "SingleExports.h"

class QGroupBox;
class QPushButton;

namespace vantory::exports {

// What the exports need of the main window, as calls.
struct ExportEnvironment {
    bool english = true;
    // The self-closing message (update code 16), from any thread.
    std::function<void(const QString& title, const QString& text)> timedMessage;
    // The point-cloud window runs; a copy of its newest cloud.
    std::function<bool()> viewerRunning;
    std::function<Movoda::exporters::CloudConstPtr()> pendingCloud;
    // The last frame the main window received, and the connected camera's serial text.
    std::function<std::shared_ptr<const Movoda::Frame>()> lastFrame;
    std::function<std::string()> serialText;
    // The image-type box's index and the images of the left and right panes.
    std::function<int()> imageTypeIndex;
    std::function<std::pair<QImage, QImage>()> paneImages;
    // Shows the play group, starts the cloud window, selects files and plays them once,
    // forwards; false when no file was chosen.
    std::function<bool()> playForConversion;
    // Clears the SDK's playback mode (ends the playback).
    std::function<void()> endPlaybackMode;
};

struct ExportWidgets {
    QGroupBox* playGroup = nullptr;
    QPushButton* convertToPcd = nullptr;     // filter settings window
    QPushButton* convertToImages = nullptr;  // filter settings window
};

class ExportController : public QObject {
    Q_OBJECT
public:
    ExportController(ExportEnvironment environment, const ExportWidgets& widgets, QObject* parent);

    void saveViewerCloudPcd();
    void saveCsv();
    void saveImages();
    void convertRecordsToPcd();
    void convertRecordsToImages();
    void cancelConversion();

    BatchConversion& conversion() { return *conversion_; }
    ConversionPanel& panel() { return *panel_; }

private:
    void convert(Movoda::exporters::ConversionKind kind);

    ExportEnvironment env_;
    std::unique_ptr<SingleExports> single_;
    std::unique_ptr<BatchConversion> conversion_;
    ConversionPanel* panel_ = nullptr;  // owned by the play group
};

}  // namespace vantory::exports
