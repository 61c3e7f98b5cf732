// Names of exported and converted files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace Movoda::exporters {

enum class ConversionKind { Pcd, Images };

// The directory of the first file of a conversion, made absolute, followed by "_pcd" or
// "_img": a sibling of the recording's directory.
std::string conversionDirectory(const std::string& firstFile, ConversionKind kind);

// A converted frame is named by its time when the camera stamped it from GPS (time text)
// or PTP (date text), else by the file it came from; a time text shorter than two
// characters gives way to the file's position in the playback.
std::string convertedFrameName(uint8_t timeSource, const std::string& timeText,
                               const std::string& ptpDateText, const std::string& tag,
                               int playIndex);

// Output base names (without suffix) for the files of a batch: each file's base name
// without ".xbin"; files from different directories that share a base name are told
// apart by their directory's name ("rec1_0", "rec2_0"), and any name still taken gets
// "-2", "-3", ..., so that no output overwrites another one of the same batch.
std::vector<std::string> batchOutputNames(const std::vector<std::string>& files);

}  // namespace Movoda::exporters
