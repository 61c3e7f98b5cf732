#include "export/BatchConvert.h"

#include <algorithm>
#include <filesystem>
#include <mutex>
#include <thread>

#include "export/ExportConstants.h"
#include "export/ExportNaming.h"
#include "export/FrameCsv.h"
#include "export/FrameImages.h"
#include "export/RecordFrameLoader.h"
#include "mvsdk/Frame.h"

namespace Movoda::exporters {

namespace {

struct FormatName {
    const char* name;
    OutputFormat format;
};
constexpr FormatName kFormatNames[] = {
    {"pcd", OutputFormat::Pcd}, {"ply", OutputFormat::Ply}, {"png16", OutputFormat::Png16},
    {"csv", OutputFormat::Csv}, {"jpg", OutputFormat::Jpg},
};

bool writeCloudAs(const Frame& frame, const std::string& path, CloudFormat format,
                  const CloudFilter& filter, std::string& why) {
    CloudConstPtr cloud = frameCloud(frame, why);
    if (!cloud) return false;
    cloud = applyCloudFilter(filter, cloud, why);
    if (!cloud) return false;
    return writeCloud(*cloud, path, format, why);
}

}  // namespace

std::optional<OutputFormat> outputFormatFromName(const std::string& name) {
    for (const FormatName& entry : kFormatNames) {
        if (name == entry.name) return entry.format;
    }
    return std::nullopt;
}

bool writeFrameAs(const Frame& frame, const std::string& base, OutputFormat format,
                  const CloudFilter& cloudFilter, std::string& why) {
    switch (format) {
        case OutputFormat::Pcd:
            return writeCloudAs(frame, base + kPcdSuffix, CloudFormat::PcdBinary, cloudFilter, why);
        case OutputFormat::Ply:
            return writeCloudAs(frame, base + kPlySuffix, CloudFormat::PlyBinary, cloudFilter, why);
        case OutputFormat::Png16:
            return writeDistancePng16(frame, base + kPng16Suffix, why);
        case OutputFormat::Csv:
            return writeFrameCsvFile(base + kCsvSuffix, frame, why);
        case OutputFormat::Jpg: {
            std::vector<std::string> written;
            return writeFrameJpegs(frame, base, written, why);
        }
    }
    why = "unknown output format";
    return false;
}

ConvertSummary convertRecordFiles(const ConvertJob& job) {
    ConvertSummary summary;
    std::error_code error;
    std::filesystem::create_directories(job.outDir, error);
    if (error || !std::filesystem::is_directory(job.outDir)) {
        summary.error = "cannot create " + job.outDir + (error ? ": " + error.message() : "");
        summary.notStarted = job.files.size();
        return summary;
    }
    const std::vector<std::string> names = batchOutputNames(job.files);
    const size_t total = job.files.size();
    // Per file: empty when converted, else the reason; unset when never started.
    std::vector<std::optional<std::string>> results(total);
    std::atomic<size_t> next{0};
    std::mutex progressMutex;
    ConvertProgress progress;
    progress.total = total;

    auto work = [&]() {
        RecordFrameLoader loader;
        for (;;) {
            if (job.cancel != nullptr && job.cancel->load()) return;
            const size_t i = next.fetch_add(1);
            if (i >= total) return;
            std::string why;
            bool ok = false;
            try {
                const LoadedFrame loaded = loader.load(job.files[i]);
                if (!loaded.frame) {
                    why = loaded.error;
                } else {
                    const std::string base =
                        (std::filesystem::path(job.outDir) / names[i]).string();
                    ok = writeFrameAs(*loaded.frame, base, job.format, job.cloudFilter, why);
                }
            } catch (const std::exception& e) {  // out of memory, a writer's own failure
                why = e.what();
                ok = false;
            }
            std::lock_guard<std::mutex> lock(progressMutex);
            results[i] = ok ? std::string() : why;
            ++progress.done;
            if (!ok) ++progress.failed;
            if (job.progress) job.progress(progress);
        }
    };

    unsigned threads = job.threads != 0 ? job.threads : std::thread::hardware_concurrency();
    threads = std::max(
        1u, std::min<unsigned>(threads, static_cast<unsigned>(std::max<size_t>(total, 1))));
    std::vector<std::thread> workers;
    for (unsigned k = 1; k < threads; ++k) workers.emplace_back(work);
    work();
    for (std::thread& worker : workers) worker.join();

    for (size_t i = 0; i < total; ++i) {
        if (!results[i])
            ++summary.notStarted;
        else if (results[i]->empty())
            ++summary.converted;
        else
            summary.failures.push_back({job.files[i], *results[i]});
    }
    return summary;
}

}  // namespace Movoda::exporters
