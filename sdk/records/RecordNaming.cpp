#include "records/RecordNaming.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "records/RecordFormat.h"

namespace Movoda::records {

namespace fs = std::filesystem;

std::string exportDirectory() {
    if (const char* chosen = std::getenv(kExportDirEnvironment);
        chosen != nullptr && *chosen != '\0')
        return chosen;
    const char* home = std::getenv("HOME");
    return std::string(home != nullptr ? home : ".") + "/" + kExportDirName;
}

std::string timeText(std::time_t when) {
    std::tm local{};
    localtime_r(&when, &local);
    char text[32];
    const size_t n = std::strftime(text, sizeof(text), "%Y%m%d-%H-%M-%S", &local);
    return std::string(text, n);
}

std::optional<std::string> createRecordingDirectory(const std::string& base,
                                                    const std::string& name, std::string& error) {
    std::error_code ec;
    fs::create_directories(base, ec);
    if (ec) {
        error = base + ": " + ec.message();
        return std::nullopt;
    }
    for (int suffix = 1; suffix <= kMaxDirectorySuffix; ++suffix) {
        const std::string path =
            base + "/" + name + (suffix == 1 ? std::string() : "-" + std::to_string(suffix));
        // create_directory reports false for a directory that exists: the next name is tried.
        if (fs::create_directory(path, ec)) return path;
        if (ec) {
            error = path + ": " + ec.message();
            return std::nullopt;
        }
    }
    error = base + "/" + name + ": every suffix up to " + std::to_string(kMaxDirectorySuffix) +
            " is taken";
    return std::nullopt;
}

std::string recordFilePath(const std::string& dir, uint32_t index) {
    return dir + "/" + std::to_string(index) + kRecordFileSuffix;
}

namespace {

// Names compare by their leading number first, so 2.xbin comes before 10.xbin.
bool recorderOrder(const std::filesystem::path& a, const std::filesystem::path& b) {
    const std::string x = a.filename().string();
    const std::string y = b.filename().string();
    auto digits = [](const std::string& s) {
        size_t n = 0;
        while (n < s.size() && std::isdigit(static_cast<unsigned char>(s[n]))) ++n;
        return n;
    };
    const size_t dx = digits(x);
    const size_t dy = digits(y);
    if (dx > 0 && dy > 0 && dx != dy) return dx < dy;  // fewer digits: smaller number
    return x < y;
}

}  // namespace

std::vector<std::string> recordFilesIn(const std::string& dir, std::string& error) {
    namespace fs = std::filesystem;
    std::error_code ec;
    std::vector<fs::path> found;
    fs::directory_iterator it(dir, ec);
    if (ec) {
        error = dir + ": " + ec.message();
        return {};
    }
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        if (ec) break;
        std::error_code typeError;
        if (it->is_regular_file(typeError) && it->path().extension() == kRecordFileSuffix)
            found.push_back(it->path());
    }
    if (ec) {
        error = dir + ": " + ec.message();
        return {};
    }
    std::sort(found.begin(), found.end(), recorderOrder);
    std::vector<std::string> files;
    for (const fs::path& p : found) files.push_back(p.string());
    return files;
}

}  // namespace Movoda::records
