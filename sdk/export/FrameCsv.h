// A frame's tables as CSV text: a title line with the column indices, then one line per
// row (the row index, then every value, each followed by a comma). Distance and amplitude
// frames add the amplitude table after four empty lines, titled on its first row's line.
#pragma once

#include <ostream>
#include <string>

namespace Movoda {
class Frame;
}

namespace Movoda::exporters {

// Which tables a frame's CSV holds, by its data kind: distance and amplitude (kind 0),
// distance (kind 1), grayscale (kind 3), other kinds every plane; of those, the planes
// the frame's flags say it carries.
struct CsvTables {
    bool distance = false;
    bool amplitude = false;
    bool grayscale = false;
    bool any() const { return distance || amplitude || grayscale; }
};
CsvTables csvTablesOf(const Frame& frame);

// False, with `why`, when the frame holds no table or the stream failed.
bool writeFrameCsv(std::ostream& out, const Frame& frame, std::string& why);
// Creates (or replaces) the file; false, with `why`, when it cannot be written in full.
bool writeFrameCsvFile(const std::string& path, const Frame& frame, std::string& why);

}  // namespace Movoda::exporters
