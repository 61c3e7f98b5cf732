// Everything the simulated camera can be told at start, and the command-line parser.
#pragma once

#include <cstdint>
#include <optional>
#include <set>
#include <string>

#include "CameraSettings.h"
#include "DatagramPlanner.h"
#include "Scene.h"

namespace camsim {

struct FaultOptions {
    DatagramFaults datagrams;
    double busyShare = 0;                  // share of commands answered "busy" without effect
    uint32_t responseDelayMs = 0;          // every answer waits this long
    std::set<uint8_t> mutedIds;            // requests with these ids are never answered
    double closeEverySeconds = 0;          // close the command link periodically (0: never)
    double stopAnsweringAfterSeconds = 0;  // go silent after this long (0: never)
};

struct SimOptions {
    // Where
    std::string bindAddress = "127.0.0.1";
    uint16_t commandPort = 7787;
    bool announce = true;
    std::string announceTarget;  // empty: 127.0.0.1 on loopback, else 255.255.255.255
    uint16_t announcePort = 7686;
    double announceIntervalSeconds = 1.0;
    std::string usbPath;  // non-empty: serve the command channel on a pseudo-terminal

    // What
    Identity identity;
    AcquisitionConfig config;
    bool legacy = false;
    std::string stateFile;

    // What it sees
    SceneOptions scene;
    double noise = 1.0;
    uint64_t seed = 1;

    // Stream
    uint16_t startSequence = 0;
    std::string replayDir;  // non-empty: stream this recording's frames instead of the scene
    double replayFps = 0;   // 0: at the recorded pace
    double imuRateHz = 0;

    // Maintenance timing
    double calibrationSeconds = 8.0;
    double bootloaderDelaySeconds = 1.0;
    double firmwareReportDelaySeconds = 3.0;
    uint8_t firmwareResult = 0;
    double resetPauseSeconds = 2.0;

    FaultOptions faults;
};

struct ParseResult {
    std::optional<SimOptions> options;  // empty on error or --help
    bool help = false;
    std::string error;
};

ParseResult parseOptions(int argc, char** argv);
std::string helpText();

}  // namespace camsim
