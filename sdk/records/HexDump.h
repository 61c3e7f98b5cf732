// Text dumps of a received frame's image-stream datagrams: one hexadecimal string per
// line. Lines that are not whole hexadecimal byte strings are reported and left out.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace Movoda::records {

constexpr const char* kHexOddLength = "无效的16进制字符串长度!";
constexpr const char* kHexNotHex = "转换错误: 非法的16进制字符串";

struct HexDump {
    std::vector<uint8_t> bytes;         // the datagrams of all good lines, in order
    std::vector<std::string> messages;  // one per line left out
    // The dumped frame ends with the 206-byte information block (its length field reads
    // 206): such frames carry their own configuration.
    bool endsWithInfoBlock = false;
};

HexDump parseHexDump(const std::string& text);
// False when the file cannot be read.
bool readHexDump(const std::string& path, HexDump& dump);

}  // namespace Movoda::records
