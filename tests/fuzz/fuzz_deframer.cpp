// The command channel's byte-stream deframers: TCP (one byte order) and USB (either
// order), fed in random slices with a clock that may stand still or jump past the stall
// limit. Every packet handed out must stand framed, byte for byte, in the stream, and
// packets leave in stream order.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <chrono>
#include <random>
#include <vector>

#include "FuzzCheck.h"
#include "link/CommnunicationUsb.h"
#include "link/Packet.h"

namespace {

using Movoda::packet::PacketStream;

// Start of `inner` framed in this byte order in `stream`, searched from `from`.
size_t findFramed(const std::vector<uint8_t>& stream, const std::vector<uint8_t>& inner, bool big,
                  size_t from) {
    std::vector<uint8_t> framed(inner.size() + Movoda::packet::kFramingSize);
    Movoda::packet::writeU32(framed.data(), Movoda::packet::kStartMark, true);
    Movoda::packet::writeU32(framed.data() + 4, uint32_t(inner.size()), big);
    std::copy(inner.begin(), inner.end(), framed.begin() + 8);
    Movoda::packet::writeU32(framed.data() + 8 + inner.size(), Movoda::packet::kEndMark, true);
    if (from > stream.size()) return stream.size();
    return size_t(
        std::search(stream.begin() + long(from), stream.end(), framed.begin(), framed.end()) -
        stream.begin());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    const int mode = in.ConsumeIntegralInRange(0, 3);  // TCP LE, TCP BE, USB LE, USB BE
    const bool big = mode % 2 == 1;
    std::mt19937 slicing(in.ConsumeIntegral<uint32_t>());
    const std::vector<uint8_t> stream = in.ConsumeRemainingBytes<uint8_t>();

    PacketStream tcp;
    Movoda::EitherOrderPacketStream usb;
    auto now = PacketStream::Clock::time_point{};
    std::vector<uint8_t> inner;
    size_t searchFrom = 0;
    const auto check = [&] {
        fuzzcheck::require(inner.size() >= Movoda::packet::kMinInnerSize, "packet too short");
        size_t at = findFramed(stream, inner, big, searchFrom);
        // The same bytes may stand framed in both orders: the earlier one is the packet.
        if (mode >= 2) at = std::min(at, findFramed(stream, inner, !big, searchFrom));
        fuzzcheck::require(at < stream.size(), "packet not in the stream, or out of order");
        searchFrom = mode < 2 ? at + inner.size() + Movoda::packet::kFramingSize : at + 1;
    };
    for (size_t done = 0; done < stream.size();) {
        const size_t slice = std::min(stream.size() - done, size_t(1 + slicing() % 64));
        if (mode < 2) {
            tcp.append(stream.data() + done, slice, now);
            while (tcp.next(inner, big, now)) check();
        } else {
            usb.append(stream.data() + done, slice);
            while (usb.next(inner, big)) check();
        }
        done += slice;
        now += std::chrono::milliseconds(slicing() % 4 == 0 ? 600 : slicing() % 50);
    }
    return 0;
}
