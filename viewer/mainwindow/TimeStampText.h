// Time-stamp texts of one frame: the ten-character time text, the PTP date and file
// time, the sub-frame timing line and the PTP offset line. Built on the frame thread
// into fixed buffers, so a frame costs no allocation.
#pragma once

#include <array>
#include <cstdint>

namespace Movoda {
class Frame;
}

namespace vantory::framepath {

// What the texts are made of, taken from one frame.
struct StampInput {
    std::uint8_t version = 0;
    std::uint8_t timeType = 0;
    std::uint8_t locked = 0;
    std::uint64_t timeSec = 0;    // header versions below 3
    std::uint32_t timeNsec = 0;
    std::uint8_t subFrameMask = 0;
    std::array<std::uint64_t, 5> subFrameMs{};  // header version 3 and above
    std::uint8_t dataFlags = 0;
    std::uint16_t dataKind = 0;
    std::uint64_t frameId = 0;
    bool hasDistanceScale = false;
    std::uint8_t distanceScale = 0;
    std::uint8_t alignFirst = 0;
    std::uint8_t alignSecond = 0;
    std::uint32_t ptpOffsetUs = 0;
};

StampInput stampInputOf(const Movoda::Frame& frame);

// How a frame changes the sub-frame timing line.
enum class LineUpdate { Clear, Keep, Set };

struct StampTexts {
    std::array<char, 11> timeText{};     // ten characters and a terminator
    std::array<char, 32> ptpDateText{};  // "yy-MM-dd hh:mm:ss.mmm", PTP frames only
    std::array<char, 16> fileTimeText{}; // "hhmmss.mmm", PTP frames only
    bool ptp = false;                    // the date and file texts were written
    LineUpdate subFrameUpdate = LineUpdate::Clear;
    std::array<char, 160> subFrameLine{};
    bool ptpLineUpdated = false;         // false: the offset line keeps its text
    std::array<char, 48> ptpLine{};
};

// Fills texts from input. Never writes past the buffers.
void buildStampTexts(const StampInput& input, StampTexts& texts);

// Index of the sub-frame whose time stamps the frame: the lowest set bit among the
// four low bits of the mask, 0 when none is set.
int referenceSubFrame(std::uint8_t mask);

}  // namespace vantory::framepath
