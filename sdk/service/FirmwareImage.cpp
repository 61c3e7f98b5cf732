#include "FirmwareImage.h"

#include <filesystem>
#include <fstream>
#include <system_error>

#include "ServiceConstants.h"

namespace vantory::service {

FirmwareImage loadFirmwareImage(const std::string& path) {
    FirmwareImage image;
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) {
        image.problem = ImageProblem::NotAFile;
        return image;
    }
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    if (error) {
        image.problem = ImageProblem::Unreadable;
        return image;
    }
    if (size == 0) {
        image.problem = ImageProblem::Empty;
        return image;
    }
    if (size > kFirmwareMaxImageSize) {
        image.problem = ImageProblem::TooLarge;
        return image;
    }
    std::ifstream in(path, std::ios::binary);
    image.bytes.resize(static_cast<std::size_t>(size));
    if (!in || !in.read(reinterpret_cast<char*>(image.bytes.data()),
                        static_cast<std::streamsize>(image.bytes.size()))) {
        // Unopenable, or shorter than it said a moment ago.
        image.bytes.clear();
        image.problem = ImageProblem::Unreadable;
    }
    return image;
}

std::size_t firmwareChunkCount(std::size_t imageSize) {
    return (imageSize + kFirmwareChunkSize - 1) / kFirmwareChunkSize;
}

bool skipsBootloaderEntry(const std::vector<uint8_t>& image) {
    if (image.size() < 4) return false;
    const uint32_t head = uint32_t(image[0]) | uint32_t(image[1]) << 8 | uint32_t(image[2]) << 16 |
                          uint32_t(image[3]) << 24;
    return head == kFirmwareBootloaderMark;
}

}  // namespace vantory::service
