// Record files written the way the recorder writes them, from frame packets built byte by
// byte, for the exporter tests.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "FramePacketBuilder.h"
#include "records/RecordFormat.h"

namespace vantory_test {

struct TempDir {
    TempDir() {
        char pattern[] = "/tmp/vantory-export-XXXXXX";
        path = ::mkdtemp(pattern);
    }
    ~TempDir() { std::filesystem::remove_all(path); }
    std::string path;
};

// A distance + amplitude scene: a slanted wall with a few pixels the camera flags invalid.
inline PacketPlan wallPlan(uint16_t width = 320, uint16_t height = 240) {
    PacketPlan s;
    s.width = width;
    s.height = height;
    s.dataFlags = 3;
    s.distance.resize(s.pixels());
    s.amplitude.resize(s.pixels());
    for (size_t i = 0; i < s.pixels(); ++i) {
        s.distance[i] =
            i % 53 == 0 ? 64001 : static_cast<uint16_t>(900 + 3 * (i / width) + i % width);
        s.amplitude[i] = static_cast<uint16_t>(40 + i % 1900);
    }
    return s;
}

inline void writeRecordFileOf(const PacketPlan& plan, const std::string& path) {
    const auto frame = makeFrame(plan, buildInner(plan));
    const std::vector<uint8_t>& packet = frame->packet();
    Movoda::records::RecordFileLayout layout = Movoda::records::recordFileLayout(
        frame->version(), packet.data(), packet.size(), Movoda::LensParams{}, {});
    layout.header.insert(layout.header.end(),
                         packet.begin() + static_cast<std::ptrdiff_t>(layout.packetOffset),
                         packet.end());
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(layout.header.data()),
               static_cast<std::streamsize>(layout.header.size()));
}

}  // namespace vantory_test
