// The SDK against the simulated camera under one fault at a time, all rows at once, each on
// its own loopback address 127.0.0.201.. and image port 9201.. . Per row: the link comes
// back where the camera lets it, every frame the camera sent is accounted for on the SDK's
// side, and no delivered frame differs from what the camera sent as that frame.
#include <gtest/gtest.h>

#include <cstdio>
#include <future>
#include <string>
#include <vector>

#include "FaultRow.h"

namespace {

using faults::FaultRow;
using faults::LinkExpectation;
using faults::RowResult;

constexpr double kRowSeconds = 20;
constexpr double kReconnectLimitSeconds = 5;

std::vector<FaultRow> matrix() {
    using O = camsim::SimOptions;
    return {
        {"none", [](O&) {}},
        {"drop 1%", [](O& o) { o.faults.datagrams.drop = 0.01; }},
        {"drop 10%", [](O& o) { o.faults.datagrams.drop = 0.10; }, LinkExpectation::Stays, false,
         true, false},
        {"reorder 10%", [](O& o) { o.faults.datagrams.reorder = 0.10; }},
        {"duplicate 5%", [](O& o) { o.faults.datagrams.duplicate = 0.05; }},
        {"corrupt 0.5%", [](O& o) { o.faults.datagrams.corrupt = 0.005; }, LinkExpectation::Stays,
         false, false},
        {"busy 30%", [](O& o) { o.faults.busyShare = 0.3; }},
        {"close every 5 s", [](O& o) { o.faults.closeEverySeconds = 5; },
         LinkExpectation::ComesBack},
        {"stop answering", [](O& o) { o.faults.stopAnsweringAfterSeconds = 8; },
         LinkExpectation::Gone},
        {"reset", [](O&) {}, LinkExpectation::ComesBack, true},
        {"legacy byte order", [](O& o) { o.legacy = true; }},
    };
}

void printTable(const std::vector<RowResult>& rows) {
    std::printf("\n%-18s %5s %5s %5s %5s %4s %5s %5s %5s %4s %4s %6s %5s %5s %5s %6s\n", "fault",
                "sent", "compl", "broke", "evict", "pend", "deliv", "disc", "withh", "rej", "late",
                "dupchk", "check", "bad", "links", "down s");
    for (const RowResult& r : rows) {
        std::printf(
            "%-18s %5llu %5llu %5llu %5llu %4llu %5llu %5llu %5llu %4llu %4llu %6llu %5llu "
            "%5llu %2llu/%-2llu %5.2f\n",
            r.name.c_str(), (unsigned long long)r.sent, (unsigned long long)r.completed,
            (unsigned long long)r.broken, (unsigned long long)r.evicted,
            (unsigned long long)r.pending, (unsigned long long)r.delivered,
            (unsigned long long)r.discarded, (unsigned long long)r.withheld,
            (unsigned long long)r.rejected, (unsigned long long)r.lateChunks,
            (unsigned long long)r.duplicateChunks, (unsigned long long)r.checked,
            (unsigned long long)r.corrupted, (unsigned long long)r.linksClosed,
            (unsigned long long)r.linksAccepted, r.longestDownSeconds);
    }
    std::printf(
        "(late, dupchk: chunks; links: closed by the camera / accepted; down s: longest "
        "time the SDK was not connected)\n\n");
    std::fflush(stdout);
}

TEST(FaultMatrix, EveryFaultAloneKeepsTheCountsAndTheFramesHonest) {
    const std::vector<FaultRow> rows = matrix();
    std::vector<std::future<RowResult>> running;
    for (size_t i = 0; i < rows.size(); ++i) {
        faults::RowPlace place;
        place.address = "127.0.0." + std::to_string(201 + i);
        place.imagePort = uint16_t(9201 + i);
        place.seconds = kRowSeconds;
        running.push_back(std::async(std::launch::async, faults::runFaultRow, rows[i], place));
    }
    std::vector<RowResult> results;
    for (auto& row : running) results.push_back(row.get());
    printTable(results);

    for (size_t i = 0; i < rows.size(); ++i) {
        const FaultRow& row = rows[i];
        const RowResult& r = results[i];
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(r.connected);
        for (const std::string& problem : r.problems) ADD_FAILURE() << problem;
        EXPECT_GT(r.sent, 0u);
        if (row.framesArrive) {
            EXPECT_GT(r.delivered, 0u);
            EXPECT_GT(r.checked, 0u);
        }
        // Every frame the camera sent opened a slot and ended in exactly one way.
        EXPECT_EQ(r.completed + r.broken + r.evicted + r.pending, r.sent);
        // Every completed frame was taken or refused, and every taken one handed on or
        // replaced by a newer one.
        EXPECT_EQ(r.accepted + r.rejected, r.completed);
        EXPECT_EQ(r.delivered + r.discarded + r.withheld, r.accepted);
        if (row.framesExact) {
            EXPECT_EQ(r.corrupted, 0u) << r.firstCorruption;
        }
        switch (row.link) {
            case LinkExpectation::Stays:
                EXPECT_EQ(r.linkDrops, 0u);
                EXPECT_EQ(r.linksAccepted, 1u);
                break;
            case LinkExpectation::ComesBack:
                // Every link the camera closed was opened again, each time within the limit.
                EXPECT_GE(r.linksClosed, 1u);
                EXPECT_EQ(r.linksAccepted, r.linksClosed + 1);
                EXPECT_LT(r.longestDownSeconds, kReconnectLimitSeconds);
                EXPECT_TRUE(r.connectedAtEnd);
                break;
            case LinkExpectation::Gone:
                // The SDK notices the silence and stops delivering as if all were well.
                EXPECT_GE(r.linkDrops, 1u);
                EXPECT_FALSE(r.connectedAtEnd);
                break;
        }
    }
}

}  // namespace
