#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace Movoda {

// Layout of the image stream's UDP chunks and the limits of reassembly.
namespace udpchunk {
constexpr size_t kHeaderSize = 20;
constexpr size_t kSequenceOffset = 0;     // u16, wraps
constexpr size_t kFrameSizeOffset = 2;    // u32, total frame bytes
constexpr size_t kLengthOffset = 6;       // u16, payload bytes of this chunk
constexpr size_t kChunkOffsetOffset = 8;  // u32, payload position within the frame
constexpr uint16_t kMaxPayload = 1400;
constexpr uint32_t kMaxFrameSize = 1200000;
constexpr size_t kSlotBytes = 1229824;
constexpr size_t kSlotCount = 3;
constexpr size_t kDiscardListSize = 3;
constexpr size_t kDatagramBufferSize = 100096;  // receive buffer the transport keeps
constexpr size_t kRecordedDatagramSize = 1420;  // header + full payload, as recorded
// A discard-list entry is forgotten once chunks this far away arrive; so is an entry of
// the list of recently finished frames.
constexpr int kDiscardDistance = 30;
// Finished frames (completed, broken or evicted) remembered so that their stragglers are
// recognised as late instead of opening a slot of their own.
constexpr size_t kFinishedMemory = 32;
// Sequences near the wrap: a victim below kWrapLow loses to one above kWrapHigh.
constexpr uint16_t kWrapLow = 5;
constexpr uint16_t kWrapHigh = 65500;
// IMU reports travel as one small chunk holding a whole command packet.
constexpr uint16_t kImuMaxPayload = 199;
constexpr size_t kImuCmdIdPayloadOffset = 8;
constexpr uint8_t kImuCmdId = 252;
}  // namespace udpchunk

// Counters of one reassembler. Every frame that claimed a slot ends in exactly one of
// framesCompleted, framesBroken (every byte arrived but the marks are wrong) and
// framesEvicted (pushed out unfinished by a newer frame, or dropped by reset()), or is
// still framesPending. chunksDiscarded: chunks ignored (discard list, bad IMU report,
// header that does not fit its frame or disagrees with its slot's size);
// chunksDuplicate: chunks whose bytes had all arrived already; chunksLate: chunks of a
// frame that had already finished; datagramsDropped: datagrams whose remaining bytes
// were dropped; bytesMissing: bytes that evicted frames never received.
struct ReassemblyStats {
    uint64_t framesCompleted = 0, imuReports = 0, framesEvicted = 0, chunksDiscarded = 0,
             datagramsDropped = 0, framesBroken = 0, chunksDuplicate = 0, chunksLate = 0,
             bytesMissing = 0;
    uint32_t framesPending = 0;
};

// A completed result of udppacket: its inner packet (command id .. trailer), in memory
// that stays as it is until the next udppacket call: a frame slot, the datagram itself
// (IMU reports), or the reassembler's spill buffer.
struct ReassembledPacket {
    const uint8_t* data = nullptr;
    size_t size = 0;
};

// Puts the chunks of image datagrams together into whole frame packets in three
// frame slots, and passes IMU reports through. Everything is allocated in the
// constructor; udppacket() allocates nothing beyond growing the caller's vector (or,
// rarely, the spill buffer).
// udppacket() must be called from one thread at a time; stats() and reset() may be
// called from any thread.
class UdpReassembler {
public:
    explicit UdpReassembler(std::atomic<bool>& bigEndianLength);
    UdpReassembler(const UdpReassembler&) = delete;
    UdpReassembler& operator=(const UdpReassembler&) = delete;

    // Processes every chunk of one datagram; true when a frame or IMU report
    // completed. out then holds its inner packet (command id .. trailer); when several
    // completed, the last one.
    bool udppacket(const uint8_t* datagram, size_t size, std::vector<uint8_t>& out);
    // The same without a copy: result points at the packet where it was put together,
    // valid until the next call (and, for an IMU report, while the datagram lives).
    bool udppacket(const uint8_t* datagram, size_t size, ReassembledPacket& result);

    ReassemblyStats stats() const;
    // Bytes the frame that took the last chunk is still waiting for (0 when that frame
    // finished or nothing is in progress). Same thread as udppacket().
    uint32_t bytesStillExpected() const {
        return lastSlot_ != nullptr && lastSlot_->active ? lastSlot_->size - lastSlot_->received : 0;
    }
    // Drops all slots and the discard list before the next datagram (link re-opened).
    void reset();

private:
    struct ChunkHeader {
        uint16_t sequence = 0;
        uint32_t frameSize = 0;
        uint16_t length = 0;
        uint32_t offset = 0;
    };
    // A frame is complete when every one of its bytes has arrived, whatever the order
    // and however often: `covered` marks each byte received, one bit per byte.
    struct FrameSlot {
        std::vector<uint8_t> buffer;
        std::vector<uint64_t> covered;
        bool active = false;
        uint16_t sequence = 0;
        uint32_t received = 0;  // distinct bytes
        uint32_t size = 0;
    };
    enum class ChunkResult { Continue, Completed, DropDatagram };

    ChunkResult processChunk(const uint8_t* datagram, size_t size, size_t position,
                             ReassembledPacket& result, size_t& chunkEnd);
    bool readPlausibleHeader(const uint8_t* chunk, size_t available, ChunkHeader& header);
    ChunkResult handleImu(const uint8_t* payload, uint16_t length, ReassembledPacket& result);
    bool onDiscardList(uint16_t sequence);
    bool finishedRecently(uint16_t sequence);
    void rememberFinished(uint16_t sequence);
    FrameSlot* slotFor(uint16_t sequence, uint32_t frameSize, ReassembledPacket& result);
    size_t chooseVictim() const;
    void rememberDiscarded(uint16_t sequence);
    ChunkResult finishFrame(FrameSlot& slot, ReassembledPacket& result);
    void applyPendingReset();

    void addMissing(const FrameSlot& evicted) {
        bytesMissing_.store(
            bytesMissing_.load(std::memory_order_relaxed) + (evicted.size - evicted.received),
            std::memory_order_relaxed);
    }
    static void bump(std::atomic<uint64_t>& counter) {
        counter.store(counter.load(std::memory_order_relaxed) + 1, std::memory_order_relaxed);
    }

    std::atomic<bool>& bigEndianLength_;
    std::array<FrameSlot, udpchunk::kSlotCount> slots_;
    const FrameSlot* lastSlot_ = nullptr;
    // The slot the current call's result points into; a later chunk of the same
    // datagram that claims it for a new frame first moves the result to spill_.
    const FrameSlot* resultSlot_ = nullptr;
    std::vector<uint8_t> spill_;
    std::array<uint16_t, udpchunk::kDiscardListSize> discardList_{};
    std::array<int32_t, udpchunk::kFinishedMemory> finished_{};  // -1: empty
    size_t finishedNext_ = 0;
    std::atomic<bool> resetRequested_{false};

    std::atomic<uint64_t> framesCompleted_{0};
    std::atomic<uint64_t> imuReports_{0};
    std::atomic<uint64_t> framesEvicted_{0};
    std::atomic<uint64_t> chunksDiscarded_{0};
    std::atomic<uint64_t> datagramsDropped_{0};
    std::atomic<uint64_t> framesBroken_{0};
    std::atomic<uint64_t> chunksDuplicate_{0};
    std::atomic<uint64_t> chunksLate_{0};
    std::atomic<uint64_t> bytesMissing_{0};
    std::atomic<uint32_t> framesPending_{0};
};

}  // namespace Movoda
