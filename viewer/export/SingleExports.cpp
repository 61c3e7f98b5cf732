#include "SingleExports.h"

#include <filesystem>

#include "export/ExportConstants.h"
#include "export/FrameCsv.h"
#include "mvsdk/Frame.h"
#include "records/RecordNaming.h"

namespace vantory::exports {

namespace ex = Movoda::exporters;

SingleExports::SingleExports(ExportReport report, std::function<std::string()> exportDir,
                             std::function<std::time_t()> now)
    : report_(std::move(report)), exportDir_(std::move(exportDir)), now_(std::move(now)) {}

void SingleExports::report(const char* title, const std::string& text) const {
    if (report_.message) report_.message(title, text);
}

std::string SingleExports::preparedDirectory(const char* failTitle) {
    const std::string dir = exportDir_();
    std::error_code error;
    std::filesystem::create_directories(dir, error);
    if (error || !std::filesystem::is_directory(dir)) {
        report(failTitle, "cannot create " + dir + (error ? ": " + error.message() : ""));
        return {};
    }
    return dir;
}

std::string SingleExports::saveViewerCloudPcd(bool viewerRunning, const ex::CloudConstPtr& cloud) {
    if (!viewerRunning || !cloud) return {};
    const std::string time = Movoda::records::timeText(now_());
    if (report_.print) report_.print(time);
    if (cloud->size() < ex::kMinViewerCloudPoints) return {};
    const std::string dir = preparedDirectory(ex::kPcdFailedTitle);
    if (dir.empty()) return {};
    const std::string path = dir + "/" + time + ex::kViewerCloudSuffix;
    std::string why;
    if (!ex::writeCloud(*cloud, path, ex::CloudFormat::PcdBinary, why)) {
        report(ex::kPcdFailedTitle, why);
        return {};
    }
    report(ex::kPcdSavedTitle, path);
    return path;
}

std::string SingleExports::saveCsv(const Movoda::Frame* frame, const std::string& serial) {
    if (frame == nullptr) return {};
    const std::string dir = preparedDirectory(ex::kCsvFailedTitle);
    if (dir.empty()) return {};
    const std::string path =
        dir + "/" + serial + "_" + Movoda::records::timeText(now_()) + ex::kCsvSuffix;
    std::string why;
    if (!ex::writeFrameCsvFile(path, *frame, why)) {
        report(ex::kCsvFailedTitle, why);
        return {};
    }
    report(ex::kCsvSavedTitle, path);
    return path;
}

std::string SingleExports::saveImages(int imageTypeIndex, const QImage& left, const QImage& right) {
    struct Pane {
        const QImage* image;
        const char* prefix;
    };
    Pane panes[2] = {{nullptr, nullptr}, {nullptr, nullptr}};
    switch (imageTypeIndex) {
        case kImageTypeGrayscale:
            panes[0] = {&left, ex::kGrayImagePrefix};
            break;
        case kImageTypeDistanceAmplitude:
        case kImageTypePointCloudAmplitude:
            panes[0] = {&left, ex::kDistanceImagePrefix};
            panes[1] = {&right, ex::kAmplitudeImagePrefix};
            break;
        case kImageTypePointCloud:
            return {};
        default:
            panes[0] = {&left, ex::kDistanceImagePrefix};
    }
    const std::string time = Movoda::records::timeText(now_());
    std::string dir;
    std::string last;
    for (const Pane& pane : panes) {
        if (pane.image == nullptr || pane.image->height() < ex::kMinImageHeight) continue;
        if (dir.empty()) dir = preparedDirectory(ex::kImageFailedTitle);
        if (dir.empty()) return {};
        const std::string path = dir + "/" + pane.prefix + time + ex::kBitmapSuffix;
        if (!pane.image->save(QString::fromStdString(path), "BMP")) {
            report(ex::kImageFailedTitle, "cannot write " + path);
            return {};
        }
        last = path;
    }
    if (!last.empty()) report(ex::kImageSavedTitle, last);
    return last;
}

}  // namespace vantory::exports
