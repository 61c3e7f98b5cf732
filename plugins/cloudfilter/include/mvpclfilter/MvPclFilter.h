// Entry points of the point-cloud filter library libambrelfilter.so. The viewer loads it
// at run time (beside the program first) and looks the three entries up by name; the
// library removes outliers from the display cloud before it is shown or exported.
#pragma once

#include <pcl/point_cloud.h>
#include <pcl/point_types.h>

#include <cstdint>

namespace Movoda::pclfilter {

constexpr const char* kLibraryName = "libambrelfilter.so";
constexpr const char* kFilterSymbol = "mvpcl_filter";
constexpr const char* kGetConfigSymbol = "mvpclfilter_getconfig";
constexpr const char* kSetConfigSymbol = "mvpclfilter_setconfig";

enum OutlierMethod : int32_t {
    // Points whose distance to their nearest neighbours, relative to their range, lies
    // more than stddevMultiplier standard deviations above the cloud's mean.
    kMethodStatistical = 0,
    // Points with fewer than minNeighbours neighbours within the search radius.
    kMethodRadius = 1,
};

// The library's configuration. The viewer shows the three version numbers, joined by ".",
// in its filter window.
struct Config {
    int32_t versionMajor = 0;
    int32_t versionMinor = 0;
    int32_t versionPatch = 0;
    // The radius method keeps noisy surfaces whole; the statistical one also takes the
    // noisiest few points of a surface (about 0.3 % at 4 mm of noise 1.5 m away).
    int32_t method = kMethodRadius;
    float stddevMultiplier = 5.0f;  // statistical; > 0
    // Radius: metres per metre of range, so that the radius follows the point spacing,
    // which grows with the range in a camera's cloud; in (0, 1].
    float radiusPerMetre = 0.02f;
    // Radius: neighbours needed inside the radius, 1 .. 24 (the 5 x 5 pixels round a
    // point of an organised cloud).
    int32_t minNeighbours = 3;
};

using Cloud = pcl::PointCloud<pcl::PointXYZI>;
using CloudPtr = Cloud::Ptr;

// Fills target (an empty cloud) with the source with its outliers removed. An organised
// source gives an organised target of the same size whose removed points have x, y and z
// NaN; an unorganised one gives the kept points only. Nothing happens without a target; a
// missing source leaves the target empty.
using FilterFunction = void (*)(CloudPtr* source, CloudPtr target);
using GetConfigFunction = void (*)(Config* config);
// Takes a configuration (its version numbers are ignored); false, and nothing changes,
// when a value is out of range.
using SetConfigFunction = bool (*)(const Config* config);

}  // namespace Movoda::pclfilter

extern "C" {
void mvpcl_filter(Movoda::pclfilter::CloudPtr* source, Movoda::pclfilter::CloudPtr target);
void mvpclfilter_getconfig(Movoda::pclfilter::Config* config);
bool mvpclfilter_setconfig(const Movoda::pclfilter::Config* config);
}
