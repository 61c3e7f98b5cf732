#include "export/ExportNaming.h"

#include <filesystem>
#include <map>
#include <set>

#include "export/ExportConstants.h"
#include "export/RecordFrameLoader.h"
#include "records/RecordFormat.h"

namespace Movoda::exporters {

namespace fs = std::filesystem;

std::string conversionDirectory(const std::string& firstFile, ConversionKind kind) {
    std::error_code error;
    fs::path absolute = fs::absolute(fs::path(firstFile), error);
    if (error) absolute = fs::path(firstFile);
    const fs::path directory = absolute.lexically_normal().parent_path();
    return directory.string() + (kind == ConversionKind::Pcd ? kPcdDirSuffix : kImageDirSuffix);
}

std::string convertedFrameName(uint8_t timeSource, const std::string& timeText,
                               const std::string& ptpDateText, const std::string& tag,
                               int playIndex) {
    const std::string* chosen = nullptr;
    if (timeSource == kTimeSourceGps) chosen = &timeText;
    if (timeSource == kTimeSourcePtp) chosen = &ptpDateText;
    if (chosen == nullptr) return tag;
    if (chosen->size() < 2) return std::to_string(playIndex);
    return *chosen;
}

std::vector<std::string> batchOutputNames(const std::vector<std::string>& files) {
    std::vector<std::string> names;
    names.reserve(files.size());
    std::map<std::string, int> uses;
    for (const std::string& file : files) {
        names.push_back(baseNameOf(file, records::kRecordFileSuffix));
        ++uses[names.back()];
    }
    std::set<std::string> taken;
    for (size_t i = 0; i < files.size(); ++i) {
        if (uses[names[i]] > 1) {
            const std::string parent =
                fs::path(files[i]).lexically_normal().parent_path().filename().string();
            if (!parent.empty()) names[i] = parent + "_" + names[i];
        }
        std::string candidate = names[i];
        for (int n = 2; taken.count(candidate) != 0; ++n)
            candidate = names[i] + "-" + std::to_string(n);
        names[i] = candidate;
        taken.insert(candidate);
    }
    return names;
}

}  // namespace Movoda::exporters
