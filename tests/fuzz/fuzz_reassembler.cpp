// The image stream's reassembler. In the structured half of the inputs a few frames are
// cut into chunks and sent in any order, any number of times, mixed with chunks of other
// frames carrying arbitrary bytes (never at offset 0, so those frames can never
// complete); every frame handed out must then be exactly one of the frames sent: it holds
// only its own chunks. The other half is arbitrary datagrams.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <vector>

#include "FuzzCheck.h"
#include "link/Packet.h"
#include "link/UdpReassembler.h"

namespace {

namespace chunk = Movoda::udpchunk;

constexpr size_t kMaxFrames = 6;
constexpr size_t kMaxChunksPerFrame = 8;
constexpr uint16_t kForeignSequenceStep = 64;  // other frames' sequences lie beyond ours

void putField(std::vector<uint8_t>& out, uint64_t value, int bytes, bool big) {
    for (int i = 0; i < bytes; ++i)
        out.push_back(uint8_t(value >> (big ? 8 * (bytes - 1 - i) : 8 * i)));
}

std::vector<uint8_t> chunkOf(uint16_t sequence, uint32_t frameSize, uint32_t offset,
                             const uint8_t* payload, uint16_t length, bool big) {
    std::vector<uint8_t> d;
    putField(d, sequence, 2, big);
    putField(d, frameSize, 4, big);
    putField(d, length, 2, big);
    putField(d, offset, 4, big);
    putField(d, 0, 8, big);
    d.insert(d.end(), payload, payload + length);
    return d;
}

// A chunk length that reads as implausible in the other byte order, so that every header
// is read in the order it was written: 256..1400 with a low byte of at least 6.
uint16_t unambiguousLength(FuzzedDataProvider& in) {
    uint16_t length = in.ConsumeIntegralInRange<uint16_t>(256, chunk::kMaxPayload);
    if ((length & 0xFF) < 6) length = uint16_t(length + 6);
    return length;
}

struct SentFrame {
    uint16_t sequence;
    uint16_t chunkLength;
    std::vector<uint8_t> packet;  // wire packet, a whole number of chunks long
};

SentFrame makeFrame(uint16_t sequence, uint16_t chunkLength, size_t chunks, bool big) {
    const size_t framing = Movoda::packet::kFramingSize + 1 + 3;  // marks, length, id, trailer
    std::vector<uint8_t> payload(chunks * chunkLength - framing);
    for (size_t i = 0; i < payload.size(); ++i)
        payload[i] = uint8_t(sequence * 131 + i * 7 + (i >> 8));
    const uint8_t trailer[] = {0x00, 0x03, uint8_t(big ? 0x02 : 0x03)};
    return {sequence, chunkLength,
            Movoda::packet::buildPacket(251, payload.data(), payload.size(), trailer,
                                        sizeof trailer, big)};
}

void feed(Movoda::UdpReassembler& r, const std::vector<uint8_t>& datagram,
          std::vector<uint8_t>& out, const std::vector<SentFrame>* sent) {
    // An exact-size copy, so that AddressSanitizer sees any read past the datagram.
    std::unique_ptr<uint8_t[]> exact(new uint8_t[datagram.size()]);
    std::copy(datagram.begin(), datagram.end(), exact.get());
    if (!r.udppacket(exact.get(), datagram.size(), out)) return;
    fuzzcheck::require(out.size() <= chunk::kMaxFrameSize, "result larger than a frame");
    if (sent == nullptr) return;
    const bool known = std::any_of(sent->begin(), sent->end(), [&](const SentFrame& f) {
        return out.size() + Movoda::packet::kFramingSize == f.packet.size() &&
               std::equal(out.begin(), out.end(), f.packet.begin() + Movoda::packet::kInnerOffset);
    });
    fuzzcheck::require(known, "a delivered frame is not one of the frames sent");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    const bool structured = in.ConsumeBool();
    const bool big = in.ConsumeBool();
    // One reassembler for the whole run (its slots are megabytes), emptied before each
    // input so that every input starts from the same state.
    static std::atomic<bool> order{false};
    static Movoda::UdpReassembler r(order);
    order.store(in.ConsumeBool());
    r.reset();
    std::vector<uint8_t> out;

    if (!structured) {
        while (in.remaining_bytes() > 0) {
            const auto datagram =
                in.ConsumeBytes<uint8_t>(in.ConsumeIntegralInRange<size_t>(0, 3000));
            feed(r, datagram, out, nullptr);
        }
        fuzzcheck::require(r.stats().framesPending <= chunk::kSlotCount,
                           "more frames pending than slots");
        return 0;
    }

    const uint16_t base = in.ConsumeIntegral<uint16_t>();
    std::vector<SentFrame> sent;
    const size_t frames = in.ConsumeIntegralInRange<size_t>(1, kMaxFrames);
    for (size_t i = 0; i < frames; ++i) {
        const uint16_t length = unambiguousLength(in);
        sent.push_back(makeFrame(uint16_t(base + i), length,
                                 in.ConsumeIntegralInRange<size_t>(1, kMaxChunksPerFrame), big));
    }
    while (in.remaining_bytes() > 0) {
        switch (in.ConsumeIntegralInRange(0, 5)) {
            case 0:  // another frame's chunk, arbitrary bytes, never the first byte
            {
                const uint16_t sequence =
                    uint16_t(base + kForeignSequenceStep + in.ConsumeIntegralInRange(0, 63));
                const uint32_t frameSize = in.ConsumeIntegralInRange<uint32_t>(15, 20000);
                const uint32_t offset = in.ConsumeIntegralInRange<uint32_t>(1, frameSize);
                const uint16_t length = unambiguousLength(in);
                std::vector<uint8_t> payload = in.ConsumeBytes<uint8_t>(length);
                payload.resize(length);
                feed(r, chunkOf(sequence, frameSize, offset, payload.data(), length, big), out,
                     &sent);
                break;
            }
            case 1:
                r.reset();  // the link was opened again
                break;
            default: {  // one of our frames' chunks, in any order, any number of times
                const SentFrame& f = sent[in.ConsumeIntegralInRange<size_t>(0, sent.size() - 1)];
                const size_t chunks = f.packet.size() / f.chunkLength;
                const size_t k = in.ConsumeIntegralInRange<size_t>(0, chunks - 1);
                feed(r,
                     chunkOf(f.sequence, uint32_t(f.packet.size()), uint32_t(k * f.chunkLength),
                             f.packet.data() + k * f.chunkLength, f.chunkLength, big),
                     out, &sent);
                break;
            }
        }
    }
    const auto s = r.stats();
    fuzzcheck::require(s.framesPending <= chunk::kSlotCount, "more frames pending than slots");
    return 0;
}
