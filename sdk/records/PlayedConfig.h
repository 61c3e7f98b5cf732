// The camera configuration that played-back frames carry: the settings block of a
// version-2 record file, or the information block of a newer frame. The viewer shows it
// (model name and controls) while playing.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "records/RecordFormat.h"

namespace Movoda::records {

struct PlayedConfig {
    std::string model;        // serial number text (version 2) or model text
    bool lensOption = false;  // option flags mark a camera with the lens option
    std::array<uint16_t, 5> intTimes{};
    uint16_t grayIntTime = 0;
    uint16_t minAmplitude = 0;
    uint8_t maxFps = 0;
    uint8_t hdrMode = 0;
    uint8_t modFreqIndex = 0;            // version 2 only
    std::array<uint8_t, 5> freqCodes{};  // information block only

    bool operator==(const PlayedConfig& o) const;
    bool operator!=(const PlayedConfig& o) const { return !(*this == o); }
};

PlayedConfig configFromRecordInfo(const RecordInfo& info);
// `block` holds the 206 bytes of a frame's information block.
PlayedConfig configFromInfoBlock(const uint8_t* block);

}  // namespace Movoda::records
