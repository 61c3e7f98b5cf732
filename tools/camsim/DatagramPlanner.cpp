#include "DatagramPlanner.h"

#include <algorithm>
#include <cstring>

#include "ByteIo.h"
#include "CamsimConstants.h"

namespace camsim {

void writeChunkHeader(uint8_t* at, uint16_t sequence, uint32_t total, uint16_t length,
                      uint32_t offset, bool bigEndian) {
    putU16(at, sequence, bigEndian);
    putU32(at + 2, total, bigEndian);
    putU16(at + 6, length, bigEndian);
    putU32(at + 8, offset, bigEndian);
    std::memset(at + 12, 0, 8);
}

bool DatagramPlanner::chance(double share) {
    return share > 0 && unit_(rng_) < share;
}

void DatagramPlanner::sendFrame(const std::vector<uint8_t>& packet, uint16_t sequence,
                                bool bigEndian, const DatagramFaults& faults,
                                const std::function<void(const uint8_t*, size_t)>& send) {
    const size_t total = packet.size();
    const size_t count = (total + kMaxChunkPayload - 1) / kMaxChunkPayload;
    buffer_.resize(total + count * kChunkHeaderSize);
    starts_.clear();
    size_t at = 0;
    for (size_t offset = 0; offset < total; offset += kMaxChunkPayload) {
        const size_t length = std::min(kMaxChunkPayload, total - offset);
        starts_.push_back(at);
        writeChunkHeader(buffer_.data() + at, sequence, uint32_t(total), uint16_t(length),
                         uint32_t(offset), bigEndian);
        std::memcpy(buffer_.data() + at + kChunkHeaderSize, packet.data() + offset, length);
        at += kChunkHeaderSize + length;
    }
    starts_.push_back(at);  // end of the last datagram

    order_.clear();
    for (size_t i = 0; i < count; ++i) {
        if (chance(faults.drop)) {
            ++counters_.dropped;
            continue;
        }
        if (chance(faults.corrupt)) {
            // Flip payload bytes; the header stays intact so that the datagram is accepted.
            const size_t begin = starts_[i] + kChunkHeaderSize;
            const size_t length = starts_[i + 1] - begin;
            buffer_[begin + size_t(unit_(rng_) * double(length)) % length] ^= 0xA5;
            buffer_[begin] ^= 0x5A;
            ++counters_.corrupted;
        }
        order_.push_back(i);
        if (chance(faults.duplicate)) {
            order_.push_back(i);
            ++counters_.duplicated;
        }
    }
    // Neighbours swap places; the swap chance is chosen so that the requested share of
    // datagrams ends up out of order (each swap displaces two).
    const double swapChance = faults.reorder > 0 ? faults.reorder / (2.0 - faults.reorder) : 0;
    for (size_t j = 0; j + 1 < order_.size(); ++j) {
        if (order_[j] != order_[j + 1] && chance(swapChance)) {
            std::swap(order_[j], order_[j + 1]);
            counters_.reordered += 2;
            ++j;  // a swapped pair is not swapped again
        }
    }
    for (size_t i : order_) {
        const size_t size = starts_[i + 1] - starts_[i];
        send(buffer_.data() + starts_[i], size);
        ++counters_.datagrams;
        counters_.bytes += size;
    }
    ++counters_.frames;
}

void DatagramPlanner::sendReport(const std::vector<uint8_t>& packet, uint16_t sequence,
                                 bool bigEndian,
                                 const std::function<void(const uint8_t*, size_t)>& send) {
    std::vector<uint8_t> datagram(kChunkHeaderSize + packet.size());
    writeChunkHeader(datagram.data(), sequence, uint32_t(packet.size()), uint16_t(packet.size()), 0,
                     bigEndian);
    std::memcpy(datagram.data() + kChunkHeaderSize, packet.data(), packet.size());
    send(datagram.data(), datagram.size());
    ++counters_.datagrams;
    counters_.bytes += datagram.size();
}

}  // namespace camsim
