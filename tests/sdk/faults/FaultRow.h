// One row of the fault matrix: a simulated camera with one fault, an MvSdk streaming from
// it for a while, and what both sides counted afterwards.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "SimOptions.h"

namespace faults {

// What the row's command link is expected to do.
enum class LinkExpectation {
    Stays,      // never drops
    ComesBack,  // drops and is connected again each time
    Gone,       // the camera falls silent for good
};

struct FaultRow {
    std::string name;
    std::function<void(camsim::SimOptions&)> inject;
    LinkExpectation link = LinkExpectation::Stays;
    bool resetDuringRun = false;
    // False where the fault alters pixel bytes behind intact chunk headers: the image
    // protocol has no checksum, so such frames cannot be told from good ones.
    bool framesExact = true;
    // False where no frame can arrive whole: a frame is some 220 datagrams, and the image
    // stream has no retransmission.
    bool framesArrive = true;
};

struct RowPlace {
    std::string address;  // camera and image stream, 127.0.0.N
    uint16_t imagePort = 0;
    double seconds = 0;  // streaming time
};

struct RowResult {
    std::string name;
    bool connected = false;
    // Simulator: frames cut into datagrams and handed to the socket.
    uint64_t sent = 0;
    // Reassembly: every frame that opened a slot.
    uint64_t completed = 0, broken = 0, evicted = 0, pending = 0;
    uint64_t lateChunks = 0, duplicateChunks = 0;
    // Frame pipeline: every completed frame.
    uint64_t accepted = 0, rejected = 0, delivered = 0, discarded = 0, withheld = 0;
    // Delivered frames compared with the scene, and how many of them differed.
    uint64_t checked = 0, corrupted = 0;
    std::string firstCorruption;
    // Command link: connections the camera accepted and closed on purpose (fault, reset),
    // and the SDK's view of it.
    uint64_t linksAccepted = 0, linksClosed = 0;
    uint32_t linkDrops = 0;
    double longestDownSeconds = 0;
    bool connectedAtEnd = false;
    std::vector<std::string> problems;  // set-up steps that failed
};

RowResult runFaultRow(const FaultRow& row, const RowPlace& place);

}  // namespace faults
