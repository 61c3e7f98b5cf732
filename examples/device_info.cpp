// Prints the identity, network settings and acquisition configuration of one camera.
//
//   device_info ADDRESS     ADDRESS: the camera's IPv4 address, or its serial port
//                           such as /dev/ttyACM0 (for a USB camera known by its serial
//                           number: $(readlink -f /dev/vantory-<serial>))
#include <cstdio>
#include <string>

#include "CameraConnection.h"

namespace {

std::string dotted(const std::array<uint8_t, 4>& a) {
    return std::to_string(a[0]) + "." + std::to_string(a[1]) + "." + std::to_string(a[2]) + "." +
           std::to_string(a[3]);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "Usage: %s ADDRESS\n", argv[0]);
        return 2;
    }
    CameraConnection camera;
    if (!camera.connect(argv[1], 7687, std::chrono::seconds(10))) {
        std::fprintf(stderr, "no camera answered at %s\n", argv[1]);
        return 1;
    }

    Movoda::DevInfo info;
    Movoda::DevConfig config;
    if (!camera.sdk().getDevInfo(info) || !camera.sdk().getDevConfig(config)) {
        std::fprintf(stderr, "the camera did not return its information\n");
        return 1;
    }
    const auto& m = info.mac;
    std::printf("serial number     %s\n", info.sn.c_str());
    std::printf("firmware          %s\n", info.fwVersion.c_str());
    std::printf("boot loader       %s\n", info.bootVersion.c_str());
    std::printf("address           %s mask %s gateway %s\n", dotted(info.ip).c_str(),
                dotted(info.netmask).c_str(), dotted(info.gateway).c_str());
    std::printf("MAC               %02X-%02X-%02X-%02X-%02X-%02X\n", m[0], m[1], m[2], m[3], m[4],
                m[5]);
    std::printf("images go to      %s:%u\n", dotted(info.udpDestIp).c_str(), info.udpDestPort);
    std::printf("image type        %s\n", Movoda::imageTypeName(config.imageType));
    std::printf("modulation        %s\n", Movoda::modulationFreqName(config.modFreq));
    std::printf("HDR               %s\n", Movoda::hdrModeName(config.hdrMode));
    std::printf("integration (us)  %u %u %u %u %u, grayscale %u\n", config.intTime[0],
                config.intTime[1], config.intTime[2], config.intTime[3], config.intTime[4],
                config.intTimeGs);
    std::printf("frame rate        %u fps (at most %u)\n", config.maxFps, config.maxFpsLimit);
    std::printf("state             %s\n", camera.sdk().getStateString().c_str());
    return 0;
}
