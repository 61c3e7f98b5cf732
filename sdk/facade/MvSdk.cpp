// MvSdk: construction and wiring, state queries, replay and the everyday camera commands.
// The connection follow-up is in MvSdkConnection.cpp, the settings that send nothing in
// MvSdkSettings.cpp and the factory operations in MvSdkFactory.cpp.
#include "mvsdk/MvSdk.h"

#include <iostream>

#include "daemon/FramePipeline.h"
#include "daemon/MvDaemon.h"
#include "facade/CalibrationCodec.h"
#include "facade/CommandPayloads.h"
#include "facade/DevConfigCodec.h"
#include "facade/DevInfoCodec.h"
#include "facade/RecordedFrame.h"
#include "facade/SdkVersion.h"
#include "link/CommnunicationNet.h"
#include "mvsdk/MvLog.h"

namespace Movoda {

namespace {

CmdResult exchange(MvDaemon& daemon, const facade::CommandRequest& request) {
    return daemon.transceiveCmd(request.id, request.payload, request.timeoutMs);
}

}  // namespace

MvSdk::MvSdk(const std::string& instanceName, const std::string& logDirectoryName) {
    const std::string logDirectory = "./" + logDirectoryName + "/";
    std::cout << sdkversion::kBannerRule << "\n"
              << "  " << sdkversion::kName << " " << sdkversion::kVersion << "\n"
              << sdkversion::kBannerRule << "\n"
              << std::endl;
    instanceName_ = instanceName;
    init_logger(logDirectory);
    daemon_ = std::make_unique<MvDaemon>();
    daemonAlias_ = daemon_.get();
    auto framePath = std::make_shared<FramePipeline>(*daemon_);
    PipelineHooks hooks = framePath->hooks();
    daemon_->attachPipeline(std::move(framePath), std::move(hooks));
    daemon_->setInternalEventHook(&MvSdk::eventHook, this);
    factoryView_ = this;
}

MvSdk::~MvSdk() {
    // Threads first, while daemon_ still points at the daemon: the connection follow-up
    // may be running on the event thread and uses it until it returns.
    daemon_->stop();
    daemon_.reset();
    daemonAlias_ = nullptr;
    log("~MvSdk", "sdk delete");
}

FramePipeline& MvSdk::pipeline() { return *daemon_->framePipeline(); }

void MvSdk::log(const std::string& operation, const std::string& message) {
    sdkLog(LOG_INFO, "Movoda::MvSdk::" + operation, message, instanceName_);
}

// ---- Construction and wiring ----

void MvSdk::setCallback(EventCallback eventCallback, FrameCallback frameCallback) {
    // Both swaps take the daemon's callback mutex, so a running callback finishes first.
    daemon_->setEventCallback(std::move(eventCallback));
    pipeline().setFrameCallback(std::move(frameCallback));
}

void MvSdk::setFrameTap(FrameTap tap) { pipeline().setFrameTap(std::move(tap)); }

bool MvSdk::setConnectAddress(const std::string& address) {
    return daemon_->setConnectAddress(address);
}

void MvSdk::startup() { daemon_->startup(); }

bool MvSdk::isConnected() { return daemon_->sdkState() == SDK_Connected; }

uint32_t MvSdk::getDevState() { return static_cast<uint32_t>(daemon_->devState()); }

std::string MvSdk::getStateString() {
    std::string text = sdkStateName(daemon_->sdkState());
    const int state = daemon_->devState();
    if (state >= 0 && state < static_cast<int>(DEV_ErrUnknowMax)) {
        text += std::string("-") + devStateName(static_cast<uint32_t>(state));
    } else {
        text += "-Unknow:" + std::to_string(state);
    }
    return text;
}

bool MvSdk::getEndianFlag() { return daemon_->getBigEndianLength(); }

bool MvSdk::setEndianFlag(bool flag) {
    daemon_->setEndianAutoDetect(flag);
    return true;
}

void MvSdk::setLinkByteOrder(bool bigEndian) {
    daemon_->setEndianAutoDetect(false);
    daemon_->setBigEndianLength(bigEndian);
}

uint32_t MvSdk::getLastCmdStatus() {
    return MvDaemon::lastStatusOfThisThread();
}

uint32_t MvSdk::getFrameRate() { return daemon_->frameRate(); }

uint32_t MvSdk::getReportRate() { return daemon_->reportRate(); }

void MvSdk::setPlaybackMode(uint8_t flag) { pipeline().setPlaybackMode(flag); }

uint8_t MvSdk::getPlaybackMode() { return pipeline().playbackMode(); }

bool MvSdk::replayRawFrame(const std::vector<uint8_t>& packets, const std::string& tag) {
    const auto inner = facade::rebuildRecordedFrame(packets);
    if (!inner) return false;
    pipeline().replay(*inner, tag);  // a refused frame has printed "frame error "
    return true;
}

bool MvSdk::replayFrame(const std::vector<uint8_t>& payload, const std::string& tag) {
    return pipeline().replay(payload, tag);  // a refused frame has printed "frame error "
}

MvStreamStats MvSdk::getStreamStats() {
    MvStreamStats s;
    const PipelineCounters c = pipeline().counters();
    s.framesAccepted = c.accepted;
    s.framesRejected = c.rejected;
    s.rawDiscarded = c.rawDiscarded;
    s.imageDiscarded = c.imageDiscarded;
    s.framesWithheld = c.withheld;
    s.framesDelivered = c.delivered;
    s.reportsDropped = daemon_->reportsDropped();
    if (auto* net = dynamic_cast<CommnunicationNet*>(daemon_->netTransport())) {
        const ReassemblyStats r = net->udpStats();
        s.udpFramesCompleted = r.framesCompleted;
        s.udpFramesEvicted = r.framesEvicted;
        s.udpFramesBroken = r.framesBroken;
        s.udpFramesPending = r.framesPending;
        s.udpChunksDiscarded = r.chunksDiscarded;
        s.udpChunksDuplicate = r.chunksDuplicate;
        s.udpChunksLate = r.chunksLate;
        s.udpDatagramsDropped = r.datagramsDropped;
        s.udpBytesMissing = r.bytesMissing;
        s.udpForeignDatagrams = net->foreignDatagrams();
        s.udpReceiveErrors = net->udpReceiveErrors();
        s.udpImuReports = r.imuReports;
        s.udpReceiveBufferBytes = net->udpReceiveBufferBytes();
        s.udpImagePortHeld = net->imagePortHeld();
        s.udpBytesReceived = net->udpBytesReceived();
        s.udpDatagramsReceived = net->udpDatagramsReceived();
        s.udpReceiveCalls = net->udpReceiveCalls();
        s.udpReceiveCpuNs = pipeline().receiveThreadCpuNs();
        s.sdkLatency = pipeline().latency();
    }
    return s;
}

// ---- Camera commands ----

bool MvSdk::start(ImageType type, bool flag) {
    log("start", std::to_string(static_cast<uint32_t>(type)));
    const auto request = facade::startRequest(type, flag);
    if (!request) return false;
    pipeline().setPointCloudFlag(facade::isPointCloudType(type));
    return exchange(*daemon_, *request).ok();
}

bool MvSdk::stop() {
    log("stop", "");
    return exchange(*daemon_, facade::stopRequest()).ok();
}

bool MvSdk::setIp(const std::string& ip, const std::string& mask, const std::string& gateway) {
    log("setIp", ip + " " + mask + " " + gateway);
    const auto request = facade::setIpRequest(ip, mask, gateway);
    return request && exchange(*daemon_, *request).ok();
}

bool MvSdk::getDevInfo(DevInfo& info) {
    const CmdResult result = exchange(*daemon_, facade::getDevInfoRequest());
    if (!result.ok()) {
        const std::string text = "getdevinfo=" + std::to_string(result.status);
        std::cout << text << std::endl;
        log("getDevInfo", text);
        info.fwVersion = "read failed";
        return false;
    }
    info.factoryFlags = 0;
    if (!facade::decodeDevInfo(result.payload.data(), result.payload.size(), info)) {
        const std::string text = "getdevinfo datasize=" + std::to_string(result.payload.size());
        std::cout << text << std::endl;
        log("getDevInfo", text);
        info.fwVersion = "unknow";
        return false;
    }
    return true;
}

bool MvSdk::getDevConfig(DevConfig& config) {
    const CmdResult result = exchange(*daemon_, facade::getDevConfigRequest());
    if (!result.ok()) return false;
    return facade::decodeDevConfig(result.payload.data(), result.payload.size(),
                                   pipeline().pointCloudFlag(), config);
}

bool MvSdk::setIntTimesus(uint16_t gs, uint16_t t1, uint16_t t2, uint16_t t3, uint16_t t4,
                          uint16_t t5) {
    log("setIntTimesus", facade::setIntTimesusLogText(gs, t1, t2, t3, t4, t5));
    return exchange(*daemon_, facade::setIntTimesusRequest(gs, t1, t2, t3, t4, t5,
                                                           daemon_->getBigEndianLength()))
        .ok();
}

bool MvSdk::setMinAmplitude(uint16_t amplitude) {
    log("setMinAmplitude", std::to_string(amplitude));
    return exchange(*daemon_,
                    facade::setMinAmplitudeRequest(amplitude, daemon_->getBigEndianLength()))
        .ok();
}

bool MvSdk::setHdrMode(HdrMode mode) {
    log("setHdrMode", std::to_string(static_cast<uint32_t>(mode)));
    return exchange(*daemon_, facade::setHdrModeRequest(mode)).ok();
}

bool MvSdk::resetDev() {
    log("resetDev", "");
    return exchange(*daemon_, facade::resetDevRequest()).ok();
}

bool MvSdk::restoreFactory() { return exchange(*daemon_, facade::restoreFactoryRequest()).ok(); }

bool MvSdk::getLensCalidata(LensParams& params) {
    const facade::CommandRequest request = facade::getLensCalidataRequest();
    std::vector<uint8_t> response;
    if (!customCmd(request.id, request.payload, response, request.timeoutMs)) return false;
    const auto lens = facade::decodeLensParams(response.data(), response.size());
    if (!lens) return false;
    params = *lens;
    return true;
}

bool MvSdk::getImuExtrinsic(ImuExtrinsic& extrinsic, bool read) {
    if (read) {
        const facade::CommandRequest request = facade::getImuExtrinsicRequest();
        std::vector<uint8_t> response;
        if (customCmd(request.id, request.payload, response, request.timeoutMs)) {
            const auto stored = facade::decodeImuExtrinsic(response.data(), response.size());
            if (!stored) return false;
            pipeline().cloudProcessor().setImuExtrinsic(*stored);
        }
    }
    extrinsic = pipeline().cloudProcessor().getImuExtrinsic();
    return true;
}

bool MvSdk::setRoi(uint16_t x0, uint16_t y0, uint16_t x1, uint16_t y1) {
    log("setRoi", std::to_string(x0) + " " + std::to_string(y0));
    const auto request = facade::setRoiRequest(x0, y0, x1, y1, daemon_->getBigEndianLength());
    return request && exchange(*daemon_, *request).ok();
}

bool MvSdk::setModFreq(ModulationFreq freq) {
    const std::string value = std::to_string(static_cast<uint32_t>(freq));
    log("setModFreq", value);
    if (exchange(*daemon_, facade::setModFreqRequest(freq)).ok()) return true;
    sdkLog(LOG_WARN, "Movoda::MvSdk::setModFreq", value + "failed", instanceName_);
    return false;
}

bool MvSdk::setMaxFps(uint8_t fps) {
    log("setMaxFps", std::to_string(fps));
    return exchange(*daemon_, facade::setMaxFpsRequest(fps)).ok();
}

bool MvSdk::customCmd(uint8_t id, const std::vector<uint8_t>& payload,
                      std::vector<uint8_t>& response, uint32_t timeoutMs) {
    if (id != cmd::kLinkCheck && id != cmd::kFirmwareTransfer) {
        log("customCmd", std::to_string(id) + " " + std::to_string(payload.size()));
    }
    CmdResult result = daemon_->transceiveCmd(id, payload, timeoutMs);
    response = std::move(result.payload);
    return result.status == CMD_OK;
}

}  // namespace Movoda
