#include "records/PlayedConfig.h"

#include "frame/ByteReader.h"
#include "frame/FrameLayout.h"

namespace Movoda::records {

namespace fl = frame_layout;

namespace {
constexpr size_t kOptionFlagsAt = 192;
constexpr uint8_t kLensOptionBits = 0x11;  // bits 0 and 4 both set
constexpr size_t kFrameRateAt = 127;
}  // namespace

bool PlayedConfig::operator==(const PlayedConfig& o) const {
    return model == o.model && lensOption == o.lensOption && intTimes == o.intTimes &&
           grayIntTime == o.grayIntTime && minAmplitude == o.minAmplitude && maxFps == o.maxFps &&
           hdrMode == o.hdrMode && modFreqIndex == o.modFreqIndex && freqCodes == o.freqCodes;
}

PlayedConfig configFromRecordInfo(const RecordInfo& info) {
    PlayedConfig c;
    c.model = info.serial;
    for (size_t k = 0; k < info.intTimes.size(); ++k) c.intTimes[k] = info.intTimes[k];
    c.grayIntTime = info.grayIntTime;
    c.minAmplitude = info.minAmplitude;
    c.maxFps = info.maxFps;
    c.hdrMode = info.hdrIndex;
    c.modFreqIndex = info.modFreqIndex;
    return c;
}

PlayedConfig configFromInfoBlock(const uint8_t* block) {
    PlayedConfig c;
    for (size_t k = 0; k < fl::kInfoModelSize;
         ++k) {  // zero bytes inside are skipped, as the decoder does
        if (block[fl::kInfoModelAt + k] != 0)
            c.model.push_back(static_cast<char>(block[fl::kInfoModelAt + k]));
    }
    c.lensOption = (block[kOptionFlagsAt] & kLensOptionBits) == kLensOptionBits;
    for (size_t k = 0; k < c.intTimes.size(); ++k) {
        c.intTimes[k] = bytes::le16(block + fl::kInfoIntTimesAt + 2 * k);
        c.freqCodes[k] = block[fl::kInfoFreqCodesAt + k];
    }
    c.grayIntTime = bytes::le16(block + fl::kInfoGrayIntTimeAt);
    c.minAmplitude = bytes::le16(block + fl::kInfoMinAmplitudeAt);
    c.maxFps = block[kFrameRateAt];
    c.hdrMode = block[fl::kInfoHdrModeAt];
    return c;
}

}  // namespace Movoda::records
