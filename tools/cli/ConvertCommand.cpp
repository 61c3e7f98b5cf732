// vantory-cli convert: record files into PCD, PLY, 16-bit PNG, CSV or JPEG, in parallel.
#include <algorithm>
#include <filesystem>
#include <iostream>

#include "CliConstants.h"
#include "Commands.h"
#include "ConvertFiles.h"
#include "export/BatchConvert.h"

namespace vantory_cli {

namespace ex = Movoda::exporters;

int runConvert(const CliOptions& options, const LineSink& out, const std::atomic<bool>& interrupted,
               const ex::CloudFilter& cloudFilter) {
    std::vector<std::string> unusable;
    ex::ConvertJob job;
    job.files = expandRecordFiles(options.files, unusable);
    for (const std::string& entry : unusable) {
        std::cerr << "vantory-cli: " << entry << ": no such file or directory" << std::endl;
    }
    job.outDir = options.outDir;
    job.format = *ex::outputFormatFromName(options.toFormat);
    job.threads = options.threads;
    job.cloudFilter = cloudFilter;
    job.cancel = &interrupted;
    ProgressLine progress(std::cerr);
    job.progress = [&progress](const ex::ConvertProgress& p) { progress.show(p); };

    const ex::ConvertSummary summary = ex::convertRecordFiles(job);
    progress.finish();
    if (!summary.error.empty()) {
        std::cerr << "vantory-cli: " << summary.error << std::endl;
        return kExitWriteFailed;
    }
    for (const ex::ConvertFailure& failure : summary.failures) {
        std::cerr << "failed: " << failure.file << ": " << failure.reason << std::endl;
    }
    out("converted: " + std::to_string(summary.converted) + " of " +
        std::to_string(job.files.size() + unusable.size()) + " into " + options.outDir);
    if (interrupted.load() && summary.notStarted > 0) return kExitInterrupted;
    if (!summary.failures.empty() || !unusable.empty()) return kExitConvertFailed;
    return job.files.empty() ? kExitConvertFailed : kExitOk;
}

}  // namespace vantory_cli
