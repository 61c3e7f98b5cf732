#include <string>

#include "CliConstants.h"
#include "SnapshotFiles.h"

namespace vantory_cli {

bool writeDistanceCsv(std::ostream& out, const uint32_t* distances, size_t count, uint16_t width,
                      uint16_t height) {
    const size_t pixels = static_cast<size_t>(width) * height;
    if (distances == nullptr || pixels == 0 || count < pixels) return false;
    std::string row;
    for (uint16_t y = 0; y < height; ++y) {
        row.clear();
        const uint32_t* line = distances + static_cast<size_t>(y) * width;
        for (uint16_t x = 0; x < width; ++x) {
            if (x != 0) row += ',';
            row += std::to_string(line[x] >= kCsvInvalidDistanceFrom ? 0u : line[x]);
        }
        row += '\n';
        out << row;
    }
    out.flush();
    return static_cast<bool>(out);
}

}  // namespace vantory_cli
