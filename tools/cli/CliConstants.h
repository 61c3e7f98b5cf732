// Defaults, limits and command ids used by vantory-cli.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vantory_cli {

// A connection attempt gives up after this long, so that "info" against an address where
// nothing listens ends well within ten seconds including the SDK's shutdown.
constexpr int kConnectTimeoutMs = 7000;
// How long "snapshot" waits for the first complete frame once streaming has started.
constexpr int kSnapshotFrameTimeoutMs = 5000;

constexpr double kDefaultStreamSeconds = 10.0;
constexpr double kMaxStreamSeconds = 86400.0;
constexpr int kMinFps = 1;
constexpr int kMaxFps = 50;
constexpr uint16_t kDefaultImagePort = 7687;
// Cameras stream only to image ports below 10000.
constexpr long kMaxImagePort = 9999;

// A camera that answers "busy" is asked again this many times in all, this far apart.
constexpr int kBusyAttempts = 5;
constexpr int kBusyPauseMs = 200;
// How long to wait for the SDK to open (or fail to open) the image port.
constexpr int kImageSocketWaitMs = 3000;

// Side of the square of central points whose median z is reported for cloud types.
constexpr uint16_t kCentralWindow = 21;
// Percentile reported beside the median latency.
constexpr double kLatencyPercentile = 99.0;
// Frame numbers are 16 bits wide on the wire.
constexpr uint32_t kFrameNumberModulus = 65536;
// A jump of at least half the frame-number range is taken as a restart or a late frame,
// not as that many lost frames.
constexpr uint32_t kMaxPlausibleGap = kFrameNumberModulus / 2;
// A frame number at most this far behind the newest is a late frame, not a restart.
constexpr uint32_t kLateFrameWindow = 64;

// Camera command that sets one parameter by selector; selector 0x22 adds the grayscale plane.
constexpr uint8_t kCmdSelector = 202;
constexpr uint8_t kSelectorGrayscalePlane = 0x22;
constexpr uint32_t kSelectorTimeoutMs = 1000;

// Distances of this value and above are camera codes, written as 0 in the CSV.
constexpr uint32_t kCsvInvalidDistanceFrom = 964000;

// record: at most this many frames; convert: at most this many threads.
constexpr long kMaxRecordFrames = 10000000;
constexpr long kMaxConvertThreads = 64;
// Formats of convert --to.
constexpr const char* kConvertFormats[] = {"pcd", "ply", "png16", "csv", "jpg"};
// record: how long to wait for the writer to finish the queued frames at the end.
constexpr int kRecordDrainTimeoutMs = 10000;

// stats: frames measured from a camera unless --frames says otherwise; the largest
// rectangle side taken by --roi (it is clamped to the frame anyway).
constexpr int kDefaultStatsFrames = 50;
constexpr long kMaxRoiSide = 100000;

// Exit codes.
constexpr int kExitOk = 0;
constexpr int kExitUsage = 2;
constexpr int kExitNoConnection = 3;
constexpr int kExitCommandFailed = 4;
constexpr int kExitNoFrames = 5;
constexpr int kExitWriteFailed = 6;
constexpr int kExitBadFirmwareFile = 7;
constexpr int kExitFirmwareFailed = 8;
constexpr int kExitInterrupted = 9;
constexpr int kExitConvertFailed = 10;

}  // namespace vantory_cli
