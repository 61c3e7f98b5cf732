// Rebuilding one frame from its recorded image-stream datagrams (1420 bytes each, the
// last one possibly shorter), as the replay of recorded frames needs it.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace Movoda::facade {

// The frame's inner packet (command id .. trailer), or empty when the datagrams do not
// describe one consistent frame: headers in neither byte order agreeing with the data
// size, a datagram of another frame, a chunk reaching past the frame or past its
// datagram, or a frame too short to be a packet.
std::optional<std::vector<uint8_t>> rebuildRecordedFrame(const std::vector<uint8_t>& packets);

}  // namespace Movoda::facade
