// The single object through which an application uses one camera.
//
// MvSdk owns the daemon (transports, worker threads, frame pipeline, filter chain
// and point-cloud processor). Every camera command is one blocking exchange that
// returns true when the camera answered with status 0; no exception leaves this
// class. Callbacks given to setCallback run on daemon threads, never on the
// caller's thread.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "mvsdk/MvTypes.h"

namespace Movoda {

class MvDaemon;
class FramePipeline;

// Time from the arrival of a frame's last image datagram to the start of the frame callback,
// counted in bins of kSdkLatencyBinMicros; the last bin holds everything longer.
constexpr size_t kSdkLatencyBins = 500;
constexpr uint32_t kSdkLatencyBinMicros = 10;
using SdkLatencyHistogram = std::array<uint64_t, kSdkLatencyBins + 1>;

// Counters of the frame path since the SDK was created: what the queues dropped and what
// the image-stream reassembly lost, for programs that report stream health.
struct MvStreamStats {
    uint64_t framesAccepted = 0;    // frames that passed the intake
    uint64_t framesRejected = 0;    // packets refused by the intake (size, header)
    uint64_t rawDiscarded = 0;      // replaced before decoding by a newer frame
    uint64_t imageDiscarded = 0;    // replaced before delivery by a newer frame
    uint64_t framesWithheld = 0;    // decoded but not delivered while the link was unverified
    uint64_t framesDelivered = 0;   // handed to the frame callback
    // Every frame the image stream started ends in exactly one of completed, broken and
    // evicted, or is still pending.
    uint64_t udpFramesCompleted = 0;
    uint64_t udpFramesEvicted = 0;  // incomplete frames pushed out of the reassembly slots
    uint64_t udpFramesBroken = 0;   // every byte arrived, but the packet marks are wrong
    uint32_t udpFramesPending = 0;  // in reassembly right now
    uint64_t udpChunksDiscarded = 0;
    uint64_t udpChunksDuplicate = 0;  // chunks whose bytes had all arrived already
    uint64_t udpChunksLate = 0;       // chunks of frames that had already finished
    uint64_t udpDatagramsDropped = 0;
    uint64_t udpBytesMissing = 0;     // bytes that evicted frames never received
    uint64_t udpForeignDatagrams = 0;  // sent from another address than the camera's
    uint64_t udpReceiveErrors = 0;
    uint64_t udpImuReports = 0;
    uint64_t reportsDropped = 0;    // IMU reports dropped because the event callback fell behind
    int udpReceiveBufferBytes = 0;  // granted by the system; 0 while the socket is closed
    bool udpImagePortHeld = false;  // another program holds the image port
    // Work of the image receive thread: bytes and datagrams read, the system calls that
    // read them, and the thread's CPU time (reassembly included).
    uint64_t udpBytesReceived = 0;
    uint64_t udpDatagramsReceived = 0;
    uint64_t udpReceiveCalls = 0;
    uint64_t udpReceiveCpuNs = 0;
    SdkLatencyHistogram sdkLatency{};  // frames of the image stream only
};

class MvSdk {
public:
    // Prints the banner, starts the SDK logger in "./" + logDirectoryName + "/",
    // creates the daemon and registers the connection follow-up.
    MvSdk(const std::string& instanceName, const std::string& logDirectoryName);
    // Stops the daemon: its threads end and both transports close.
    ~MvSdk();

    MvSdk(const MvSdk&) = delete;
    MvSdk& operator=(const MvSdk&) = delete;

    // ---- Construction and wiring -------------------------------------------------
    // Either callback may be empty. Callbacks are serialised; once setCallback returns,
    // no call of a previously registered callback is still running, so an application
    // can withdraw its callbacks before tearing down what they touch.
    void setCallback(EventCallback eventCallback, FrameCallback frameCallback);
    // The frame callback gets the newest frame only when the application falls behind. A
    // tap gets every frame from the camera that passes the intake, on the receive thread,
    // before anything can be replaced: for consumers that must not miss one (recording).
    // It must return quickly (queue the packet, no file access). Replayed frames are not
    // tapped. Once setFrameTap returns, the previous tap is not running and will not be
    // called again; an empty tap removes it.
    void setFrameTap(FrameTap tap);
    // An IPv4 text selects the network transport, a serial-port name the USB one.
    bool setConnectAddress(const std::string& address);
    void startup();
    bool isConnected();
    uint32_t getDevState();
    // SdkState name, then "-" + DevState name, or "-Unknow:" + number for 27 and above.
    std::string getStateString();
    bool getEndianFlag();
    // On: starts big-endian and arms the detection of the camera's byte order;
    // off: little-endian, no detection.
    bool setEndianFlag(bool flag);
    // Fixes the byte order of length fields and payload numbers without detection, for a
    // camera whose order is known (frames from the camera still carry theirs).
    void setLinkByteOrder(bool bigEndian);
    // Status (CmdStatus) of the last camera command this thread sent, so that a caller can
    // tell a "busy" camera from a refusal; CMD_OK before any.
    uint32_t getLastCmdStatus();
    uint32_t getFrameRate();
    uint32_t getReportRate();
    void setPlaybackMode(uint8_t flag);
    uint8_t getPlaybackMode();
    // Feeds one recorded frame, stored as its 1420-byte datagrams, into the frame pipeline.
    bool replayRawFrame(const std::vector<uint8_t>& packets, const std::string& tag);
    // Feeds one recorded frame payload (command id .. trailer, as a record file holds it)
    // into the frame pipeline; `tag` names the frame. False when the intake refuses it.
    bool replayFrame(const std::vector<uint8_t>& payload, const std::string& tag);
    MvStreamStats getStreamStats();

    // ---- Camera commands -----------------------------------------------------------
    bool start(ImageType type, bool flag);
    bool stop();
    bool setIp(const std::string& ip, const std::string& mask, const std::string& gateway);
    bool getDevInfo(DevInfo& info);
    bool getDevConfig(DevConfig& config);
    bool setIntTimesus(uint16_t gs, uint16_t t1, uint16_t t2, uint16_t t3, uint16_t t4, uint16_t t5);
    bool setMinAmplitude(uint16_t amplitude);
    bool setHdrMode(HdrMode mode);
    bool resetDev();
    bool restoreFactory();
    bool getLensCalidata(LensParams& params);
    // Connected: sends the image-stream destination. Not connected: stores the address and
    // a port below 10000 for the connection follow-up (cameras stream only to such ports;
    // a higher port is logged and not stored) and returns false.
    bool setUdpDestIp(const std::string& ip, uint16_t port);
    bool getImuExtrinsic(ImuExtrinsic& extrinsic, bool read);
    bool setRoi(uint16_t x0, uint16_t y0, uint16_t x1, uint16_t y1);
    bool setModFreq(ModulationFreq freq);
    bool setMaxFps(uint8_t fps);
    // The response payload is copied into `response` whatever the status.
    bool customCmd(uint8_t id, const std::vector<uint8_t>& payload, std::vector<uint8_t>& response,
                   uint32_t timeoutMs);

    // ---- SDK-side settings (no command) --------------------------------------------
    void setCutCorner(uint32_t radius);
    void setSdkBinning(uint16_t x, uint16_t y);
    void setMaxReflectivity(uint32_t limit);
    void setSdkMinAmplitude(uint16_t amplitude);
    bool setCloudCoordType(uint8_t type);
    void setMirror(uint8_t horizontal, uint8_t vertical);
    // The lens the point clouds of frames without their own lens use (played-back
    // recordings of older cameras); a camera's frames with a lens block override it.
    void setLensParams(const LensParams& params);
    // Point clouds for every frame (on) or none (off), without a camera command: playback
    // shows recorded frames as clouds. start() sets it from the image type again.
    void setPointCloudMode(bool on);
    bool getPointCloudMode();

    // ---- Filter settings, forwarded to the filter chain ----------------------------
    bool setKalmanFilter(uint16_t factorTimes1000, uint16_t threshold, uint16_t mode);
    bool setAverageFilter(uint16_t windowSize, uint16_t mode);
    bool setEdgeFilter(uint16_t threshold);
    bool setMedianFilter(uint16_t kernelSize);
    bool setDustFilter(uint16_t threshold, uint16_t frames, uint16_t mode, uint16_t range);
    void setCloudFilter(float* distanceDivisor, uint8_t* enabled, uint32_t windowSize, uint8_t motionSize);
    bool setReflectivityFilter(float* lower, float* upper);
    bool setSmoothFilter(int* iterations, int* delta, float* alpha);
    void setFilterOption(uint64_t option);

    // ---- Factory and service operations ------------------------------------------
    // Reached through factory(); they act on this same object.
    MvSdk* factory() { return factoryView_; }
    bool setBinning(uint8_t first, uint8_t second);
    bool setCompensationOnoff(uint8_t first, uint8_t second);
    bool setDevInfo(const std::string& serial);
    bool setIntgrtionLevel(uint8_t level);
    // "AA-BB-CC-DD-EE-FF"; any other form is refused without an exchange.
    bool setMac(const std::string& mac);
    bool setTemprtCoeffict(int32_t coefficient, uint8_t selector);
    bool setVcselOnOff(uint8_t mode);
    bool getTemprtCoeffict(uint8_t selector, uint32_t& coefficient);
    bool writeLensParams(const LensParams& params);
    bool writeImuExtrinsic(const ImuExtrinsic& extrinsic);
    bool saveConfigToDevice();
    // False leaves `text` unchanged, so the caller keeps its "unknow".
    bool getBootloaderText(std::string& text);

private:
    // The connection follow-up, run by the daemon's event thread for the first
    // "Connected" after a port opening.
    static void eventHook(std::shared_ptr<const CBEventData> event, void* user);
    void eventInternalProcess(const std::shared_ptr<const CBEventData>& event);
    void readLensAfterConnect();
    void pointStreamAfterConnect();
    FramePipeline& pipeline();
    void log(const std::string& operation, const std::string& message);

    std::string instanceName_;
    std::unique_ptr<MvDaemon> daemon_;
    MvSdk* factoryView_ = nullptr;
    MvDaemon* daemonAlias_ = nullptr;
};

}  // namespace Movoda
