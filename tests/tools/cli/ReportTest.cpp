// JSON lines, the stream report, the recorder's hand-off between threads and the CSV.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <limits>
#include <sstream>
#include <thread>

#include "JsonLine.h"
#include "SnapshotFiles.h"
#include "StreamRecorder.h"
#include "StreamReport.h"

namespace vantory_cli {
namespace {

// The value text of one key in a flat JSON object line, or "" when absent.
std::string valueOf(const std::string& line, const std::string& key) {
    const std::string marker = "\"" + key + "\":";
    const size_t at = line.find(marker);
    if (at == std::string::npos) return "";
    const size_t begin = at + marker.size();
    size_t end = begin;
    if (line[begin] == '"') {
        end = line.find('"', begin + 1) + 1;
    } else {
        while (end < line.size() && line[end] != ',' && line[end] != '}') ++end;
    }
    return line.substr(begin, end - begin);
}

TEST(JsonLine, FieldsInOrderWithTypes) {
    JsonLine line;
    line.add("a", 1)
        .add("b", uint64_t{18446744073709551615u})
        .add("c", int64_t{-7})
        .add("d", 2.5, 2)
        .add("e", true)
        .add("f", "text");
    EXPECT_EQ(line.str(),
              "{\"a\":1,\"b\":18446744073709551615,\"c\":-7,\"d\":2.50,\"e\":true,\"f\":\"text\"}");
    EXPECT_EQ(JsonLine().str(), "{}");
}

TEST(JsonLine, MissingAndNonFiniteNumbersAreNull) {
    JsonLine line;
    line.add("nan", std::numeric_limits<double>::quiet_NaN())
        .add("inf", std::numeric_limits<double>::infinity())
        .add("none", std::optional<double>{})
        .add("some", std::optional<double>{1.25}, 1)
        .add("negzero", -0.0001, 2);
    EXPECT_EQ(line.str(),
              "{\"nan\":null,\"inf\":null,\"none\":null,\"some\":1.2,\"negzero\":0.00}");
}

TEST(JsonLine, EscapesStrings) {
    EXPECT_EQ(jsonQuote("a\"b\\c\nd\te\x01"), "\"a\\\"b\\\\c\\nd\\te\\u0001\"");
    JsonLine line;
    line.add("we\"ird", "x");
    EXPECT_EQ(line.str(), "{\"we\\\"ird\":\"x\"}");
}

TEST(StreamReport, FiguresAreDifferencesOfTheSdkCounters) {
    Movoda::MvStreamStats before, after;
    before.rawDiscarded = 5;
    after.rawDiscarded = 7;
    before.imageDiscarded = 1;
    after.imageDiscarded = 4;
    before.udpFramesEvicted = 10;
    after.udpFramesEvicted = 13;
    after.udpFramesBroken = 1;
    before.udpChunksDiscarded = 100;
    after.udpChunksDiscarded = 250;
    after.udpDatagramsDropped = 2;
    after.framesRejected = 3;
    const SdkFigures f = figuresBetween(before, after, 49);
    EXPECT_EQ(f.sdkFrameRate, 49u);
    EXPECT_EQ(f.queueDropped, 2u + 3u);  // both queues
    EXPECT_EQ(f.framesEvicted, 3u);
    EXPECT_EQ(f.framesBroken, 1u);
    EXPECT_EQ(f.chunksDiscarded, 150u);
    EXPECT_EQ(f.datagramsDropped, 2u);
    EXPECT_EQ(f.framesRejected, 3u);

    // Counters that start again (a new SDK) never turn into huge unsigned differences.
    const SdkFigures restarted = figuresBetween(after, before, 0);
    EXPECT_EQ(restarted.framesEvicted, before.udpFramesEvicted);
    EXPECT_EQ(restarted.queueDropped, before.rawDiscarded + before.imageDiscarded);
}

TEST(StreamReport, IntervalAndSummaryLines) {
    IntervalReport report;
    report.received = 50;
    report.lost = 2;
    for (int i = 1; i <= 50; ++i) report.latenciesMs.push_back(i * 0.1);  // 0.1 .. 5.0
    report.centralZ = {1.49, 1.5, 1.51};
    SdkFigures sdk;
    sdk.framesEvicted = 2;
    sdk.sdkFrameRate = 52;

    const std::string line = intervalLine(3, 0.5, report, sdk, true);
    EXPECT_EQ(line.front(), '{');
    EXPECT_EQ(line.back(), '}');
    EXPECT_EQ(valueOf(line, "second"), "3");
    EXPECT_EQ(valueOf(line, "received"), "50");
    EXPECT_EQ(valueOf(line, "lost"), "2");
    EXPECT_EQ(valueOf(line, "framesEvicted"), "2");
    EXPECT_EQ(valueOf(line, "fps"), "100.00");  // 50 frames in half a second
    EXPECT_EQ(valueOf(line, "sdkFps"), "52");
    EXPECT_EQ(valueOf(line, "latencyMedianMs"), "2.550");
    EXPECT_EQ(valueOf(line, "latencyP99Ms"), "5.000");
    EXPECT_EQ(valueOf(line, "centralZMedianM"), "1.5000");

    const std::string noCloud = intervalLine(1, 1.0, report, sdk, false);
    EXPECT_EQ(noCloud.find("centralZ"), std::string::npos);

    const std::string summary = summaryLine(2.0, IntervalReport{}, SdkFigures{}, true);
    EXPECT_EQ(valueOf(summary, "summary"), "true");
    EXPECT_EQ(valueOf(summary, "seconds"), "2.00");
    EXPECT_EQ(valueOf(summary, "received"), "0");
    EXPECT_EQ(valueOf(summary, "latencyMedianMs"), "null");  // no frame, no latency
    EXPECT_EQ(valueOf(summary, "centralZMedianM"), "null");
    EXPECT_EQ(valueOf(summaryLine(0.0, report, sdk, false), "fps"), "0.00");
}

TEST(StreamRecorder, IntervalsAndTotals) {
    StreamRecorder recorder;
    recorder.record({10, 1.0, 2.0});
    recorder.record({11, 3.0, std::nullopt});
    recorder.record({14, std::nullopt, std::nullopt});  // 12 and 13 lost
    const IntervalReport first = recorder.takeInterval();
    EXPECT_EQ(first.received, 3u);
    EXPECT_EQ(first.lost, 2u);
    EXPECT_EQ(first.latenciesMs, (std::vector<double>{1.0, 3.0}));
    EXPECT_EQ(first.centralZ, (std::vector<double>{2.0}));

    const IntervalReport empty = recorder.takeInterval();
    EXPECT_EQ(empty.received, 0u);
    EXPECT_TRUE(empty.latenciesMs.empty());

    recorder.record({16, 5.0, std::nullopt});  // 15 lost across the interval boundary
    const IntervalReport second = recorder.takeInterval();
    EXPECT_EQ(second.lost, 1u);
    const IntervalReport totals = recorder.totals();
    EXPECT_EQ(totals.received, 4u);
    EXPECT_EQ(totals.lost, 3u);
    EXPECT_EQ(totals.latenciesMs.size(), 3u);
}

// Frames before the run's start count nowhere, not even as a gap before the first frame
// of the run; frames after the end count nowhere either, so the lines add up to the totals.
TEST(StreamRecorder, RunStartsAtRestartAndEndsAtFinish) {
    StreamRecorder recorder;
    recorder.record({100, 1.0, std::nullopt});
    recorder.restart();
    recorder.record({200, 2.0, std::nullopt});
    recorder.record({202, 3.0, std::nullopt});  // 201 lost
    const IntervalReport first = recorder.takeInterval();
    recorder.record({203, 4.0, std::nullopt});
    const StreamRecorder::Final final = recorder.finish();
    recorder.record({205, 5.0, std::nullopt});  // after the end
    EXPECT_EQ(first.received + final.lastInterval.received, final.totals.received);
    EXPECT_EQ(final.totals.received, 3u);
    EXPECT_EQ(final.totals.lost, 1u);
    EXPECT_EQ(final.totals.latenciesMs, (std::vector<double>{2.0, 3.0, 4.0}));
    EXPECT_EQ(recorder.totals().received, 3u);
    EXPECT_EQ(recorder.takeInterval().received, 0u);
}

// The SDK thread records while the reporting thread takes intervals: nothing is lost or
// counted twice.
TEST(StreamRecorder, HandOffBetweenThreads) {
    StreamRecorder recorder;
    constexpr uint32_t kFrames = 20000;
    std::atomic<bool> done{false};
    std::thread producer([&] {
        for (uint32_t n = 0; n < kFrames; ++n) {
            if (n % 10 == 9) continue;  // every tenth frame lost
            recorder.record({n % 65536, static_cast<double>(n % 7), std::nullopt});
        }
        done.store(true);
    });
    uint64_t received = 0, lost = 0, latencies = 0;
    for (;;) {
        const bool finished = done.load();
        const IntervalReport r = recorder.takeInterval();
        received += r.received;
        lost += r.lost;
        latencies += r.latenciesMs.size();
        if (finished) break;
        std::this_thread::yield();
    }
    producer.join();
    const IntervalReport rest = recorder.takeInterval();
    received += rest.received;
    lost += rest.lost;
    EXPECT_EQ(received, kFrames - kFrames / 10);
    EXPECT_EQ(lost, kFrames / 10 - 1);  // the last frame (19999) was never followed
    EXPECT_EQ(latencies + rest.latenciesMs.size(), received);
    EXPECT_EQ(recorder.totals().received, received);
}

TEST(DistanceCsv, RowsColumnsAndInvalidCodes) {
    const uint32_t distances[] = {1500, 0, 964000, 2, 963999, 4294967295u};
    std::ostringstream out;
    ASSERT_TRUE(writeDistanceCsv(out, distances, 6, 3, 2));
    EXPECT_EQ(out.str(), "1500,0,0\n2,963999,0\n");
}

TEST(DistanceCsv, RefusesPlanesSmallerThanTheImage) {
    const uint32_t distances[4] = {1, 2, 3, 4};
    std::ostringstream out;
    EXPECT_FALSE(writeDistanceCsv(out, distances, 4, 3, 2));
    EXPECT_FALSE(writeDistanceCsv(out, nullptr, 0, 3, 2));
    EXPECT_FALSE(writeDistanceCsv(out, distances, 4, 0, 2));
    EXPECT_TRUE(out.str().empty());
}

}  // namespace
}  // namespace vantory_cli
