// Where recordings go: the export directory, one time-stamped directory per recording
// (never reusing one that exists), and one numbered file per frame.
#pragma once

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

namespace Movoda::records {

constexpr const char* kExportDirEnvironment = "VANTORY_EXPORT_DIR";
constexpr const char* kExportDirName = "mv-pcds";
constexpr int kMaxDirectorySuffix = 1000;

// $VANTORY_EXPORT_DIR when set, else $HOME/mv-pcds.
std::string exportDirectory();

// Local time as "%Y%m%d-%H-%M-%S".
std::string timeText(std::time_t when);

// Creates `base`/`name` (and `base` when missing); when that directory exists already,
// `name`-2, `name`-3, ... so that a recording never writes into another one's files.
// Empty, with the reason, when no directory could be made.
std::optional<std::string> createRecordingDirectory(const std::string& base,
                                                    const std::string& name, std::string& error);

// dir + "/" + index + ".xbin"
std::string recordFilePath(const std::string& dir, uint32_t index);

// The ".xbin" files of `dir` in the recorder's numbering order (2.xbin before 10.xbin).
// Empty, with the reason in `error`, when the directory cannot be read.
std::vector<std::string> recordFilesIn(const std::string& dir, std::string& error);

}  // namespace Movoda::records
