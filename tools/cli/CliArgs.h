// Command line of vantory-cli: sub-command, camera address and options.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "mvsdk/MvTypes.h"

namespace vantory_cli {

enum class Command { Help, Info, Stream, Snapshot, Firmware, Record, Convert, Stats };

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
    int frames = 0;  // record: stop after this many frames (0: by --seconds); stats: frames
    std::vector<std::string> files;  // convert, stats: record files and directories of them
    std::string toFormat;            // convert: pcd, ply, png16, csv or jpg
    unsigned threads = 0;            // convert: 0 is one per processor
    // stats: the rectangle measured (width or height 0: the whole frame)
    int roiX = 0, roiY = 0, roiWidth = 0, roiHeight = 0;
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
// stats: a single ADDRESS that names a camera (an IPv4 address, or a serial device that
// is not a record file or folder) rather than recordings.
bool namesCamera(const std::vector<std::string>& positionals);

}  // namespace vantory_cli
