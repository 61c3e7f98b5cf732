#include "ConvertFiles.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "export/BatchConvert.h"

namespace vantory_cli {

namespace {

namespace fs = std::filesystem;
constexpr auto kProgressInterval = std::chrono::milliseconds(100);

// Names compare by their leading number first, so 2.xbin comes before 10.xbin.
bool recorderOrder(const fs::path& a, const fs::path& b) {
    const std::string x = a.filename().string();
    const std::string y = b.filename().string();
    auto number = [](const std::string& s) {
        size_t digits = 0;
        while (digits < s.size() && std::isdigit(static_cast<unsigned char>(s[digits]))) ++digits;
        return digits;
    };
    const size_t dx = number(x);
    const size_t dy = number(y);
    if (dx > 0 && dy > 0 && dx != dy) return dx < dy;  // fewer digits: smaller number
    return x < y;
}

}  // namespace

std::vector<std::string> expandRecordFiles(const std::vector<std::string>& entries,
                                           std::vector<std::string>& unusable) {
    std::vector<std::string> files;
    for (const std::string& entry : entries) {
        std::error_code error;
        if (fs::is_directory(entry, error)) {
            std::vector<fs::path> found;
            for (const fs::directory_entry& e : fs::directory_iterator(entry, error)) {
                if (e.is_regular_file(error) && e.path().extension() == ".xbin")
                    found.push_back(e.path());
            }
            std::sort(found.begin(), found.end(), recorderOrder);
            for (const fs::path& p : found) files.push_back(p.string());
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
