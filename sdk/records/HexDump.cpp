#include "records/HexDump.h"

#include <fstream>
#include <sstream>

#include "frame/ByteReader.h"
#include "frame/FrameLayout.h"
#include "records/RecordFormat.h"

namespace Movoda::records {

namespace {

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string trimmed(const std::string& line) {
    const char* blanks = " \t\r\n\f\v";
    const size_t first = line.find_first_not_of(blanks);
    if (first == std::string::npos) return std::string();
    return line.substr(first, line.find_last_not_of(blanks) - first + 1);
}

}  // namespace

HexDump parseHexDump(const std::string& text) {
    HexDump dump;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        line = trimmed(line);
        if (line.empty()) continue;
        if (line.size() % 2 != 0) {
            dump.messages.push_back(kHexOddLength);
            continue;
        }
        bool hex = true;
        for (char c : line) hex = hex && hexValue(c) >= 0;
        if (!hex) {
            dump.messages.push_back(kHexNotHex);
            continue;
        }
        for (size_t i = 0; i < line.size(); i += 2) {
            dump.bytes.push_back(
                static_cast<uint8_t>(hexValue(line[i]) * 16 + hexValue(line[i + 1])));
        }
    }
    // The datagrams carry the wire packet, so the frame's end lies before the end mark.
    size_t n = dump.bytes.size();
    if (n >= kPacketEndBytes &&
        bytes::be32(dump.bytes.data() + n - kPacketEndBytes) == kPacketEndMark) {
        n -= kPacketEndBytes;
    }
    constexpr size_t kLengthFromEnd = frame_layout::kInfoLengthFromEnd;
    dump.endsWithInfoBlock =
        n >= kLengthFromEnd &&
        bytes::le16(dump.bytes.data() + n - kLengthFromEnd) == frame_layout::kInfoBlockSize;
    return dump;
}

bool readHexDump(const std::string& path, HexDump& dump) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) return false;
    const std::streamoff length = in.tellg();
    // A frame of the largest sensor is well under a megabyte; its dump is twice that.
    if (length < 0 || static_cast<uint64_t>(length) > 2 * kMaxRecordFileBytes) return false;
    in.seekg(0);
    std::string text(static_cast<size_t>(length), '\0');
    if (length > 0 && !in.read(text.data(), length)) return false;
    dump = parseHexDump(text);
    return true;
}

}  // namespace Movoda::records
