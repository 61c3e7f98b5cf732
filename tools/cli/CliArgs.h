// Command line of vantory-cli: sub-command, camera address and options.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "mvsdk/MvTypes.h"

namespace vantory_cli {

enum class Command { Help, Info, Stream, Snapshot, Firmware, Record, Convert };

// Byte order of the camera's length fields and payload numbers: fixed, or detected by
// the SDK (older cameras are big-endian).
enum class ByteOrder { Little, Big, Auto };

struct CliOptions {
    Command command = Command::Help;
    std::string address;  // IPv4 text or serial-port name
    Movoda::ImageType type = Movoda::IMG_DISTANCE;
    int fps = 0;  // 0: leave the camera's rate as it is
    double seconds = 0;
    uint16_t imagePort = 0;  // 0: the SDK's default port
    ByteOrder byteOrder = ByteOrder::Little;
    bool grayscale = false;  // ask the camera for the grayscale plane as well
    std::string outDir;
    std::string firmwareFile;  // firmware: the image to send
    std::string configFile;    // stream, snapshot: a .mvcfg applied before streaming
    int frames = 0;                  // record: stop after this many frames (0: by --seconds)
    std::vector<std::string> files;  // convert: record files and directories of them
    std::string toFormat;            // convert: pcd, ply, png16, csv or jpg
    unsigned threads = 0;            // convert: 0 is one per processor
};

struct ParsedArgs {
    std::optional<CliOptions> options;  // empty on error
    std::string error;                  // why the command line was refused
};

// args excludes the program name.
ParsedArgs parseArgs(const std::vector<std::string>& args);
std::string usageText();

// "distance", "amplitude", "grayscale", "cloud", "cloudamp"; empty for anything else.
std::optional<Movoda::ImageType> imageTypeFromName(const std::string& name);
bool isCloudType(Movoda::ImageType type);
// One of the formats convert writes.
bool isConvertFormat(const std::string& name);

}  // namespace vantory_cli
