// A firmware image read from its file, checked before anything goes to the camera.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vantory::service {

enum class ImageProblem { None, NotAFile, Unreadable, Empty, TooLarge };

struct FirmwareImage {
    std::vector<uint8_t> bytes;
    ImageProblem problem = ImageProblem::None;
};

// Reads the whole file; a file larger than the transfer can address is refused without
// reading it.
FirmwareImage loadFirmwareImage(const std::string& path);

// Chunks of the transfer: the size divided by the chunk size, rounded up.
std::size_t firmwareChunkCount(std::size_t imageSize);

// True for an image that starts with the boot-loader mark.
bool skipsBootloaderEntry(const std::vector<uint8_t>& image);

}  // namespace vantory::service
