// The optional point-cloud filter library (libambrelfilter.so), loaded once at start-up:
// from the program's own folder first, then through the usual library path. Without it
// the viewer's point-cloud filter switch stays off.
#pragma once

#include <optional>
#include <string>

#include "CloudTypes.h"
#include "mvpclfilter/MvPclFilter.h"

namespace vantory::filters {

class CloudFilterLibrary {
public:
    // Prints "can not load pcl_process dll" when neither place has the library or it
    // lacks its filter entry.
    explicit CloudFilterLibrary(const std::string& programDirectory,
                                const std::string& libraryName = Movoda::pclfilter::kLibraryName);
    ~CloudFilterLibrary();
    CloudFilterLibrary(const CloudFilterLibrary&) = delete;
    CloudFilterLibrary& operator=(const CloudFilterLibrary&) = delete;

    bool loaded() const { return filter_ != nullptr; }
    // The library's configuration; empty when it is not loaded or has no such entry.
    std::optional<Movoda::pclfilter::Config> config() const;
    // "On  V" + the three version numbers joined by "."; empty when there is no
    // configuration to read them from.
    std::string versionCaption() const;
    // The cloud with its outliers removed, in a new cloud; the cloud itself when the
    // library is not loaded. Safe on any thread (the library keeps per-thread buffers).
    cloudview::CloudConstPtr filter(const cloudview::CloudConstPtr& cloud) const;

private:
    void* handle_ = nullptr;
    Movoda::pclfilter::FilterFunction filter_ = nullptr;
    Movoda::pclfilter::GetConfigFunction getConfig_ = nullptr;
};

// The folder of the running program ("" when it cannot be told).
std::string programDirectory();

}  // namespace vantory::filters
