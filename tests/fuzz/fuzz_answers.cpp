// The facade's decoders of camera answers and recorded datagrams; the first byte picks
// the decoder, the rest is the answer's payload.
#include <string>
#include <vector>

#include "FuzzFrame.h"
#include "facade/CalibrationCodec.h"
#include "facade/DevConfigCodec.h"
#include "facade/DevInfoCodec.h"
#include "facade/FactoryPayloads.h"
#include "facade/RecordedFrame.h"
#include "link/Packet.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const uint8_t which = data[0];
    const uint8_t* payload = data + 1;
    const size_t n = size - 1;
    switch (which % 9) {
        case 0: {
            Movoda::DevInfo info;
            (void)Movoda::facade::decodeDevInfo(payload, n, info);
            break;
        }
        case 1:
        case 2: {
            Movoda::DevConfig config;
            (void)Movoda::facade::decodeDevConfig(payload, n, which % 9 == 2, config);
            break;
        }
        case 3:
            (void)Movoda::facade::decodeLensParams(payload, n);
            break;
        case 4:
            (void)Movoda::facade::decodeImuExtrinsic(payload, n);
            break;
        case 5:
            (void)Movoda::facade::decodeTemprtCoefficient(payload, n, which & 0x80);
            break;
        case 6:
            if (const auto text = Movoda::facade::decodeBootloaderText(payload, n))
                fuzzcheck::require(text->size() <= n, "boot-loader text longer than its answer");
            break;
        case 7:
            if (const auto split = Movoda::packet::splitInner(payload, n))
                fuzzcheck::require(split->payload.size() < n, "payload longer than the packet");
            break;
        case 8: {
            const std::vector<uint8_t> packets(payload, payload + n);
            if (const auto inner = Movoda::facade::rebuildRecordedFrame(packets))
                fuzzcheck::decodeInner(inner->data(), inner->size());
            break;
        }
    }
    return 0;
}
