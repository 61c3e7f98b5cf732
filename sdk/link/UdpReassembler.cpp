#include "link/UdpReassembler.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "link/Packet.h"
#include "mvsdk/MvLog.h"

namespace Movoda {

namespace {

using packet::kEndMark;
using packet::kInnerOffset;
using packet::kMarkSize;
using packet::kStartMark;
constexpr uint32_t kMinPacketSize = packet::kMinPacketSize;
constexpr const char* kLogTag = "Movoda::CommnunicationNet::udppacket";

uint16_t read16(const uint8_t* p, bool bigEndian) {
    return bigEndian ? static_cast<uint16_t>((p[0] << 8) | p[1])
                     : static_cast<uint16_t>((p[1] << 8) | p[0]);
}

uint32_t read32(const uint8_t* p, bool bigEndian) {
    if (bigEndian)
        return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
    return (uint32_t{p[3]} << 24) | (uint32_t{p[2]} << 16) | (uint32_t{p[1]} << 8) | p[0];
}

constexpr size_t kBitsPerWord = 64;

// Sets the bits [begin, end) and returns how many of them were clear before.
uint32_t markRange(uint64_t* words, uint32_t begin, uint32_t end) {
    uint32_t added = 0;
    while (begin < end) {
        const uint32_t bit = begin % kBitsPerWord;
        const uint32_t count = std::min<uint32_t>(kBitsPerWord - bit, end - begin);
        const uint64_t mask = (count == kBitsPerWord ? ~uint64_t{0} : ((uint64_t{1} << count) - 1))
                              << bit;
        uint64_t& word = words[begin / kBitsPerWord];
        // Bytes arrive once as a rule: count the bits only when some were set already
        // (without a popcount instruction in the baseline target, counting is a call).
        const uint64_t fresh = mask & ~word;
        added += fresh == mask ? count : static_cast<uint32_t>(__builtin_popcountll(fresh));
        word |= mask;
        begin += count;
    }
    return added;
}

// Distance between two sequence numbers on the 16-bit circle.
int sequenceDistance(uint16_t a, uint16_t b) {
    const int forward = static_cast<uint16_t>(a - b);
    return std::min(forward, 65536 - forward);
}

}  // namespace

UdpReassembler::UdpReassembler(std::atomic<bool>& bigEndianLength)
    : bigEndianLength_(bigEndianLength) {
    for (FrameSlot& slot : slots_) {
        slot.buffer.assign(udpchunk::kSlotBytes, 0);
        slot.covered.assign((udpchunk::kSlotBytes + kBitsPerWord - 1) / kBitsPerWord, 0);
    }
    finished_.fill(-1);
}

ReassemblyStats UdpReassembler::stats() const {
    ReassemblyStats s;
    s.framesCompleted = framesCompleted_.load(std::memory_order_relaxed);
    s.imuReports = imuReports_.load(std::memory_order_relaxed);
    s.framesEvicted = framesEvicted_.load(std::memory_order_relaxed);
    s.chunksDiscarded = chunksDiscarded_.load(std::memory_order_relaxed);
    s.datagramsDropped = datagramsDropped_.load(std::memory_order_relaxed);
    s.framesBroken = framesBroken_.load(std::memory_order_relaxed);
    s.chunksDuplicate = chunksDuplicate_.load(std::memory_order_relaxed);
    s.chunksLate = chunksLate_.load(std::memory_order_relaxed);
    s.framesPending = framesPending_.load(std::memory_order_relaxed);
    s.bytesMissing = bytesMissing_.load(std::memory_order_relaxed);
    return s;
}

void UdpReassembler::reset() {
    resetRequested_.store(true, std::memory_order_release);
}

void UdpReassembler::applyPendingReset() {
    // A plain load first: the exchange would be a locked write for every datagram.
    if (!resetRequested_.load(std::memory_order_relaxed) ||
        !resetRequested_.exchange(false, std::memory_order_acquire))
        return;
    for (FrameSlot& slot : slots_) {
        if (slot.active) {
            bump(framesEvicted_);
            addMissing(slot);
        }
        slot.active = false;
        slot.sequence = 0;
        slot.received = 0;
        slot.size = 0;
    }
    discardList_.fill(0);
    finished_.fill(-1);
    lastSlot_ = nullptr;
    framesPending_.store(0, std::memory_order_relaxed);
}

bool UdpReassembler::udppacket(const uint8_t* datagram, size_t size, std::vector<uint8_t>& out) {
    ReassembledPacket result;
    if (!udppacket(datagram, size, result)) return false;
    out.assign(result.data, result.data + result.size);
    return true;
}

bool UdpReassembler::udppacket(const uint8_t* datagram, size_t size, ReassembledPacket& result) {
    applyPendingReset();
    resultSlot_ = nullptr;  // the previous call's result is given up
    if (datagram == nullptr) return false;
    bool completed = false;
    size_t position = 0;
    while (position < size) {
        size_t chunkEnd = size;
        const ChunkResult outcome = processChunk(datagram, size, position, result, chunkEnd);
        if (outcome == ChunkResult::DropDatagram) {
            bump(datagramsDropped_);
            break;
        }
        if (outcome == ChunkResult::Completed) completed = true;
        position = chunkEnd;
    }
    return completed;
}

UdpReassembler::ChunkResult UdpReassembler::processChunk(const uint8_t* datagram, size_t size,
                                                         size_t position,
                                                         ReassembledPacket& result,
                                                         size_t& chunkEnd) {
    const uint8_t* chunk = datagram + position;
    const size_t available = size - position;
    ChunkHeader header;
    if (!readPlausibleHeader(chunk, available, header)) return ChunkResult::DropDatagram;
    chunkEnd = position + udpchunk::kHeaderSize + header.length;
    const uint8_t* payload = chunk + udpchunk::kHeaderSize;

    // Checked before any slot is touched, in whichever byte order the header was read:
    // the copy below must stay inside the frame and the frame inside its slot, and a
    // frame too short for its marks is never looked at.
    const bool fitsFrame =
        header.frameSize <= udpchunk::kMaxFrameSize && header.frameSize >= kMinPacketSize &&
        header.offset <= header.frameSize && header.length <= header.frameSize - header.offset;
    const bool imuCandidate = header.length <= udpchunk::kImuMaxPayload &&
                              header.length > udpchunk::kImuCmdIdPayloadOffset &&
                              payload[udpchunk::kImuCmdIdPayloadOffset] == udpchunk::kImuCmdId;
    // A short last chunk of a frame may hold the IMU id byte by chance; without the
    // start mark in front it stays a frame chunk when it fits one.
    if (imuCandidate && (read32(payload, true) == kStartMark || !fitsFrame))
        return handleImu(payload, header.length, result);
    if (!fitsFrame) {
        bump(chunksDiscarded_);
        return ChunkResult::Continue;
    }
    if (header.length == 0 || onDiscardList(header.sequence)) {
        bump(chunksDiscarded_);
        return ChunkResult::Continue;
    }
    if (finishedRecently(header.sequence)) {
        bump(chunksLate_);
        return ChunkResult::Continue;
    }

    FrameSlot* slot = slotFor(header.sequence, header.frameSize, result);
    if (slot == nullptr) {  // the frame in progress announced another size
        bump(chunksDiscarded_);
        return ChunkResult::Continue;
    }
    const uint32_t added =
        markRange(slot->covered.data(), header.offset, header.offset + header.length);
    if (added == 0) {
        bump(chunksDuplicate_);
        return ChunkResult::Continue;
    }
    std::memcpy(slot->buffer.data() + header.offset, payload, header.length);
    slot->received += added;
    lastSlot_ = slot;
    if (slot->received < slot->size) return ChunkResult::Continue;
    slot->active = false;
    framesPending_.fetch_sub(1, std::memory_order_relaxed);
    rememberFinished(slot->sequence);
    return finishFrame(*slot, result);
}

bool UdpReassembler::readPlausibleHeader(const uint8_t* chunk, size_t available,
                                         ChunkHeader& header) {
    if (available < udpchunk::kHeaderSize) return false;
    const size_t payloadRoom = available - udpchunk::kHeaderSize;
    const auto read = [&](bool big) {
        header.sequence = read16(chunk + udpchunk::kSequenceOffset, big);
        header.frameSize = read32(chunk + udpchunk::kFrameSizeOffset, big);
        header.length = read16(chunk + udpchunk::kLengthOffset, big);
        header.offset = read32(chunk + udpchunk::kChunkOffsetOffset, big);
    };
    const bool current = bigEndianLength_.load(std::memory_order_relaxed);
    read(current);
    if (header.length <= udpchunk::kMaxPayload && header.length <= payloadRoom) return true;

    read(!current);
    if (header.length > udpchunk::kMaxPayload || header.length > payloadRoom ||
        header.offset > header.frameSize || header.frameSize > udpchunk::kMaxFrameSize)
        return false;
    bigEndianLength_.store(!current, std::memory_order_relaxed);
    return true;
}

UdpReassembler::ChunkResult UdpReassembler::handleImu(const uint8_t* payload, uint16_t length,
                                                      ReassembledPacket& result) {
    const uint32_t start = read32(payload, true);
    const uint32_t end = read32(payload + length - kMarkSize, true);
    if (length < kMinPacketSize || start != kStartMark || end != kEndMark) {
        std::printf("imu frame start %" PRIx32 "\nimu frame end %" PRIx32 "\n", start, end);
        bump(chunksDiscarded_);
        return ChunkResult::Continue;
    }
    result.data = payload + kInnerOffset;
    result.size = length - kInnerOffset - kMarkSize;
    resultSlot_ = nullptr;
    bump(imuReports_);
    return ChunkResult::Completed;
}

bool UdpReassembler::onDiscardList(uint16_t sequence) {
    for (uint16_t& entry : discardList_) {
        if (entry == 0) continue;
        if (entry == sequence) return true;
        if (std::abs(int{entry} - int{sequence}) > udpchunk::kDiscardDistance) entry = 0;
    }
    return false;
}

bool UdpReassembler::finishedRecently(uint16_t sequence) {
    bool found = false;
    for (int32_t& entry : finished_) {
        if (entry < 0) continue;
        const uint16_t finished = static_cast<uint16_t>(entry);
        if (finished == sequence) {
            found = true;
        } else if (sequenceDistance(finished, sequence) > udpchunk::kDiscardDistance) {
            entry = -1;  // long gone, or the camera started its numbering afresh
        }
    }
    return found;
}

void UdpReassembler::rememberFinished(uint16_t sequence) {
    finished_[finishedNext_] = sequence;
    finishedNext_ = (finishedNext_ + 1) % finished_.size();
}

UdpReassembler::FrameSlot* UdpReassembler::slotFor(uint16_t sequence, uint32_t frameSize,
                                                   ReassembledPacket& result) {
    for (FrameSlot& slot : slots_) {
        if (slot.active && slot.sequence == sequence)
            return slot.size == frameSize ? &slot : nullptr;
    }

    FrameSlot* claimed = nullptr;
    for (FrameSlot& slot : slots_) {
        if (!slot.active) {
            claimed = &slot;
            break;
        }
    }
    if (claimed == nullptr) {
        const size_t victim = chooseVictim();
        claimed = &slots_[victim];
        rememberDiscarded(claimed->sequence);
        rememberFinished(claimed->sequence);
        std::printf("udp discard frame %u discardindex %zu %" PRIu32 "\n",
                    unsigned{claimed->sequence}, victim, claimed->received);
        bump(framesEvicted_);
        addMissing(*claimed);
    } else {
        framesPending_.fetch_add(1, std::memory_order_relaxed);
    }
    if (claimed == resultSlot_) {
        spill_.assign(result.data, result.data + result.size);
        result.data = spill_.data();
        resultSlot_ = nullptr;
    }
    claimed->active = true;
    claimed->sequence = sequence;
    claimed->size = frameSize;
    claimed->received = 0;
    std::fill_n(claimed->covered.begin(), (frameSize + kBitsPerWord - 1) / kBitsPerWord, 0);
    return claimed;
}

size_t UdpReassembler::chooseVictim() const {
    size_t victim = 0;
    for (size_t i = 1; i < slots_.size(); ++i)
        if (slots_[i].sequence < slots_[victim].sequence) victim = i;
    if (slots_[victim].sequence >= udpchunk::kWrapLow) return victim;

    // The smallest number may be the newest frame after the counter wrapped: the
    // oldest is then the smallest sequence just below the wrap.
    bool found = false;
    size_t wrapped = victim;
    for (size_t i = 0; i < slots_.size(); ++i) {
        if (slots_[i].sequence <= udpchunk::kWrapHigh) continue;
        if (!found || slots_[i].sequence < slots_[wrapped].sequence) wrapped = i;
        found = true;
    }
    if (!found) return victim;
    sdkLog(LOG_WARN, kLogTag,
           "udp sn overturn=" + std::to_string(slots_[wrapped].sequence) + ": " +
               std::to_string(slots_[0].sequence) + " " + std::to_string(slots_[1].sequence) + " " +
               std::to_string(slots_[2].sequence));
    return wrapped;
}

void UdpReassembler::rememberDiscarded(uint16_t sequence) {
    // The first empty entry, else the one with the smallest sequence.
    size_t target = 0;
    for (size_t i = 0; i < discardList_.size(); ++i) {
        if (discardList_[i] == 0) {
            target = i;
            break;
        }
        if (discardList_[i] < discardList_[target]) target = i;
    }
    discardList_[target] = sequence;
}

UdpReassembler::ChunkResult UdpReassembler::finishFrame(FrameSlot& slot,
                                                        ReassembledPacket& result) {
    const uint8_t* frame = slot.buffer.data();
    if (read32(frame, true) != kStartMark ||
        read32(frame + slot.size - kMarkSize, true) != kEndMark) {
        std::printf("udp frame error %u\n", unsigned{slot.sequence});
        bump(framesBroken_);
        return ChunkResult::Continue;
    }
    result.data = frame + kInnerOffset;
    result.size = slot.size - kInnerOffset - kMarkSize;
    resultSlot_ = &slot;
    bump(framesCompleted_);
    return ChunkResult::Completed;
}

}  // namespace Movoda
