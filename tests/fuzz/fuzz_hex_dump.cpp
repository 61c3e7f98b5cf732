// Hexadecimal text dumps of a frame's datagrams, and the frame rebuilt from them.
#include <string>

#include "FuzzFrame.h"
#include "facade/RecordedFrame.h"
#include "records/HexDump.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const Movoda::records::HexDump dump = Movoda::records::parseHexDump(text);
    fuzzcheck::require(dump.bytes.size() * 2 <= size, "more bytes than the text can hold");
    if (const auto inner = Movoda::facade::rebuildRecordedFrame(dump.bytes))
        fuzzcheck::decodeInner(inner->data(), inner->size());
    return 0;
}
