#include "ConvertFiles.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "export/BatchConvert.h"
#include "records/RecordNaming.h"

namespace vantory_cli {

namespace {

namespace fs = std::filesystem;
constexpr auto kProgressInterval = std::chrono::milliseconds(100);

}  // namespace

std::vector<std::string> expandRecordFiles(const std::vector<std::string>& entries,
                                           std::vector<std::string>& unusable) {
    std::vector<std::string> files;
    for (const std::string& entry : entries) {
        std::error_code error;
        if (fs::is_directory(entry, error)) {
            std::string why;
            for (std::string& file : Movoda::records::recordFilesIn(entry, why))
                files.push_back(std::move(file));
        } else if (fs::exists(entry, error)) {
            files.push_back(entry);  // a damaged or foreign file is reported by the conversion
        } else {
            unusable.push_back(entry);
        }
    }
    return files;
}

void ProgressLine::show(const Movoda::exporters::ConvertProgress& progress) {
    const auto now = std::chrono::steady_clock::now();
    if (progress.done != progress.total && shown_ && now - last_ < kProgressInterval) return;
    last_ = now;
    shown_ = true;
    out_ << "\rconverted " << progress.done << "/" << progress.total;
    if (progress.failed > 0) out_ << ", " << progress.failed << " failed";
    out_ << std::flush;
}

void ProgressLine::finish() {
    if (shown_) out_ << std::endl;
}

}  // namespace vantory_cli
