// Converting many record files at once, without a window: each worker thread takes the
// next file, loads it into a frame and writes it in the chosen format. A damaged file is
// reported with its reason and the others are converted all the same.
#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "export/FrameCloud.h"

namespace Movoda {
class Frame;
}

namespace Movoda::exporters {

enum class OutputFormat { Pcd, Ply, Png16, Csv, Jpg };

// "pcd", "ply", "png16", "csv", "jpg"; empty for anything else.
std::optional<OutputFormat> outputFormatFromName(const std::string& name);

// Writes one frame as `base` + the format's suffix (JPEG: one file per plane).
bool writeFrameAs(const Frame& frame, const std::string& base, OutputFormat format,
                  const CloudFilter& cloudFilter, std::string& why);

struct ConvertProgress {
    size_t done = 0;  // files handled, converted or failed
    size_t failed = 0;
    size_t total = 0;
};

struct ConvertJob {
    std::vector<std::string> files;
    std::string outDir;  // created when missing
    OutputFormat format = OutputFormat::Pcd;
    unsigned threads = 0;  // 0: one per processor
    CloudFilter cloudFilter;
    // After each file, from the worker threads one at a time.
    std::function<void(const ConvertProgress&)> progress;
    // Set by the caller to stop: files not yet started are left alone.
    const std::atomic<bool>* cancel = nullptr;
};

struct ConvertFailure {
    std::string file;
    std::string reason;
};

struct ConvertSummary {
    size_t converted = 0;
    std::vector<ConvertFailure> failures;  // in the order of the files
    size_t notStarted = 0;                 // left alone after a cancel
    std::string error;                     // the output directory could not be made
    bool ok() const { return error.empty() && failures.empty() && notStarted == 0; }
};

ConvertSummary convertRecordFiles(const ConvertJob& job);

}  // namespace Movoda::exporters
