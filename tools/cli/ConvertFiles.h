// The inputs of vantory-cli convert and its progress line.
#pragma once

#include <chrono>
#include <ostream>
#include <string>
#include <vector>

namespace Movoda::exporters {
struct ConvertProgress;
}

namespace vantory_cli {

// Files as given; a directory stands for its ".xbin" files in the recorder's numbering
// order (2.xbin before 10.xbin). Entries that are neither go to `unusable`.
std::vector<std::string> expandRecordFiles(const std::vector<std::string>& entries,
                                           std::vector<std::string>& unusable);

// "converted 120/1000, 2 failed" on one line rewritten in place, at most every 100 ms
// and for the last file.
class ProgressLine {
public:
    explicit ProgressLine(std::ostream& out) : out_(out) {}
    void show(const Movoda::exporters::ConvertProgress& progress);
    // Ends the line when one was shown.
    void finish();

private:
    std::ostream& out_;
    std::chrono::steady_clock::time_point last_{};
    bool shown_ = false;
};

}  // namespace vantory_cli
