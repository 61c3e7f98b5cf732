#include "records/RecordNaming.h"

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

}  // namespace Movoda::records
