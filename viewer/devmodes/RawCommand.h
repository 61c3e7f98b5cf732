// The bytes of a raw command typed into the command box: the first byte is the command
// id, the rest its payload.
#pragma once

#include <QString>

#include <cstdint>
#include <vector>

namespace vantory::devmodes {

struct RawCommand {
    std::vector<std::uint8_t> bytes;  // empty: nothing is sent
    QString rejectedPart;             // the group that stopped it, when one did
};

// Every "0x" is removed first; a text of one character or none gives nothing. Decimal:
// groups separated by commas and white space, each 0..255. Hexadecimal: groups separated
// by white space, each one or two hex digits. One bad group sends nothing.
RawCommand parseRawCommand(const QString& text, bool decimal);

}  // namespace vantory::devmodes
