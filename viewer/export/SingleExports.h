// The viewer's single exports into the export directory: the point-cloud window's cloud
// as a binary PCD, the last frame's tables as CSV, and the shown images as bitmaps. Each
// reports what it wrote, or why it could not, through the self-closing message.
#pragma once

#include <QImage>

#include <ctime>
#include <functional>
#include <string>

#include "export/FrameCloud.h"

namespace Movoda {
class Frame;
}

namespace vantory::exports {

struct ExportReport {
    // The self-closing message: title and text (any thread).
    std::function<void(const std::string& title, const std::string& text)> message;
    // A diagnostic line on standard output.
    std::function<void(const std::string& line)> print;
};

// Image-type box indexes whose panes are saved (the others save the left pane only).
constexpr int kImageTypeGrayscale = 1;
constexpr int kImageTypeDistanceAmplitude = 2;
constexpr int kImageTypePointCloud = 3;
constexpr int kImageTypePointCloudAmplitude = 4;

class SingleExports {
public:
    // `exportDir` is asked at every save (the environment may change it); `now` gives
    // the time stamp of file names.
    SingleExports(
        ExportReport report, std::function<std::string()> exportDir,
        std::function<std::time_t()> now = [] { return std::time(nullptr); });

    // Nothing without a running window and a cloud of at least 1000 points. The path
    // written, or empty.
    std::string saveViewerCloudPcd(bool viewerRunning,
                                   const Movoda::exporters::CloudConstPtr& cloud);
    // Nothing without a frame. `serial` starts the file name.
    std::string saveCsv(const Movoda::Frame* frame, const std::string& serial);
    // By the image-type box: grayscale saves the left pane as "gsimage_", distance +
    // amplitude and cloud + amplitude both panes, cloud nothing, the rest the left pane
    // as distance. Panes of 10 lines or less are skipped. The last path written, or empty.
    std::string saveImages(int imageTypeIndex, const QImage& left, const QImage& right);

private:
    // The export directory, created when missing; empty (and reported) when it cannot be.
    std::string preparedDirectory(const char* failTitle);
    void report(const char* title, const std::string& text) const;

    ExportReport report_;
    std::function<std::string()> exportDir_;
    std::function<std::time_t()> now_;
};

}  // namespace vantory::exports
