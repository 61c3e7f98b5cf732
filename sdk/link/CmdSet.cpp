#include "link/CmdSet.h"

namespace Movoda {

uint32_t defaultTimeoutMs(uint8_t cmdId) {
    using namespace cmd;
    switch (cmdId) {
        case kLinkCheck:
        case kStart:
        case kStop:
        case kSetIp:
        case kGetDevConfig:
        case kSetIntTimes:
        case kSetMinAmplitude:
        case kSetHdrMode:
        case kResetDev:
        case kRestoreFactory:
        case kSetUdpDestIp:
        case kSaveConfig:
        case kSetRoi:
        case kSetModFreq:
        case kSetMaxFps:
            return timeout::kShortMs;
        case kGetDevInfo:
            return timeout::kDevInfoMs;
        case kFirmwareTransfer:
            return timeout::kFirmwareChunkMs;
        case kSetTempCoefficient:
        case kWriteLensParams:
        case kWriteImuExtrinsic:
            return timeout::kLongWriteMs;
        default:
            return timeout::kMediumMs;
    }
}

const char* cmdStatusName(uint32_t status) {
    switch (status) {
        case CMD_OK:
            return "ok";
        case CMD_UNSUPPORT:
            return "unsupport";
        case CMD_BUSY:
            return "busy";
        case CMD_REJECT:
            return "reject";
        case CMD_REPORT:
            return "report";
        case CMD_FORMAT:
            return "format";
        case CMD_DATA:
            return "data";
        case CMD_TIMEOUT:
            return "timeout";
        case CMD_INVALID:
            return "invalid";
        default:
            return "Unknow";
    }
}

}  // namespace Movoda
