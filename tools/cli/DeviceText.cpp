#include "DeviceText.h"

#include <cstdio>

namespace vantory_cli {

namespace {

template <size_t N>
std::string dotted(const std::array<uint8_t, N>& bytes) {
    std::string text;
    for (size_t i = 0; i < N; ++i) {
        if (i != 0) text += '.';
        text += std::to_string(bytes[i]);
    }
    return text;
}

template <typename T, size_t N>
std::string list(const std::array<T, N>& values) {
    std::string text;
    for (size_t i = 0; i < N; ++i) {
        if (i != 0) text += ' ';
        text += std::to_string(values[i]);
    }
    return text;
}

std::string line(const char* name, const std::string& value) { return std::string(name) + ": " + value; }

std::string fixed(float value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.6f", static_cast<double>(value));
    return text;
}

}  // namespace

std::string dottedText(const std::array<uint8_t, 4>& bytes) { return dotted(bytes); }

std::string macText(const std::array<uint8_t, 6>& mac) {
    char text[18];
    std::snprintf(text, sizeof text, "%02X-%02X-%02X-%02X-%02X-%02X", mac[0], mac[1], mac[2],
                  mac[3], mac[4], mac[5]);
    return text;
}

std::vector<std::string> devInfoLines(const Movoda::DevInfo& info) {
    return {
        line("serial", info.sn),
        line("firmware", info.fwVersion),
        line("boot", info.bootVersion),
        line("ip", dotted(info.ip)),
        line("netmask", dotted(info.netmask)),
        line("gateway", dotted(info.gateway)),
        line("mac", macText(info.mac)),
        line("id", info.idText),
        line("calibrated", list(info.isCalibrated)),
        line("stream destination", dotted(info.udpDestIp) + ":" + std::to_string(info.udpDestPort)),
        line("status", std::to_string(info.statusA)),
        line("factory flags", std::to_string(info.factoryFlags)),
    };
}

std::vector<std::string> devConfigLines(const Movoda::DevConfig& c) {
    return {
        line("image type", Movoda::imageTypeName(c.imageType)),
        line("modulation", Movoda::modulationFreqName(c.modFreq)),
        line("hdr", Movoda::hdrModeName(c.hdrMode)),
        line("integration times us", list(c.intTime)),
        line("grayscale integration us", std::to_string(c.intTimeGs)),
        line("min amplitude", std::to_string(c.minAmplitude)),
        line("max fps", std::to_string(c.maxFps)),
        line("max fps limit", std::to_string(c.maxFpsLimit)),
        line("binning", std::to_string(c.binningH) + " " + std::to_string(c.binningV)),
        line("frequency codes", list(c.freqCode)),
        line("record version", std::to_string(c.recordVersion)),
    };
}

std::vector<std::string> lensLines(const Movoda::LensParams& lens) {
    return {line("lens fx fy cx cy", fixed(lens.fx) + " " + fixed(lens.fy) + " " + fixed(lens.cx) +
                                          " " + fixed(lens.cy)),
            line("lens k1 k2 k3 p1 p2", fixed(lens.k1) + " " + fixed(lens.k2) + " " +
                                            fixed(lens.k3) + " " + fixed(lens.p1) + " " +
                                            fixed(lens.p2))};
}

}  // namespace vantory_cli
