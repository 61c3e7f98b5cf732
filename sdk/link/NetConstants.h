// Ports, addresses and timings of the network link.
#pragma once

#include <cstddef>
#include <cstdint>

namespace Movoda::net {

constexpr uint16_t kCommandPort = 7787;
constexpr uint16_t kDefaultImagePort = 7687;
constexpr const char* kDefaultCameraAddress = "192.168.0.101";
constexpr const char* kMulticastGroup = "239.255.255.76";

constexpr int kConnectTimeoutMs = 3000;
constexpr int kConnectPollMs = 50;
constexpr int kConnectGiveUpPauseMs = 1000;  // after a timed-out connect
// A blocked read wakes this often so that a closing link or a stopping daemon is noticed.
constexpr int kReceivePollMs = 200;
constexpr std::size_t kTcpReadChunk = 64 * 1024;

constexpr int kUdpWantedReceiveBuffer = 8 * 1024 * 1024;
constexpr int kUdpMinimumReceiveBuffer = 2 * 1024 * 1024;

}  // namespace Movoda::net
