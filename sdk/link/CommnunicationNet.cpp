#include "link/CommnunicationNet.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/socket.h>

#include <atomic>
#include <cerrno>
#include <boost/asio/ip/multicast.hpp>
#include <boost/asio/write.hpp>
#include <chrono>
#include <iostream>
#include <thread>

#include "link/NetConstants.h"
#include "mvsdk/MvLog.h"

namespace Movoda {

namespace asio = boost::asio;
using asio::ip::tcp;
using asio::ip::udp;

namespace {

constexpr const char* kTagConnect = "Movoda::CommnunicationNet::connect";
constexpr const char* kTagOpenTcp = "Movoda::openTcpThread";
constexpr const char* kTagTransmit = "Movoda::CommnunicationNet::transmitPackage";
constexpr const char* kTagReceive = "Movoda::CommnunicationNet::receivePackage";
constexpr const char* kTagOpenUdp = "Movoda::CommnunicationNet::openUdp";
constexpr const char* kTagCloseUdp = "Movoda::CommnunicationNet::closeUdp";
constexpr const char* kTagUdpReceive = "Movoda::CommnunicationNet::udpReceiveFrame";

// Waits until the descriptor is readable; false on time-out or interruption.
bool waitReadable(int fd, int timeoutMs) {
    pollfd entry{fd, POLLIN, 0};
    const int ready = ::poll(&entry, 1, timeoutMs);
    return ready > 0;
}

}  // namespace

CommnunicationNet::CommnunicationNet(asio::io_context& io)
    : io_(io),
      endpoint_(asio::ip::make_address_v4(net::kDefaultCameraAddress), net::kCommandPort),
      tcp_(io),
      readBuffer_(net::kTcpReadChunk, 0),
      udp_(io),
      reassembler_(chunkBigEndian_) {}

CommnunicationNet::~CommnunicationNet() {
    disconnect();
    closeUdp();
}

uint64_t CommnunicationNet::droppedStreamBytes() const {
    std::lock_guard<std::mutex> lock(rxMutex_);
    return stream_.droppedBytes();
}

CommnunicationNet::ConnectOutcome CommnunicationNet::connectWithDeadline(
    tcp::socket& socket, const tcp::endpoint& endpoint) {
    boost::system::error_code ec;
    socket.open(tcp::v4(), ec);
    if (ec) return ConnectOutcome::Refused;
    socket.non_blocking(true, ec);
    socket.connect(endpoint, ec);
    if (ec == asio::error::in_progress || ec == asio::error::would_block) {
        // Wait for the handshake in short slices up to the connect time-out.
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(net::kConnectTimeoutMs);
        int ready = 0;
        pollfd entry{socket.native_handle(), POLLOUT, 0};
        while (ready == 0 && std::chrono::steady_clock::now() < deadline) {
            entry.revents = 0;
            ready = ::poll(&entry, 1, net::kConnectPollMs);
        }
        if (ready == 0) return ConnectOutcome::TimedOut;
        int error = 0;
        socklen_t length = sizeof error;
        if (ready < 0 ||
            ::getsockopt(socket.native_handle(), SOL_SOCKET, SO_ERROR, &error, &length) != 0 ||
            error != 0) {
            return ConnectOutcome::Refused;
        }
    } else if (ec) {
        return ConnectOutcome::Refused;
    }
    socket.non_blocking(false, ec);
    socket.set_option(tcp::no_delay(true), ec);
    return ConnectOutcome::Connected;
}

bool CommnunicationNet::connect() {
    std::lock_guard<std::mutex> lock(cmdMutex);
    const std::string address = getAddress();
    if (!isIpv4Address(address)) return false;
    if (connected.load() || connecting.load()) return true;

    boost::system::error_code ec;
    const auto ip = asio::ip::make_address_v4(address, ec);
    if (ec) return false;
    endpoint_ = tcp::endpoint(ip, net::kCommandPort);
    connecting.store(true);
    sdkLog(LOG_INFO, kTagOpenTcp, "start " + address);

    tcp::socket socket(io_);
    const ConnectOutcome outcome = connectWithDeadline(socket, endpoint_);
    if (outcome != ConnectOutcome::Connected) {
        socket.close(ec);
        sdkLog(LOG_WARN, kTagOpenTcp, "error");
        if (outcome == ConnectOutcome::TimedOut) {
            std::this_thread::sleep_for(std::chrono::milliseconds(net::kConnectGiveUpPauseMs));
        }
        connecting.store(false);
        return false;
    }
    {
        std::scoped_lock sockets(rxMutex_, txMutex_);
        closeTcpLocked();
        tcp_ = std::move(socket);
        stream_.clear();
    }
    connected.store(true);
    connecting.store(false);
    sdkLog(LOG_WARN, kTagConnect, "tcp connected");
    return true;
}

void CommnunicationNet::closeTcpLocked() {
    boost::system::error_code ec;
    if (tcp_.is_open()) tcp_.close(ec);
}

void CommnunicationNet::disconnect() {
    std::lock_guard<std::mutex> lock(cmdMutex);
    if (!connected.load() && !tcp_.is_open()) return;
    connected.store(false);
    // Shutting down wakes a reader or writer blocked on the socket, so that both
    // socket locks can be taken for the close.
    boost::system::error_code ec;
    if (tcp_.is_open()) tcp_.shutdown(tcp::socket::shutdown_both, ec);
    {
        std::scoped_lock sockets(rxMutex_, txMutex_);
        closeTcpLocked();
        stream_.clear();
    }
    std::cout << "tcp closed " << std::endl;
}

bool CommnunicationNet::transmitPackage(const std::vector<uint8_t>& bytes) {
    if (!connected.load()) return false;
    std::lock_guard<std::mutex> lock(txMutex_);
    if (!tcp_.is_open()) return false;
    boost::system::error_code ec;
    asio::write(tcp_, asio::buffer(bytes), ec);
    if (ec) {
        std::cout << "cmd wirte error" << std::endl;
        sdkLog(LOG_WARN, kTagTransmit, "cmd wirte error");
        return false;
    }
    return true;
}

bool CommnunicationNet::receivePackage(std::vector<uint8_t>& out) {
    if (!connected.load()) return false;
    bool readFailed = false;
    try {
        std::lock_guard<std::mutex> lock(rxMutex_);
        const bool bigEndian = bigEndianLength.load();
        if (stream_.next(out, bigEndian)) return true;
        if (!tcp_.is_open()) return false;
        if (!waitReadable(tcp_.native_handle(), net::kReceivePollMs)) return false;
        boost::system::error_code ec;
        const size_t count = tcp_.read_some(asio::buffer(readBuffer_), ec);
        if (ec) {
            readFailed = true;
        } else {
            stream_.append(readBuffer_.data(), count);
            if (stream_.next(out, bigEndian)) return true;
        }
    } catch (const std::exception& e) {
        std::cout << "exception:read_some:exception " << e.what() << std::endl;
        sdkLog(LOG_ERROR, kTagReceive, e.what());
        return false;
    }
    if (readFailed) {
        std::cout << "tcp rx error" << std::endl;
        disconnect();
    }
    return false;
}

void CommnunicationNet::setUdpReceiveBuffer(udp::socket& socket) {
    const int fd = socket.native_handle();
    int wanted = net::kUdpWantedReceiveBuffer;
    // The forcing variant passes the kernel's cap when the process may do so.
    if (::setsockopt(fd, SOL_SOCKET, SO_RCVBUFFORCE, &wanted, sizeof wanted) != 0) {
        ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &wanted, sizeof wanted);
    }
    int granted = 0;
    socklen_t length = sizeof granted;
    ::getsockopt(fd, SOL_SOCKET, SO_RCVBUF, &granted, &length);
    udpReceiveBuffer_.store(granted);
    if (granted < net::kUdpMinimumReceiveBuffer && !receiveBufferWarned_) {
        receiveBufferWarned_ = true;
        sdkLog(LOG_WARN, kTagOpenUdp,
               "udp receive buffer only " + std::to_string(granted) +
                   " bytes; raise net.core.rmem_max to avoid losing frames");
    }
}

bool CommnunicationNet::bindImageSocket(udp::socket& socket, uint16_t port) {
    boost::system::error_code ec;
    socket.open(udp::v4(), ec);
    // Shared only on request: on a unicast stream a second program bound to the same port
    // would silently take frames from under the first.
    if (!ec && imagePortShared_.load())
        socket.set_option(asio::socket_base::reuse_address(true), ec);
    if (!ec) socket.bind(udp::endpoint(asio::ip::address_v4::any(), port), ec);
    if (!ec) {
        imagePortHeld_.store(false);
        return true;
    }
    if (ec == asio::error::address_in_use) {
        if (!imagePortHeld_.exchange(true)) {
            const std::string text = "image port " + std::to_string(port) +
                                     " is held by another program; frames cannot be received";
            std::cout << text << std::endl;
            sdkLog(LOG_ERROR, kTagOpenUdp, text);
        }
    } else {
        std::cout << "openUdp:exception " << ec.message() << std::endl;
        sdkLog(LOG_WARN, kTagOpenUdp, "udp open exception");
    }
    socket.close(ec);
    return false;
}

bool CommnunicationNet::openUdp(uint16_t port) {
    std::lock_guard<std::mutex> lock(imageMutex);
    if (udp_.is_open()) return true;
    udp::socket socket(io_);
    if (!bindImageSocket(socket, port)) return false;
    setUdpReceiveBuffer(socket);
    // Reads block (up to the time-out): one call per wake-up instead of a wait and a read.
    const int fd = socket.native_handle();
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    const timeval wake{0, net::kReceivePollMs * 1000};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &wake, sizeof wake);
    UdpBatchReader::requestArrivalStamps(fd);
    boost::system::error_code ec;
    socket.set_option(
        asio::ip::multicast::join_group(asio::ip::make_address_v4(net::kMulticastGroup),
                                        asio::ip::address_v4::any()),
        ec);
    // A host without a multicast route still receives unicast streams; the failure
    // is logged once, not on every reopen of the image socket.
    static std::atomic<bool> joinFailureLogged{false};
    if (ec && !joinFailureLogged.exchange(true)) {
        sdkLog(LOG_WARN, kTagOpenUdp, "multicast join failed: " + ec.message());
    }
    const auto camera = asio::ip::make_address_v4(getAddress(), ec);
    {
        std::lock_guard<std::mutex> rx(udpRxMutex_);
        udp_ = std::move(socket);
        cameraSource_ = ec ? 0 : camera.to_uint();
        batchNext_ = batchCount_ = 0;
        pacer_ = ReceivePacer();
        chunkBigEndian_.store(bigEndianLength.load());
        reassembler_.reset();
    }
    udpOpened.store(true);
    sdkLog(LOG_INFO, kTagOpenUdp, "udp opened");
    return true;
}

void CommnunicationNet::closeUdp() {
    std::lock_guard<std::mutex> lock(imageMutex);
    if (!udpOpened.load() && !udp_.is_open()) return;
    udpOpened.store(false);
    sdkLog(LOG_INFO, kTagCloseUdp, "closeUdp");
    boost::system::error_code ec;
    {
        std::lock_guard<std::mutex> rx(udpRxMutex_);
        if (udp_.is_open()) {
            udp_.shutdown(udp::socket::shutdown_both, ec);  // not connected: error expected
            ec.clear();
            udp_.close(ec);
        }
    }
    if (ec) {
        std::cout << "udp already closed " << std::endl;
        sdkLog(LOG_WARN, kTagCloseUdp, "udp already closed ");
        return;
    }
    std::cout << "udp closed " << std::endl;
}

void CommnunicationNet::reportUdpError(const boost::system::error_code& ec) {
    udpReceiveErrors_.fetch_add(1);
    std::cout << "udp error " << ec.message() << std::endl;
    sdkLog(LOG_WARN, kTagUdpReceive, "udp error " + ec.message());
}

bool CommnunicationNet::udpReceiveFrame(std::vector<uint8_t>& out) {
    ReassembledPacket result;
    if (!udpReceiveFrame(result)) return false;
    out.assign(result.data, result.data + result.size);
    return true;
}

bool CommnunicationNet::udpReceiveFrame(ReassembledPacket& result) {
    std::lock_guard<std::mutex> lock(udpRxMutex_);
    if (!udp_.is_open()) return false;
    const int fd = udp_.native_handle();
    for (;;) {
        while (batchNext_ < batchCount_) {
            const size_t i = batchNext_++;
            if (batch_.source(i) != cameraSource_) {
                foreignDatagrams_.fetch_add(1);
                continue;
            }
            pacer_.onDatagram(batch_.arrival(i), batch_.size(i));
            if (reassembler_.udppacket(batch_.data(i), batch_.size(i), result)) {
                lastArrival_ = batch_.arrival(i);
                return true;
            }
        }
        const int count = readBatch(fd);
        if (count < 0) {
            reportUdpError(boost::system::error_code(errno, boost::system::system_category()));
            return false;
        }
        if (count == 0) return false;
        udpBatches_.fetch_add(1);
        batchNext_ = 0;
        batchCount_ = size_t(count);
        udpDatagrams_.fetch_add(batchCount_);
        uint64_t bytes = 0;
        for (size_t i = 0; i < batchCount_; ++i) bytes += batch_.size(i);
        udpBytes_.fetch_add(bytes);
    }
}

int CommnunicationNet::readBatch(int fd) {
    using Clock = std::chrono::steady_clock;
    const uint32_t expected = reassembler_.bytesStillExpected();
    // While a frame is in flight, more of it gathers first (see ReceivePacer).
    if (const auto due =
            pacer_.readAt(expected, batchCount_, UdpBatchReader::kBatch, Clock::now())) {
        // The default timer slack (50 us) would add itself to every wait of this thread.
        thread_local bool slackTightened = false;
        if (!slackTightened) {
            ::prctl(PR_SET_TIMERSLACK, 5000UL);
            slackTightened = true;
        }
        std::this_thread::sleep_until(*due);
    }
    // A frame's tail that is due any moment is looked for without blocking.
    if (const auto until = pacer_.pollTailUntil(expected, Clock::now())) {
        for (;;) {
            const int count = batch_.read(fd, false);
            udpCalls_.fetch_add(1);
            if (count != 0) return count;
            if (Clock::now() >= *until) break;
        }
    }
    // Everything read so far is handled: one call waits for the next datagram and takes
    // the others already waiting with it; the socket's receive time-out bounds the wait,
    // so that a closing link or a stopping daemon is noticed.
    const int count = batch_.read(fd);
    udpCalls_.fetch_add(1);
    return count;
}

}  // namespace Movoda
