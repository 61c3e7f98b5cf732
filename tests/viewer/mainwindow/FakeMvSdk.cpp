#include "FakeMvSdk.h"

namespace Movoda {
class MvDaemon {};
}  // namespace Movoda

namespace fakesdk {

State& state() {
    static State instance;
    return instance;
}

void reset() {
    State& s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    s.calls.clear();
    s.connected = false;
    s.devState = 0;
    s.stateString = "NotStartup";
    s.playbackMode = 0;
    s.reportRate = 0;
    s.customCmdOk = false;
    s.customCmdResponse.clear();
    s.imuExtrinsicThread = std::thread::id();
}

std::vector<std::string> calls() {
    std::lock_guard<std::mutex> lock(state().mutex);
    return state().calls;
}

void fireEvent(const std::string& name, uint8_t cmdId, std::vector<uint8_t> data,
               uint8_t reportByte) {
    Movoda::EventCallback callback;
    {
        std::lock_guard<std::mutex> lock(state().mutex);
        callback = state().eventCallback;
    }
    auto event = std::make_shared<Movoda::CBEventData>();
    event->eventName = name;
    event->cmdId = cmdId;
    event->data = std::move(data);
    event->reportByte = reportByte;
    if (callback) callback(event);
}

namespace {
void record(const std::string& call) {
    std::lock_guard<std::mutex> lock(state().mutex);
    state().calls.push_back(call);
}
}  // namespace

}  // namespace fakesdk

using fakesdk::record;
using fakesdk::state;

namespace Movoda {

MvSdk::MvSdk(const std::string& instanceName, const std::string& logDirectoryName) : instanceName_(instanceName) {
    factoryView_ = this;
    record("MvSdk " + logDirectoryName);
    ++state().instances;
}
MvSdk::~MvSdk() {
    record("~MvSdk");
    ++state().destroyed;
}
void MvSdk::setCallback(EventCallback eventCallback, FrameCallback frameCallback) {
    std::lock_guard<std::mutex> lock(state().mutex);
    state().calls.push_back(eventCallback ? "setCallback" : "setCallback empty");
    state().eventCallback = std::move(eventCallback);
    state().frameCallback = std::move(frameCallback);
}
void MvSdk::setFrameTap(FrameTap tap) {
    std::lock_guard<std::mutex> lock(state().mutex);
    state().frameTap = std::move(tap);
}
bool MvSdk::setConnectAddress(const std::string& address) {
    record("setConnectAddress " + address);
    return true;
}
void MvSdk::startup() { record("startup"); }
bool MvSdk::isConnected() {
    std::lock_guard<std::mutex> lock(state().mutex);
    return state().connected;
}
uint32_t MvSdk::getDevState() {
    std::lock_guard<std::mutex> lock(state().mutex);
    return state().devState;
}
std::string MvSdk::getStateString() {
    std::lock_guard<std::mutex> lock(state().mutex);
    return state().stateString;
}
bool MvSdk::getEndianFlag() { return false; }
bool MvSdk::setEndianFlag(bool) { return true; }
uint32_t MvSdk::getLastCmdStatus() { return state().customCmdOk ? CMD_OK : CMD_REJECT; }
uint32_t MvSdk::getFrameRate() { return 0; }
uint32_t MvSdk::getReportRate() {
    std::lock_guard<std::mutex> lock(state().mutex);
    return state().reportRate;
}
void MvSdk::setPlaybackMode(uint8_t flag) {
    std::lock_guard<std::mutex> lock(state().mutex);
    state().playbackMode = flag;
}
uint8_t MvSdk::getPlaybackMode() {
    std::lock_guard<std::mutex> lock(state().mutex);
    return state().playbackMode;
}
bool MvSdk::replayRawFrame(const std::vector<uint8_t>&, const std::string&) { return false; }
bool MvSdk::replayFrame(const std::vector<uint8_t>&, const std::string&) { return false; }
void MvSdk::setLensParams(const LensParams&) { record("setLensParams"); }
void MvSdk::setPointCloudMode(bool on) { record(std::string("setPointCloudMode ") + (on ? "1" : "0")); }
bool MvSdk::getPointCloudMode() { return false; }
MvStreamStats MvSdk::getStreamStats() { return {}; }
bool MvSdk::start(ImageType type, bool flag) {
    record("start " + std::to_string(type) + (flag ? " 1" : " 0"));
    return state().connected;
}
bool MvSdk::stop() {
    record("stop");
    return state().connected;
}
bool MvSdk::setIp(const std::string&, const std::string&, const std::string&) { return false; }
bool MvSdk::getDevInfo(DevInfo&) { return false; }
bool MvSdk::getDevConfig(DevConfig&) { return false; }
bool MvSdk::setIntTimesus(uint16_t, uint16_t, uint16_t, uint16_t, uint16_t, uint16_t) { return false; }
bool MvSdk::setMinAmplitude(uint16_t) { return false; }
bool MvSdk::setHdrMode(HdrMode) { return false; }
bool MvSdk::resetDev() { return false; }
bool MvSdk::restoreFactory() { return false; }
bool MvSdk::getLensCalidata(LensParams&) { return false; }
bool MvSdk::setUdpDestIp(const std::string& ip, uint16_t port) {
    record("setUdpDestIp " + ip + ":" + std::to_string(port));
    return false;
}
bool MvSdk::getImuExtrinsic(ImuExtrinsic&, bool read) {
    record(std::string("getImuExtrinsic ") + (read ? "1" : "0"));
    std::lock_guard<std::mutex> lock(state().mutex);
    state().imuExtrinsicThread = std::this_thread::get_id();
    return true;
}
bool MvSdk::setRoi(uint16_t, uint16_t, uint16_t, uint16_t) { return false; }
bool MvSdk::setModFreq(ModulationFreq) { return false; }
bool MvSdk::setMaxFps(uint8_t) { return false; }
bool MvSdk::customCmd(uint8_t id, const std::vector<uint8_t>&, std::vector<uint8_t>& response, uint32_t) {
    record("customCmd " + std::to_string(id));
    std::lock_guard<std::mutex> lock(state().mutex);
    response = state().customCmdResponse;
    return state().customCmdOk;
}
void MvSdk::setCutCorner(uint32_t) {}
void MvSdk::setSdkBinning(uint16_t, uint16_t) {}
void MvSdk::setMaxReflectivity(uint32_t) {}
void MvSdk::setSdkMinAmplitude(uint16_t) {}
bool MvSdk::setCloudCoordType(uint8_t type) {
    record("setCloudCoordType " + std::to_string(type));
    return type != 0;
}
void MvSdk::setMirror(uint8_t, uint8_t) {}
bool MvSdk::setKalmanFilter(uint16_t, uint16_t, uint16_t) { return true; }
bool MvSdk::setAverageFilter(uint16_t, uint16_t) { return true; }
bool MvSdk::setEdgeFilter(uint16_t) { return true; }
bool MvSdk::setMedianFilter(uint16_t) { return true; }
bool MvSdk::setDustFilter(uint16_t, uint16_t, uint16_t, uint16_t) { return true; }
void MvSdk::setCloudFilter(float*, uint8_t*, uint32_t, uint8_t) {}
bool MvSdk::setReflectivityFilter(float*, float*) { return true; }
bool MvSdk::setSmoothFilter(int*, int*, float*) { return true; }
void MvSdk::setFilterOption(uint64_t) {}
bool MvSdk::setBinning(uint8_t, uint8_t) { return false; }
bool MvSdk::setCompensationOnoff(uint8_t, uint8_t) { return false; }
bool MvSdk::setDevInfo(const std::string&) { return false; }
bool MvSdk::setIntgrtionLevel(uint8_t) { return false; }
bool MvSdk::setMac(const std::string&) { return false; }
bool MvSdk::setTemprtCoeffict(int32_t, uint8_t) { return false; }
bool MvSdk::setVcselOnOff(uint8_t) { return false; }
bool MvSdk::getTemprtCoeffict(uint8_t, uint32_t&) { return false; }
bool MvSdk::writeLensParams(const LensParams&) { return false; }
bool MvSdk::writeImuExtrinsic(const ImuExtrinsic&) { return false; }
bool MvSdk::saveConfigToDevice() { return false; }
bool MvSdk::getBootloaderText(std::string&) { return false; }

}  // namespace Movoda
