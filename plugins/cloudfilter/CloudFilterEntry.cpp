// The three exported entries of the point-cloud filter library. The configuration is
// shared by every caller (the cloud window and the export path may filter at the same
// time), so it is guarded; the working buffers belong to the calling thread and are kept
// from cloud to cloud.
#include <pcl/filters/radius_outlier_removal.h>
#include <pcl/filters/statistical_outlier_removal.h>

#include <cmath>
#include <cstdio>
#include <exception>
#include <limits>
#include <mutex>

#include "CloudFilterConstants.h"
#include "OrganizedOutlierRemoval.h"
#include "mvpclfilter/MvPclFilter.h"

namespace Movoda::pclfilter {

namespace {

std::mutex gConfigMutex;
Config gConfig = defaultConfig();

// Every value must be usable, also those of the method not chosen: a later switch of
// method alone must not bring in a bad one.
bool acceptable(const Config& c) {
    const bool method = c.method == kMethodStatistical || c.method == kMethodRadius;
    const bool multiplier = c.stddevMultiplier > 0.0f && c.stddevMultiplier <= kMaxStddevMultiplier;
    const bool radius = c.radiusPerMetre > 0.0f && c.radiusPerMetre <= kMaxRadiusPerMetre;
    const bool neighbours = c.minNeighbours >= 1 && c.minNeighbours <= kWindowNeighbours;
    return method && multiplier && radius && neighbours;
}

Config currentConfig() {
    std::lock_guard<std::mutex> lock(gConfigMutex);
    return gConfig;
}

// A cloud without a grid goes through PCL's own filters and keeps only its inliers. PCL's
// search asserts on points without coordinates, so only the finite points are handed on.
void filterUnorganised(const CloudPtr& source, const Config& config, Cloud& target) {
    auto finite = pcl::make_shared<pcl::Indices>();
    finite->reserve(source->points.size());
    for (size_t i = 0; i < source->points.size(); ++i) {
        const pcl::PointXYZI& p = source->points[i];
        if (std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z)) {
            finite->push_back(static_cast<pcl::index_t>(i));
        }
    }
    if (config.method == kMethodRadius) {
        pcl::RadiusOutlierRemoval<pcl::PointXYZI> filter;
        filter.setInputCloud(source);
        filter.setIndices(finite);
        filter.setRadiusSearch(config.radiusPerMetre);
        filter.setMinNeighborsInRadius(config.minNeighbours);
        filter.filter(target);
    } else {
        pcl::StatisticalOutlierRemoval<pcl::PointXYZI> filter;
        filter.setInputCloud(source);
        filter.setIndices(finite);
        filter.setMeanK(kUnorganisedMeanK);
        filter.setStddevMulThresh(config.stddevMultiplier);
        filter.filter(target);
    }
}

void filterOrganised(const Cloud& source, const Config& config, Cloud& target) {
    thread_local OrganizedOutlierRemoval removal;
    thread_local std::vector<uint8_t> removed;
    removal.classify(source, config, removed);
    target = source;
    target.is_dense = false;
    constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
    for (size_t i = 0; i < removed.size(); ++i) {
        if (removed[i] == 0) continue;
        pcl::PointXYZI& p = target.points[i];
        p.x = p.y = p.z = kNaN;
    }
}

}  // namespace

}  // namespace Movoda::pclfilter

using namespace Movoda::pclfilter;

extern "C" {

__attribute__((visibility("default"))) void mvpcl_filter(CloudPtr* source, CloudPtr target) {
    if (!target) return;
    if (source == nullptr || !*source) return;
    const Cloud& in = **source;
    try {
        const Config config = currentConfig();
        const bool organised =
            in.height > 1 && in.points.size() == static_cast<size_t>(in.width) * in.height;
        if (organised) {
            filterOrganised(in, config, *target);
        } else {
            filterUnorganised(*source, config, *target);
        }
    } catch (const std::exception& e) {
        // The caller still gets a cloud to show: the unfiltered one.
        std::fprintf(stderr, "mvpcl_filter: %s; cloud left unfiltered\n", e.what());
        *target = in;
    }
}

__attribute__((visibility("default"))) void mvpclfilter_getconfig(Config* config) {
    if (config != nullptr) *config = currentConfig();
}

__attribute__((visibility("default"))) bool mvpclfilter_setconfig(const Config* config) {
    if (config == nullptr || !acceptable(*config)) return false;
    std::lock_guard<std::mutex> lock(gConfigMutex);
    const Config versions = gConfig;
    gConfig = *config;
    gConfig.versionMajor = versions.versionMajor;
    gConfig.versionMinor = versions.versionMinor;
    gConfig.versionPatch = versions.versionPatch;
    return true;
}

}  // extern "C"
