// A transport without sockets for daemon tests: records every transmitted request, lets
// the test queue inbound packets and answer requests through a responder.
#pragma once

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "link/Commnunication.h"
#include "link/Packet.h"

namespace vantory_test {

class FakeTransport : public Movoda::Commnunication {
public:
    using Bytes = std::vector<uint8_t>;
    using Clock = std::chrono::steady_clock;
    struct Sent {
        Bytes packet;
        Clock::time_point at;
        uint32_t mark = 0;  // whatever the test's marker function returned at the time
    };
    // Returns the inner packets to deliver in answer to one request (inner bytes).
    using Responder = std::function<std::vector<Bytes>(const Bytes& requestInner)>;

    bool connect() override {
        if (!allowConnect.load()) return false;
        connected.store(true);
        connects.fetch_add(1);
        return true;
    }
    void disconnect() override {
        if (connected.exchange(false)) disconnects.fetch_add(1);
        changed_.notify_all();
    }
    bool openUdp(uint16_t) override {
        udpOpened.store(true);
        return true;
    }
    void closeUdp() override { udpOpened.store(false); }

    bool transmitPackage(const Bytes& bytes) override {
        Responder responder;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            sent_.push_back({bytes, Clock::now(), marker ? marker() : 0});
            responder = responder_;
        }
        changed_.notify_all();
        if (responder) {
            const bool bigEndian = getBigEndianLength();
            const auto inner = Movoda::packet::unframe(bytes.data(), bytes.size(), bigEndian);
            if (inner) {
                for (Bytes& reply : responder(*inner)) inject(std::move(reply));
            }
        }
        return connected.load();
    }

    bool receivePackage(Bytes& out) override {
        if (closeOnReceive.load()) {  // a peer that accepts and closes at once
            disconnect();
            return false;
        }
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait_for(lock, std::chrono::milliseconds(10),
                          [this] { return !inbound_.empty() || !connected.load(); });
        if (!connected.load() || inbound_.empty()) return false;
        out = std::move(inbound_.front());
        inbound_.pop_front();
        return true;
    }
    bool udpReceiveFrame(Bytes&) override { return false; }

    void inject(Bytes inner) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            inbound_.push_back(std::move(inner));
        }
        changed_.notify_all();
    }
    void setResponder(Responder responder) {
        std::lock_guard<std::mutex> lock(mutex_);
        responder_ = std::move(responder);
    }
    std::vector<Sent> sent() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return sent_;
    }
    void clearSent() {
        std::lock_guard<std::mutex> lock(mutex_);
        sent_.clear();
    }
    // Ids of the transmitted requests, in order.
    std::vector<uint8_t> sentIds() const {
        std::vector<uint8_t> ids;
        for (const Sent& s : sent()) ids.push_back(s.packet.size() > 8 ? s.packet[8] : 0xFF);
        return ids;
    }

    // Inner bytes of a packet with the split trailer (status byte, state byte, type 3).
    static Bytes innerSplit(uint8_t id, uint8_t status, uint8_t state = 2) {
        return {id, status, state, 0x03};
    }
    // Inner bytes of a packet with the packed trailer (state << 4 | status, type 1).
    static Bytes inner(uint8_t id, const Bytes& payload = {}, uint8_t status = 0,
                       uint8_t state = 2) {
        Bytes out(payload.size() + 3);
        out[0] = id;
        std::copy(payload.begin(), payload.end(), out.begin() + 1);
        out[payload.size() + 1] = uint8_t((state << 4) | (status & 0x0F));
        out[payload.size() + 2] = 0x01;
        return out;
    }

    std::atomic<bool> allowConnect{true};
    std::atomic<bool> closeOnReceive{false};
    std::atomic<int> connects{0};
    std::atomic<int> disconnects{0};
    std::function<uint32_t()> marker;  // set before the daemon starts

private:
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Bytes> inbound_;
    std::vector<Sent> sent_;
    Responder responder_;
};

// Polls a condition until it holds or the time runs out.
inline bool waitUntil(const std::function<bool()>& predicate,
                      std::chrono::milliseconds limit = std::chrono::seconds(10)) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!predicate()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

}  // namespace vantory_test
