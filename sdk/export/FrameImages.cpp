#include "export/FrameImages.h"

#include <opencv2/core.hpp>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cstdint>
#include <limits>

#include "export/ExportConstants.h"
#include "export/FrameCsv.h"
#include "mvsdk/Frame.h"

namespace Movoda::exporters {

namespace {

bool write(const std::string& path, const cv::Mat& image, std::string& why) {
    try {
        if (cv::imwrite(path, image)) return true;
    } catch (const cv::Exception& e) {
        why = "cannot write " + path + ": " + e.what();
        return false;
    }
    why = "cannot write " + path;
    return false;
}

bool measured(uint32_t distance) {
    return distance > 0 && distance < kInvalidDistanceFrom;
}

// Near is red, far is blue, over the frame's own range; no measurement is black.
cv::Mat distancePicture(const uint32_t* plane, int width, int height) {
    const size_t n = static_cast<size_t>(width) * height;
    uint32_t low = std::numeric_limits<uint32_t>::max();
    uint32_t high = 0;
    for (size_t i = 0; i < n; ++i) {
        if (!measured(plane[i])) continue;
        low = std::min(low, plane[i]);
        high = std::max(high, plane[i]);
    }
    cv::Mat levels(height, width, CV_8UC1, cv::Scalar(0));
    cv::Mat mask(height, width, CV_8UC1, cv::Scalar(0));
    const double span = high > low ? static_cast<double>(high - low) : 1.0;
    for (size_t i = 0; i < n; ++i) {
        if (!measured(plane[i])) continue;
        levels.data[i] = static_cast<uint8_t>(255.0 - 255.0 * (plane[i] - low) / span);
        mask.data[i] = 255;
    }
    cv::Mat picture;
    cv::applyColorMap(levels, picture, cv::COLORMAP_JET);
    cv::Mat out(height, width, CV_8UC3, cv::Scalar(0, 0, 0));
    picture.copyTo(out, mask);
    return out;
}

// Scaled so that the frame's brightest pixel is white.
cv::Mat grayPicture(const uint16_t* plane, int width, int height) {
    const cv::Mat values(height, width, CV_16UC1, const_cast<uint16_t*>(plane));
    double high = 0;
    cv::minMaxLoc(values, nullptr, &high);
    cv::Mat out;
    values.convertTo(out, CV_8UC1, high > 0 ? 255.0 / high : 0.0);
    return out;
}

}  // namespace

bool writeDistancePng16(const Frame& frame, const std::string& path, std::string& why) {
    const int width = frame.width();
    const int height = frame.height();
    const size_t n = static_cast<size_t>(width) * height;
    const uint32_t* plane = frame.distancePlane();
    if (plane == nullptr || n == 0 || frame.pixelCount() < n || !csvTablesOf(frame).distance) {
        why = "the frame carries no distance plane";
        return false;
    }
    cv::Mat image(height, width, CV_16UC1);
    auto* out = reinterpret_cast<uint16_t*>(image.data);
    for (size_t i = 0; i < n; ++i) {
        const uint32_t d = plane[i];
        out[i] = d < kInvalidDistanceFrom && d <= std::numeric_limits<uint16_t>::max()
                     ? static_cast<uint16_t>(d)
                     : 0;
    }
    return write(path, image, why);
}

bool writeFrameJpegs(const Frame& frame, const std::string& base, std::vector<std::string>& written,
                     std::string& why) {
    const CsvTables planes = csvTablesOf(frame);
    if (!planes.any()) {
        why = "the frame carries no distance, amplitude or grayscale plane";
        return false;
    }
    const int width = frame.width();
    const int height = frame.height();
    struct Picture {
        bool present;
        const char* suffix;
        cv::Mat (*build)(const Frame&, int, int);
    };
    const Picture pictures[] = {
        {planes.distance, kDistanceJpgSuffix,
         [](const Frame& f, int w, int h) { return distancePicture(f.distancePlane(), w, h); }},
        {planes.amplitude, kAmplitudeJpgSuffix,
         [](const Frame& f, int w, int h) { return grayPicture(f.amplitudePlane(), w, h); }},
        {planes.grayscale, kGrayJpgSuffix,
         [](const Frame& f, int w, int h) { return grayPicture(f.grayscalePlane(), w, h); }},
    };
    for (const Picture& picture : pictures) {
        if (!picture.present) continue;
        const std::string path = base + picture.suffix;
        if (!write(path, picture.build(frame, width, height), why)) return false;
        written.push_back(path);
    }
    return true;
}

}  // namespace Movoda::exporters
