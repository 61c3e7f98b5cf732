// File names, suffixes and message texts of the exports and the batch conversion.
#pragma once

#include <cstddef>
#include <cstdint>

namespace Movoda::exporters {

// Distances of this value and above are camera codes (no measurement), never distances.
constexpr uint32_t kInvalidDistanceFrom = 964000;

// Clouds with fewer points are not worth a file (a cropped or empty view).
constexpr size_t kMinViewerCloudPoints = 1000;
// Images this low or lower are placeholders, not pictures.
constexpr int kMinImageHeight = 11;

// Single exports into the export directory.
constexpr const char* kViewerCloudSuffix = "_Binary.pcd";
constexpr const char* kCsvSuffix = ".csv";
constexpr const char* kGrayImagePrefix = "gsimage_";
constexpr const char* kDistanceImagePrefix = "dist_image_";
constexpr const char* kAmplitudeImagePrefix = "amp_image_";
constexpr const char* kBitmapSuffix = ".bmp";

// Converted frames.
constexpr const char* kPcdDirSuffix = "_pcd";
constexpr const char* kImageDirSuffix = "_img";
constexpr const char* kPcdSuffix = ".pcd";
constexpr const char* kPlySuffix = ".ply";
constexpr const char* kPng16Suffix = "_dist16.png";
constexpr const char* kDistanceJpgSuffix = "_dist.jpg";
constexpr const char* kAmplitudeJpgSuffix = "_amp.jpg";
constexpr const char* kGrayJpgSuffix = "_gs.jpg";

// CSV table titles.
constexpr const char* kCsvDistanceTitle = "Distance ,";
constexpr const char* kCsvAmplitudeTitle = "Amplitude";
constexpr const char* kCsvGrayscaleTitle = "Grayscale ,";
constexpr int kCsvBlankLinesBeforeAmplitude = 4;

// Frame data kinds (payload byte 1).
constexpr uint16_t kKindDistanceAmplitude = 0;
constexpr uint16_t kKindDistance = 1;
constexpr uint16_t kKindGrayscale = 3;

// Frame time sources that name converted frames.
constexpr uint8_t kTimeSourceGps = 1;
constexpr uint8_t kTimeSourcePtp = 2;

// Message titles and lines.
constexpr const char* kPcdSavedTitle = "pcd file save ok";
constexpr const char* kCsvSavedTitle = "csv file save ok";
constexpr const char* kImageSavedTitle = "Image file save ok";
constexpr const char* kConvertRefusedTitle = "xbin to pcd failed";
constexpr const char* kConvertFinishedTitle = "xbin to pcd finish";
constexpr const char* kConvertFailedTitleEnglish = "Conversion failed";
constexpr const char* kConvertFailedTitleChinese = "转换失败";
constexpr const char* kStorageTimeoutEnglish = "Waiting for storage timeout";
constexpr const char* kStorageTimeoutChinese = "等待存储超时";
constexpr const char* kSavePcdFailedLine = "savePCD failed: ";
constexpr const char* kPcdDirLine = "pcd dir = ";
constexpr const char* kPcdWrittenLine = "xbin2pcd = ";
constexpr const char* kImagesWrittenLine = "xbin2image = ";

}  // namespace Movoda::exporters

namespace Movoda::exporters {

// A failed single export says so, with the path and the reason.
constexpr const char* kPcdFailedTitle = "pcd file save failed";
constexpr const char* kCsvFailedTitle = "csv file save failed";
constexpr const char* kImageFailedTitle = "Image file save failed";

}  // namespace Movoda::exporters
