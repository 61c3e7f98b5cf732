// The transport interface of the command channel and the image stream. The daemon owns
// one network and one USB transport and drives them from its threads.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

namespace Movoda {

class Commnunication {
public:
    Commnunication() = default;
    virtual ~Commnunication() = default;
    Commnunication(const Commnunication&) = delete;
    Commnunication& operator=(const Commnunication&) = delete;

    // Opens the command channel; true when it is open.
    virtual bool connect() = 0;
    // Closes the command channel; never fails.
    virtual void disconnect() = 0;
    virtual bool openUdp(uint16_t port) = 0;
    virtual void closeUdp() = 0;
    // Writes one whole packet.
    virtual bool transmitPackage(const std::vector<uint8_t>& bytes) = 0;
    // One packet's inner bytes (id .. trailer type); false when none is available yet.
    virtual bool receivePackage(std::vector<uint8_t>& out) = 0;
    // One reassembled frame or IMU report from the image stream.
    virtual bool udpReceiveFrame(std::vector<uint8_t>& out) = 0;

    bool isConnected() const { return connected.load(); }
    bool isConnecting() const { return connecting.load(); }
    bool isUdpOpened() const { return udpOpened.load(); }

    bool getBigEndianLength() const { return bigEndianLength.load(); }
    void setBigEndianLength(bool value) { bigEndianLength.store(value); }

    std::string getAddress() const;
    void setAddress(const std::string& value);

protected:
    std::atomic<bool> connected{false};
    std::atomic<bool> udpOpened{false};
    std::atomic<bool> connecting{false};
    // This transport's copy of the length byte order; the UDP reassembly updates it too.
    std::atomic<bool> bigEndianLength{true};
    std::mutex cmdMutex;    // connect, disconnect and the command socket's life
    std::mutex imageMutex;  // openUdp and closeUdp

private:
    mutable std::mutex addressMutex_;
    std::string address_;
};

// True for dotted IPv4 text (four decimal parts of 0..255).
bool isIpv4Address(const std::string& text);
// True for a serial port name: only the characters of "COM" and digits, or only those of
// "/dev/ttyACM" and digits (character sets, not prefixes).
bool isSerialPortName(const std::string& text);

}  // namespace Movoda
