#include "CliArgs.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "CliConstants.h"

namespace vantory_cli {

namespace {

struct TypeName {
    const char* name;
    Movoda::ImageType type;
};
constexpr TypeName kTypeNames[] = {
    {"distance", Movoda::IMG_DISTANCE},      {"amplitude", Movoda::IMG_AMPLITUDE},
    {"grayscale", Movoda::IMG_GRAYSCALE},    {"cloud", Movoda::IMG_POINTCLOUD},
    {"cloudamp", Movoda::IMG_POINTCLOUDAMP},
};

// Whole decimal number within [low, high]; nothing else (no sign games, no trailing text).
std::optional<long> parseInteger(const std::string& text, long low, long high) {
    if (text.empty() || text.size() > 9) return std::nullopt;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
    }
    const long value = std::strtol(text.c_str(), nullptr, 10);
    if (value < low || value > high) return std::nullopt;
    return value;
}

std::optional<double> parseSeconds(const std::string& text) {
    if (text.empty()) return std::nullopt;
    errno = 0;
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (errno != 0 || end != text.c_str() + text.size() || !std::isfinite(value))
        return std::nullopt;
    if (value <= 0 || value > kMaxStreamSeconds) return std::nullopt;
    return value;
}

std::optional<ByteOrder> byteOrderFromName(const std::string& name) {
    if (name == "little") return ByteOrder::Little;
    if (name == "big") return ByteOrder::Big;
    if (name == "auto") return ByteOrder::Auto;
    return std::nullopt;
}

std::optional<Command> commandFromName(const std::string& name) {
    if (name == "info") return Command::Info;
    if (name == "stream") return Command::Stream;
    if (name == "snapshot") return Command::Snapshot;
    if (name == "firmware") return Command::Firmware;
    if (name == "record") return Command::Record;
    if (name == "convert") return Command::Convert;
    if (name == "stats") return Command::Stats;
    return std::nullopt;
}

// "x,y,w,h": four whole numbers, width and height at least 1.
bool parseRoi(const std::string& text, CliOptions& options) {
    std::istringstream in(text);
    std::string part;
    long values[4];
    int count = 0;
    while (std::getline(in, part, ',')) {
        if (count == 4) return false;
        const auto value = parseInteger(part, 0, kMaxRoiSide);
        if (!value) return false;
        values[count++] = *value;
    }
    if (count != 4 || values[2] == 0 || values[3] == 0) return false;
    options.roiX = static_cast<int>(values[0]);
    options.roiY = static_cast<int>(values[1]);
    options.roiWidth = static_cast<int>(values[2]);
    options.roiHeight = static_cast<int>(values[3]);
    return true;
}

ParsedArgs refuse(const std::string& why) {
    ParsedArgs result;
    result.error = why;
    return result;
}

}  // namespace

std::optional<Movoda::ImageType> imageTypeFromName(const std::string& name) {
    for (const TypeName& entry : kTypeNames) {
        if (name == entry.name) return entry.type;
    }
    return std::nullopt;
}

bool isConvertFormat(const std::string& name) {
    for (const char* format : kConvertFormats) {
        if (name == format) return true;
    }
    return false;
}

bool namesCamera(const std::vector<std::string>& positionals) {
    if (positionals.size() != 1) return false;
    const std::string& address = positionals.front();
    std::error_code error;
    if (std::filesystem::is_regular_file(address, error) ||
        std::filesystem::is_directory(address, error)) {
        return false;
    }
    bool dotted = !address.empty();
    for (char c : address) dotted = dotted && ((c >= '0' && c <= '9') || c == '.');
    return dotted || address.rfind("/dev/", 0) == 0;
}

bool isCloudType(Movoda::ImageType type) {
    return type == Movoda::IMG_POINTCLOUD || type == Movoda::IMG_POINTCLOUDAMP;
}

ParsedArgs parseArgs(const std::vector<std::string>& args) {
    CliOptions options;
    if (args.empty()) return refuse("no command given");
    for (const std::string& arg : args) {
        if (arg == "--help" || arg == "-h") {
            ParsedArgs result;
            result.options = CliOptions{};  // Command::Help
            return result;
        }
    }

    const std::optional<Command> command = commandFromName(args[0]);
    if (!command) return refuse("unknown command '" + args[0] + "'");
    options.command = *command;
    options.seconds = kDefaultStreamSeconds;
    if (options.command == Command::Snapshot) options.type = Movoda::IMG_POINTCLOUDAMP;

    bool seenType = false, seenFps = false, seenSeconds = false, seenPort = false, seenOut = false,
         seenOrder = false, seenFrames = false, seenTo = false, seenThreads = false;
    const bool converting = options.command == Command::Convert;
    const bool measuring = options.command == Command::Stats;
    bool seenRoi = false;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg.rfind("--", 0) != 0) {
            if (converting || measuring) {
                options.files.push_back(arg);
            } else if (options.address.empty()) {
                options.address = arg;
            } else if (options.command == Command::Firmware && options.firmwareFile.empty()) {
                options.firmwareFile = arg;
            } else {
                return refuse("unexpected argument '" + arg + "'");
            }
            continue;
        }
        if (arg == "--grayscale" && !converting && !measuring) {
            options.grayscale = true;
            continue;
        }
        if (i + 1 >= args.size()) return refuse("option " + arg + " needs a value");
        const std::string& value = args[++i];
        const bool streamOrRecord = arg == "--type" || arg == "--seconds" || arg == "--fps";
        if (streamOrRecord && options.command != Command::Stream &&
            options.command != Command::Record) {
            return refuse("option " + arg + " belongs to the stream and record commands");
        }
        const bool convertOnly = arg == "--to" || arg == "--threads";
        if (convertOnly != converting && arg != "--out") {
            return refuse(converting ? "convert takes no " + arg
                                     : "option " + arg + " belongs to the convert command");
        }
        if (arg == "--type") {
            const auto type = imageTypeFromName(value);
            if (!type || seenType) return refuse("bad or repeated --type '" + value + "'");
            options.type = *type;
            seenType = true;
        } else if (arg == "--fps") {
            const auto fps = parseInteger(value, kMinFps, kMaxFps);
            if (!fps || seenFps) return refuse("--fps takes a whole number from 1 to 50");
            options.fps = static_cast<int>(*fps);
            seenFps = true;
        } else if (arg == "--seconds") {
            const auto seconds = parseSeconds(value);
            if (!seconds || seenSeconds) return refuse("--seconds takes a positive number");
            options.seconds = *seconds;
            seenSeconds = true;
        } else if (arg == "--image-port") {
            if (options.command == Command::Info) return refuse("info takes no --image-port");
            const auto port = parseInteger(value, 1, kMaxImagePort);
            if (!port || seenPort) {
                return refuse("--image-port takes a port from 1 to " +
                              std::to_string(kMaxImagePort) +
                              " (cameras stream only to such ports)");
            }
            options.imagePort = static_cast<uint16_t>(*port);
            seenPort = true;
        } else if (arg == "--byte-order") {
            const auto order = byteOrderFromName(value);
            if (!order || seenOrder) return refuse("--byte-order takes little, big or auto");
            options.byteOrder = *order;
            seenOrder = true;
        } else if (arg == "--config") {
            if (options.command != Command::Stream && options.command != Command::Snapshot) {
                return refuse("--config belongs to stream and snapshot");
            }
            if (value.empty() || !options.configFile.empty()) return refuse("--config needs one FILE");
            options.configFile = value;
        } else if (arg == "--out") {
            if (options.command != Command::Snapshot && options.command != Command::Record &&
                !converting) {
                return refuse("--out belongs to snapshot, record and convert");
            }
            if (value.empty() || seenOut) return refuse("--out needs a directory");
            options.outDir = value;
            seenOut = true;
        } else if (arg == "--roi") {
            if (!measuring) return refuse("--roi belongs to stats");
            if (seenRoi || !parseRoi(value, options))
                return refuse("--roi takes x,y,width,height in pixels (width and height from 1)");
            seenRoi = true;
        } else if (arg == "--frames") {
            if (options.command != Command::Record && !measuring)
                return refuse("--frames belongs to record and stats");
            const auto frames = parseInteger(value, 1, kMaxRecordFrames);
            if (!frames || seenFrames) {
                return refuse("--frames takes a whole number from 1 to " +
                              std::to_string(kMaxRecordFrames));
            }
            options.frames = static_cast<int>(*frames);
            seenFrames = true;
        } else if (arg == "--to") {
            if (value.empty() || seenTo) return refuse("--to needs a format");
            options.toFormat = value;
            seenTo = true;
        } else if (arg == "--threads") {
            const auto threads = parseInteger(value, 1, kMaxConvertThreads);
            if (!threads || seenThreads) {
                return refuse("--threads takes a whole number from 1 to " +
                              std::to_string(kMaxConvertThreads));
            }
            options.threads = static_cast<unsigned>(*threads);
            seenThreads = true;
        } else {
            return refuse("unknown option '" + arg + "'");
        }
    }
    if (options.grayscale &&
        (options.command == Command::Info || options.command == Command::Firmware)) {
        return refuse("--grayscale belongs to stream, snapshot and record");
    }
    if (measuring) {
        if (options.files.empty()) return refuse("stats needs a camera ADDRESS or record FILES");
        if (namesCamera(options.files)) {
            options.address = options.files.front();
            options.files.clear();
            if (!seenFrames) options.frames = kDefaultStatsFrames;
        }
        ParsedArgs result;
        result.options = options;
        return result;
    }
    if (converting) {
        if (options.files.empty()) return refuse("convert needs the record FILES to convert");
        if (options.toFormat.empty()) return refuse("convert needs --to pcd|ply|png16|csv|jpg");
        if (!isConvertFormat(options.toFormat)) {
            return refuse("--to takes pcd, ply, png16, csv or jpg, not '" + options.toFormat + "'");
        }
        if (options.outDir.empty()) return refuse("convert needs --out DIR");
        ParsedArgs result;
        result.options = options;
        return result;
    }
    if (options.address.empty()) return refuse("no camera address given");
    if (options.command == Command::Firmware && options.firmwareFile.empty()) {
        return refuse("firmware needs the FILE to send");
    }
    if (options.command == Command::Snapshot && options.outDir.empty()) {
        return refuse("snapshot needs --out DIR");
    }
    if (options.command == Command::Record) {
        if (options.outDir.empty()) return refuse("record needs --out DIR");
        if (seenFrames == seenSeconds)
            return refuse("record needs either --frames N or --seconds S");
    }
    ParsedArgs result;
    result.options = options;
    return result;
}

std::string usageText() {
    return "Usage: vantory-cli COMMAND ADDRESS [OPTION]...\n"
           "Talks to one time-of-flight depth camera without a window: prints its\n"
           "information, streams and measures, saves a frame, records,\n"
           "converts recordings or updates its firmware.\n"
           "\n"
           "ADDRESS is the camera's IPv4 address (network) or its serial port, for example\n"
           "/dev/ttyACM0 (USB).\n"
           "\n"
           "Commands:\n"
           "  info ADDRESS          print the device information and configuration\n"
           "  stream ADDRESS        stream for S seconds (default 10) and print one JSON line\n"
           "                        of statistics per second and a summary line\n"
           "  snapshot ADDRESS      save one point-cloud frame as a binary PCD and its\n"
           "                        distances as CSV into the folder given with --out\n"
           "  firmware ADDRESS FILE send the firmware image FILE to the camera and wait until\n"
           "                        the camera reports that it has programmed it; progress\n"
           "                        goes to standard error\n"
           "  record ADDRESS        write N frames (--frames) or S seconds (--seconds) of frames\n"
           "                        as record files (.xbin), one per frame, into a new\n"
           "                        time-stamped folder inside --out: the files the viewer\n"
           "                        records; the folder is printed at the end\n"
           "  convert FILES...      convert record files (or every .xbin file of a folder) into\n"
           "                        --out, one output per file: binary PCD or PLY clouds, 16-bit\n"
           "                        PNG distances in millimetres (png16), CSV tables or JPEG\n"
           "                        pictures; progress and failed files go to standard error\n"
           "  stats ADDRESS|FILES...  measure N frames (--frames) of the camera, or record files\n"
           "                        (or every .xbin file of a folder), inside --roi and print\n"
           "                        one JSON line: per plane valid share, mean, median,\n"
           "                        standard deviation, min, max and temporal noise, and for a\n"
           "                        camera the link health\n"
           "\n"
           "Options:\n"
           "  --byte-order ORDER    the camera's byte order: little (default, current\n"
           "                        cameras), big (older cameras) or auto (detected while\n"
           "                        connecting)\n"
           "  --type TYPE           stream: distance (default), amplitude, grayscale, cloud\n"
           "                        or cloudamp\n"
           "  --fps N               stream, record: set the camera's frame rate (1..50)\n"
           "  --seconds S           stream, record: how long to stream\n"
           "  --frames N            record: stop after N frames; stats: measure N frames\n"
           "                        (default 50 from a camera, every file of recordings)\n"
           "  --roi X,Y,W,H         stats: the rectangle measured (default the whole frame)\n"
           "  --image-port P        stream, snapshot, firmware: the UDP port frames are sent\n"
           "                        to (default 7687, at most 9999)\n"
           "  --grayscale           stream, snapshot: add the grayscale plane to every frame\n"
           "  --out DIR             snapshot, record, convert: the output folder\n"
           "  --to FORMAT           convert: pcd, ply, png16, csv or jpg\n"
           "  --threads N           convert: files converted in parallel (default: one per\n"
           "                        processor)\n"
           "  --config FILE         stream, snapshot: first apply a configuration exported by\n"
           "                        the viewer (.mvcfg): HDR mode, integration times, minimum\n"
           "                        amplitude, frame rate (unless --fps is given), mirrors,\n"
           "                        corner cut and the depth filters\n"
           "  -h, --help            show this text and exit\n"
           "  --version             show the version and exit\n"
           "\n"
           "Exit codes: 0 done, 2 bad command line, 3 no connection, 4 camera command refused,\n"
           "5 no frame received, 6 output could not be written, 7 firmware file unusable,\n"
           "8 the camera reported a failed update or never reported, 9 interrupted,\n"
           "10 some files could not be converted.\n";
}

}  // namespace vantory_cli
