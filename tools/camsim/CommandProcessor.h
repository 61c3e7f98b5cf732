// The camera's command logic: applies each request to the identity and configuration and
// says what to answer and what the server has to do afterwards. No sockets, no timers.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "CameraSettings.h"
#include "InfoLayouts.h"

namespace camsim {

enum class FollowUp {
    StartStream,       // begin sending frames
    StopStream,        // stop sending frames
    ResetLink,         // close the command link, accept a new one after a pause
    EnterBootloader,   // switch to the boot loader after a moment
    StartCalibration,  // run the calibration log sequence
    FirmwareDone,      // report the firmware result a few seconds later
};

struct Reply {
    bool answer = true;
    uint8_t status = 0;
    std::vector<uint8_t> payload;
    std::vector<FollowUp> followUps;
};

struct ProcessorSettings {
    Identity identity;
    AcquisitionConfig config;    // power-on and factory configuration
    bool legacy = false;         // older camera: big-endian payload numbers, older layouts
    std::string stateFile;       // where "save to device" writes; empty: nowhere
    uint8_t firmwareResult = 0;  // result code of a complete transfer
};

class CommandProcessor {
public:
    explicit CommandProcessor(ProcessorSettings settings);

    Reply handle(uint8_t id, const std::vector<uint8_t>& payload);

    Identity identity() const;
    AcquisitionConfig config() const;
    StreamDestination destination() const;
    uint8_t devState() const;
    void setDevState(uint8_t state);
    bool streaming() const;
    void setStreaming(bool on);  // server side changes (reset, boot loader)
    void setConfig(const AcquisitionConfig& config);
    // Result code of the last finished firmware transfer (1 "size" when it was incomplete).
    uint8_t firmwareResult() const;
    bool calibrationAllFrequencies() const;
    bool legacy() const { return settings_.legacy; }

private:
    Reply handleLocked(uint8_t id, const std::vector<uint8_t>& p);
    Reply handleSelector(const std::vector<uint8_t>& p);
    Reply handleFirmware(const std::vector<uint8_t>& p);
    uint16_t u16(const uint8_t* at) const;
    uint32_t u32(const uint8_t* at) const;

    mutable std::mutex mutex_;
    ProcessorSettings settings_;
    Identity identity_;
    AcquisitionConfig config_;
    StreamDestination destination_;
    uint8_t devState_ = 2;
    bool streaming_ = false;
    bool calibrationReady_ = false;
    bool calibrateAll_ = false;
    bool macUnlocked_ = false;
    // Firmware transfer in progress.
    bool firmwareOpen_ = false;
    uint32_t firmwareSize_ = 0;
    uint32_t firmwareReceived_ = 0;
    uint32_t firmwareNextChunk_ = 0;
    uint8_t firmwareResult_ = 0;
};

}  // namespace camsim
