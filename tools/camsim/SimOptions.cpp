#include "SimOptions.h"

#include <cstdlib>
#include <functional>
#include <map>
#include <sstream>
#include <vector>

#include "CamsimConstants.h"

namespace camsim {
namespace {

const char* const kKnownModels[] = {"R300LITE", "R300PLUS",  "K150LITE", "K150PLUS",
                                    "K150APEX", "K150SUPRA", "K75ANY",   "K75LITE",
                                    "K75PLUS",  "K75APEX",   "R150LITE", "R150PLUS"};

bool toDouble(const std::string& s, double& out) {
    char* end = nullptr;
    out = std::strtod(s.c_str(), &end);
    return !s.empty() && end && *end == '\0';
}

bool toUnsigned(const std::string& s, unsigned long max, unsigned long& out) {
    if (s.empty() || s[0] == '-') return false;
    char* end = nullptr;
    out = std::strtoul(s.c_str(), &end, 0);
    return end && *end == '\0' && out <= max;
}

bool toShare(const std::string& s, double& out) {
    return toDouble(s, out) && out >= 0 && out <= 1;
}

bool toFloats(const std::string& s, size_t count, std::vector<float>& out) {
    out.clear();
    std::stringstream in(s);
    std::string item;
    while (std::getline(in, item, ',')) {
        double v;
        if (!toDouble(item, v)) return false;
        out.push_back(float(v));
    }
    return out.size() == count;
}

bool toMac(const std::string& s, std::array<uint8_t, 6>& mac) {
    unsigned b[6];
    char tail;
    if (std::sscanf(s.c_str(), "%2x%*1[-:]%2x%*1[-:]%2x%*1[-:]%2x%*1[-:]%2x%*1[-:]%2x%c", &b[0],
                    &b[1], &b[2], &b[3], &b[4], &b[5], &tail) != 6) {
        return false;
    }
    for (int i = 0; i < 6; ++i) mac[size_t(i)] = uint8_t(b[i]);
    return true;
}

bool toIdList(const std::string& s, std::set<uint8_t>& ids) {
    std::stringstream in(s);
    std::string item;
    while (std::getline(in, item, ',')) {
        unsigned long v;
        if (!toUnsigned(item, 255, v)) return false;
        ids.insert(uint8_t(v));
    }
    return !ids.empty();
}

bool knownModel(const std::string& m) {
    for (const char* k : kKnownModels) {
        if (m == k) return true;
    }
    return false;
}

}  // namespace

std::string helpText() {
    std::ostringstream o;
    o << "Usage: vantory-camsim [options]\n"
         "A software time-of-flight camera: answers the command protocol on TCP port 7787\n"
         "(or a pseudo-terminal), streams 320x240 depth frames over UDP and announces itself.\n"
         "\nWhere:\n"
         "  --bind ADDR              listen address (default 127.0.0.1)\n"
         "  --port N                 command port (default 7787)\n"
         "  --no-announce            send no announcements\n"
         "  --announce-target ADDR   announcement destination (default 127.0.0.1 on loopback,\n"
         "                           255.255.255.255 otherwise)\n"
         "  --announce-port N        announcement port (default 7686)\n"
         "  --usb PATH               serve the command channel on a pseudo-terminal and link\n"
         "                           PATH to it (for example /dev/ttyACM7); frames then travel\n"
         "                           as command-id 251 packets on the same stream\n"
         "\nIdentity:\n"
         "  --model NAME             K150PLUS (default), R300LITE, R300PLUS, K150LITE, K150APEX,\n"
         "                           K150SUPRA, K75ANY, K75LITE, K75PLUS, K75APEX, R150LITE,\n"
         "                           R150PLUS\n"
         "  --serial TEXT            serial number (default M<model>24110007)\n"
         "  --firmware TEXT          firmware version (default V2.5.3_20241101)\n"
         "  --fps-limit N            highest frame rate accepted and reported (default 50)\n"
         "  --boot TEXT              boot loader version (default BOOT_V1.2.0)\n"
         "  --mac XX-XX-XX-XX-XX-XX  MAC address\n"
         "  --ip ADDR --mask ADDR --gateway ADDR   reported network settings (ip defaults to\n"
         "                           the bind address)\n"
         "  --lens fx,fy,cx,cy,k1,k2,k3,p1,p2      lens parameters\n"
         "  --imu-extrinsic qw,qx,qy,qz,tx,ty,tz   IMU extrinsic\n"
         "  --legacy                 older camera: big-endian lengths, older layouts\n"
         "  --state-file PATH        where 'save to device' keeps the configuration\n"
         "\nScene and stream:\n"
         "  --scene wall|room|steps  what the camera sees (default wall)\n"
         "  --all-planes             power on with the grayscale and raw DCS planes streamed\n"
         "  --distance M             wall distance in metres (default 1.5)\n"
         "  --reflectivity R         wall reflectivity 0..1 (default 0.5)\n"
         "  --noise S                distance noise scale, 0 for exact distances (default 1)\n"
         "  --seed N                 seed of noise and faults (default 1)\n"
         "  --fps N                  power-on frame rate, 1..50 (default 10)\n"
         "  --start-sequence N       first frame sequence number (default 0)\n"
         "  --imu-rate HZ            IMU reports per second (default 0: none)\n"
         "  --replay DIR             stream the frames of a recording (the record files of DIR\n"
         "                           in their numbering order, looping) instead of the scene;\n"
         "                           the camera's answers stay the simulator's\n"
         "  --replay-fps F           replay at F frames a second (default: the recorded pace)\n"
         "\nMaintenance:\n"
         "  --calibration-seconds S  length of a calibration run (default 8)\n"
         "  --bootloader-delay S     time to enter the boot loader (default 1)\n"
         "  --firmware-report-delay S  time from transfer end to result report (default 3)\n"
         "  --firmware-result N      result code of a firmware update (default 0)\n"
         "  --reset-pause S          time the command port stays closed after a reset (default 2)\n"
         "\nFaults:\n"
         "  --drop P --reorder P --duplicate P --corrupt P   shares 0..1 of image datagrams\n"
         "  --delay-ms N             delay every answer\n"
         "  --busy P                 share of commands answered 'busy'\n"
         "  --mute-ids A,B,...       never answer these command ids\n"
         "  --close-every S          close the command link every S seconds\n"
         "  --stop-after S           stop answering after S seconds\n"
         "\n  --help                   this text\n"
         "  --version                the version\n"
         "\nCounters of what was sent and injected are printed on exit and on SIGUSR1.\n";
    return o.str();
}

ParseResult parseOptions(int argc, char** argv) {
    ParseResult result;
    SimOptions o;
    bool ipGiven = false;
    std::string error;

    using Setter = std::function<bool(const std::string&)>;
    auto number = [](double& target, double lo, double hi) {
        return [&target, lo, hi](const std::string& v) {
            double d;
            if (!toDouble(v, d) || d < lo || d > hi) return false;
            target = d;
            return true;
        };
    };
    auto share = [](double& target) {
        return [&target](const std::string& v) { return toShare(v, target); };
    };
    auto text = [](std::string& target, size_t max) {
        return [&target, max](const std::string& v) {
            if (v.empty() || v.size() > max) return false;
            target = v;
            return true;
        };
    };
    auto address = [](std::array<uint8_t, 4>& target) {
        return [&target](const std::string& v) { return parseIp(v, target); };
    };
    double fpsLimit = o.identity.fpsLimit;
    double fps = o.config.maxFps, port = o.commandPort, announcePort = o.announcePort;
    double startSequence = 0, seed = double(o.seed), firmwareResult = 0, delayMs = 0;
    std::string lensText, imuText, macValue;

    const std::map<std::string, Setter> withValue = {
        {"--bind",
         [&](const std::string& v) {
             std::array<uint8_t, 4> ip;
             if (!parseIp(v, ip)) return false;
             o.bindAddress = v;
             return true;
         }},
        {"--port", number(port, 1, 65535)},
        {"--announce-target",
         [&](const std::string& v) {
             std::array<uint8_t, 4> ip;
             o.announceTarget = v;
             return parseIp(v, ip);
         }},
        {"--announce-port", number(announcePort, 1, 65535)},
        {"--usb", text(o.usbPath, 4096)},
        {"--model",
         [&](const std::string& v) {
             if (!knownModel(v)) return false;
             o.identity.model = v;
             return true;
         }},
        {"--serial", text(o.identity.serial, 28)},
        {"--firmware", text(o.identity.firmware, 17)},
        {"--boot", text(o.identity.boot, 13)},
        {"--mac", [&](const std::string& v) { return toMac(v, o.identity.mac); }},
        {"--ip",
         [&](const std::string& v) {
             ipGiven = true;
             return parseIp(v, o.identity.ip);
         }},
        {"--mask", address(o.identity.netmask)},
        {"--gateway", address(o.identity.gateway)},
        {"--lens",
         [&](const std::string& v) {
             std::vector<float> f;
             if (!toFloats(v, 9, f) || f[0] <= 0 || f[1] <= 0) return false;
             o.identity.lens = {f[0], f[1], f[2], f[3], f[4], f[5], f[6], f[7], f[8]};
             return true;
         }},
        {"--imu-extrinsic",
         [&](const std::string& v) {
             std::vector<float> f;
             if (!toFloats(v, 7, f)) return false;
             std::copy(f.begin(), f.end(), o.identity.imu.values.begin());
             return true;
         }},
        {"--state-file", text(o.stateFile, 4096)},
        {"--scene",
         [&](const std::string& v) {
             o.scene.name = v;
             return isKnownScene(v);
         }},
        {"--distance", number(o.scene.distance, 0.05, 1000)},
        {"--reflectivity", number(o.scene.reflectivity, 0, 1)},
        {"--noise", number(o.noise, 0, 100)},
        {"--seed", number(seed, 0, 9007199254740992.0)},
        {"--fps", number(fps, 1, kMaxFrameRate)},
        {"--fps-limit", number(fpsLimit, 1, kMaxFrameRate)},
        {"--start-sequence", number(startSequence, 0, 65535)},
        {"--replay", text(o.replayDir, 4096)},
        {"--replay-fps", number(o.replayFps, 0.1, kMaxFrameRate)},
        {"--imu-rate", number(o.imuRateHz, 0, 1000)},
        {"--calibration-seconds", number(o.calibrationSeconds, 0.1, 3600)},
        {"--bootloader-delay", number(o.bootloaderDelaySeconds, 0, 60)},
        {"--firmware-report-delay", number(o.firmwareReportDelaySeconds, 0, 60)},
        {"--firmware-result", number(firmwareResult, 0, 255)},
        {"--reset-pause", number(o.resetPauseSeconds, 0, 60)},
        {"--drop", share(o.faults.datagrams.drop)},
        {"--reorder", share(o.faults.datagrams.reorder)},
        {"--duplicate", share(o.faults.datagrams.duplicate)},
        {"--corrupt", share(o.faults.datagrams.corrupt)},
        {"--delay-ms", number(delayMs, 0, 60000)},
        {"--busy", share(o.faults.busyShare)},
        {"--mute-ids", [&](const std::string& v) { return toIdList(v, o.faults.mutedIds); }},
        {"--close-every", number(o.faults.closeEverySeconds, 0, 86400)},
        {"--stop-after", number(o.faults.stopAnsweringAfterSeconds, 0, 86400)},
    };

    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            result.help = true;
            return result;
        }
        if (arg == "--no-announce") {
            o.announce = false;
            continue;
        }
        if (arg == "--legacy") {
            o.legacy = true;
            continue;
        }
        if (arg == "--all-planes") {
            o.config.grayscalePlane = o.config.rawDcsPlane = true;
            continue;
        }
        std::string value;
        const auto eq = arg.find('=');
        if (eq != std::string::npos) {
            value = arg.substr(eq + 1);
            arg = arg.substr(0, eq);
        }
        const auto it = withValue.find(arg);
        if (it == withValue.end()) {
            result.error = "unknown option " + arg;
            return result;
        }
        if (eq == std::string::npos) {
            if (i + 1 >= argc) {
                result.error = "option " + arg + " needs a value";
                return result;
            }
            value = argv[++i];
        }
        if (!it->second(value)) {
            result.error = "bad value for " + arg + ": " + value;
            return result;
        }
    }
    o.config.maxFps = uint8_t(fps);
    o.identity.fpsLimit = uint8_t(fpsLimit);
    o.commandPort = uint16_t(port);
    o.announcePort = uint16_t(announcePort);
    o.startSequence = uint16_t(startSequence);
    o.seed = uint64_t(seed);
    o.firmwareResult = uint8_t(firmwareResult);
    o.faults.responseDelayMs = uint32_t(delayMs);
    if (!ipGiven) parseIp(o.bindAddress, o.identity.ip);
    if (o.identity.serial.empty()) o.identity.serial = defaultSerial(o.identity.model);
    result.options = o;
    return result;
}

}  // namespace camsim
