// A minimal camera stand-in for tests: accepts command-channel connections on a loopback
// address (port 7787), collects the packets it receives and sends whatever the test asks.
#pragma once

#include <atomic>
#include <boost/asio.hpp>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "link/NetConstants.h"
#include "link/Packet.h"

namespace vantory_test {

class LoopbackPeer {
public:
    using Bytes = std::vector<uint8_t>;
    // Called for every request's inner bytes; returns the bytes to send back (may be empty).
    using Responder = std::function<Bytes(const Bytes& inner)>;

    explicit LoopbackPeer(const std::string& address)
        : acceptor_(io_,
                    boost::asio::ip::tcp::endpoint(boost::asio::ip::make_address_v4(address),
                                                   Movoda::net::kCommandPort),
                    /*reuse_address=*/true) {
        thread_ = std::thread([this] { run(); });
    }

    ~LoopbackPeer() {
        stopping_ = true;
        closeClient();
        // A connection of our own wakes a thread blocked in accept.
        boost::system::error_code ec;
        boost::asio::ip::tcp::socket wake(io_);
        wake.connect(acceptor_.local_endpoint(ec), ec);
        if (thread_.joinable()) thread_.join();
        acceptor_.close(ec);
    }

    void setResponder(Responder responder) {
        std::lock_guard<std::mutex> lock(mutex_);
        responder_ = std::move(responder);
    }
    void setBigEndian(bool bigEndian) { bigEndian_ = bigEndian; }

    // Sends raw bytes to the connected client.
    bool send(const Bytes& bytes) {
        std::lock_guard<std::mutex> lock(writeMutex_);
        if (!client_) return false;
        boost::system::error_code ec;
        boost::asio::write(*client_, boost::asio::buffer(bytes), ec);
        return !ec;
    }

    // Drops the current connection (the client sees its read fail).
    void closeClient() {
        std::lock_guard<std::mutex> lock(writeMutex_);
        if (client_) {
            boost::system::error_code ec;
            client_->shutdown(boost::asio::ip::tcp::socket::shutdown_both, ec);
        }
    }

    int connections() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return connections_;
    }
    std::vector<Bytes> received() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return received_;
    }
    // Waits until the predicate on this peer holds or the time runs out.
    bool waitFor(const std::function<bool()>& predicate,
                 std::chrono::milliseconds limit = std::chrono::seconds(10)) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        std::unique_lock<std::mutex> lock(mutex_);
        for (;;) {
            lock.unlock();
            const bool done = predicate();
            lock.lock();
            if (done) return true;
            if (std::chrono::steady_clock::now() >= deadline) return false;
            changed_.wait_for(lock, std::chrono::milliseconds(5));
        }
    }

    // A response packet: id, payload, one packed trailer byte (state << 4 | status), type 1.
    static Bytes response(uint8_t id, const Bytes& payload, uint8_t status, uint8_t state,
                          bool bigEndian) {
        const uint8_t trailer[] = {uint8_t((state << 4) | (status & 0x0F)), 0x01};
        return Movoda::packet::buildPacket(id, payload.data(), payload.size(), trailer, 2,
                                           bigEndian);
    }

private:
    void run() {
        while (!stopping_) {
            auto socket = std::make_shared<boost::asio::ip::tcp::socket>(io_);
            boost::system::error_code ec;
            acceptor_.accept(*socket, ec);
            if (ec || stopping_) return;
            {
                std::lock_guard<std::mutex> lock(writeMutex_);
                client_ = socket;
            }
            {
                std::lock_guard<std::mutex> lock(mutex_);
                ++connections_;
            }
            changed_.notify_all();
            serve(*socket);
            std::lock_guard<std::mutex> lock(writeMutex_);
            socket->close(ec);
            client_.reset();
        }
    }

    void serve(boost::asio::ip::tcp::socket& socket) {
        Movoda::packet::PacketStream stream;
        std::vector<uint8_t> buffer(4096);
        for (;;) {
            boost::system::error_code ec;
            const size_t n = socket.read_some(boost::asio::buffer(buffer), ec);
            if (ec) return;
            stream.append(buffer.data(), n);
            Bytes inner;
            while (stream.next(inner, bigEndian_.load())) {
                Responder responder;
                {
                    std::lock_guard<std::mutex> lock(mutex_);
                    received_.push_back(inner);
                    responder = responder_;
                }
                changed_.notify_all();
                if (responder) {
                    const Bytes reply = responder(inner);
                    if (!reply.empty()) send(reply);
                }
            }
        }
    }

    boost::asio::io_context io_;
    boost::asio::ip::tcp::acceptor acceptor_;
    std::thread thread_;
    std::atomic<bool> stopping_{false};
    std::atomic<bool> bigEndian_{false};
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::mutex writeMutex_;
    std::shared_ptr<boost::asio::ip::tcp::socket> client_;
    Responder responder_;
    std::vector<Bytes> received_;
    int connections_ = 0;
};

}  // namespace vantory_test
