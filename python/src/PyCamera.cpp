#include "PyCamera.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <mutex>
#include <set>
#include <vector>

#include "DeviceRecords.h"
#include "FrameBinding.h"
#include "records/RecordNaming.h"

namespace py = pybind11;

namespace vantory_py {

namespace {

// A waiting reader wakes this often to let Ctrl+C through.
constexpr auto kSignalCheckInterval = std::chrono::milliseconds(100);

std::mutex registryMutex;
std::set<PyCamera*> openCameras;

[[noreturn]] void raise(PyObject* type, const std::string& text) {
    PyErr_SetString(type, text.c_str());
    throw py::error_already_set();
}

std::chrono::milliseconds toMilliseconds(double seconds) {
    return std::chrono::milliseconds(static_cast<int64_t>(std::ceil(seconds * 1000.0)));
}

std::string secondsText(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", seconds);
    return text;
}

}  // namespace

PyCamera::PyCamera(const std::string& address, uint16_t imagePort, double timeoutSeconds,
                   const std::string& logDirectoryName, size_t queueSize,
                   const std::string& byteOrder)
    : address_(address), core_(queueSize), queueSize_(queueSize) {
    if (!(timeoutSeconds > 0)) raise(PyExc_ValueError, "timeout must be positive");
    if (queueSize == 0) raise(PyExc_ValueError, "queue_size must be at least 1");
    CameraOptions options;
    options.address = address;
    options.imagePort = imagePort;
    options.timeout = toMilliseconds(timeoutSeconds);
    options.logDirectoryName = logDirectoryName;
    if (byteOrder == "little") {
        options.byteOrder = vantory_cli::ByteOrder::Little;
    } else if (byteOrder == "big") {
        options.byteOrder = vantory_cli::ByteOrder::Big;
    } else if (byteOrder == "auto") {
        options.byteOrder = vantory_cli::ByteOrder::Auto;
    } else {
        raise(PyExc_ValueError, "byte_order must be 'little', 'big' or 'auto'");
    }
    std::string why;
    const bool opened = withoutGil([&] { return core_.open(options, why); });
    if (!opened) {
        // The session's texts tell the failures apart: an address the SDK refused fails at
        // once, silence runs into the time-out, anything else is the image port.
        PyObject* type = PyExc_ConnectionError;
        if (why.find("neither an IPv4 address") != std::string::npos) type = PyExc_ValueError;
        if (why.find("no answer from") != std::string::npos) type = PyExc_TimeoutError;
        raise(type, "cannot connect: " + why);
    }
    std::lock_guard<std::mutex> lock(registryMutex);
    openCameras.insert(this);
}

PyCamera::~PyCamera() {
    close();
}

void PyCamera::close() {
    {
        std::lock_guard<std::mutex> lock(registryMutex);
        openCameras.erase(this);
    }
    withoutGil([this] { core_.close(); });
    // Moved out first: another thread may enter close() while this one waits in stop().
    std::unique_ptr<CallbackRunner> runner = std::move(runner_);
    if (runner) runner->stop();
}

void PyCamera::closeAll() {
    // Strong references first, all under the GIL, so no camera is freed while the others
    // are being closed.
    std::vector<py::object> cameras;
    {
        std::lock_guard<std::mutex> lock(registryMutex);
        for (PyCamera* camera : openCameras) {
            cameras.push_back(py::cast(camera, py::return_value_policy::reference));
        }
    }
    for (py::object& camera : cameras) camera.cast<PyCamera&>().close();
    CallbackRunner::blockPython();
}

void PyCamera::throwClosed() {
    raise(PyExc_ValueError, "the camera is closed");
}

py::dict PyCamera::info() {
    Movoda::DevInfo device;
    Movoda::DevConfig config;
    Movoda::LensParams lens;
    bool gotDevice = false, gotConfig = false, gotLens = false;
    const bool open = withoutGil([&] {
        return core_.withSdk([&](Movoda::MvSdk& sdk) {
            gotDevice = sdk.getDevInfo(device);
            gotConfig = gotDevice && sdk.getDevConfig(config);
            gotLens = gotConfig && sdk.getLensCalidata(lens);
        });
    });
    if (!open) throwClosed();
    if (!gotDevice) throw CommandError("the camera did not give its device information");
    if (!gotConfig) throw CommandError("the camera did not give its configuration");
    py::dict d;
    d["address"] = address_;
    d["device"] = deviceInfoDict(device);
    d["config"] = deviceConfigDict(config);
    d["lens"] = gotLens ? py::object(lensDict(lens)) : py::object(py::none());
    return d;
}

std::string PyCamera::state() {
    std::string text = "closed";
    withoutGil(
        [&] { core_.withSdk([&text](Movoda::MvSdk& sdk) { text = sdk.getStateString(); }); });
    return text;
}

uint32_t PyCamera::frameRate() {
    uint32_t rate = 0;
    withoutGil([&] { core_.withSdk([&rate](Movoda::MvSdk& sdk) { rate = sdk.getFrameRate(); }); });
    return rate;
}

py::dict PyCamera::stats() {
    const CameraStats s = withoutGil([this] { return core_.stats(); });
    py::dict d;
    d["frames_accepted"] = s.sdk.framesAccepted;
    d["frames_rejected"] = s.sdk.framesRejected;
    d["raw_discarded"] = s.sdk.rawDiscarded;
    d["image_discarded"] = s.sdk.imageDiscarded;
    d["frames_withheld"] = s.sdk.framesWithheld;
    d["frames_delivered"] = s.sdk.framesDelivered;
    d["udp_frames_completed"] = s.sdk.udpFramesCompleted;
    d["udp_frames_evicted"] = s.sdk.udpFramesEvicted;
    d["udp_frames_broken"] = s.sdk.udpFramesBroken;
    d["udp_datagrams_dropped"] = s.sdk.udpDatagramsDropped;
    d["queue_dropped"] = s.queueDropped;
    d["callback_dropped"] = s.callbackDropped;
    d["callback_errors"] = runner_ ? runner_->errors() : 0;
    return d;
}

void PyCamera::start(Movoda::ImageType type) {
    bool refused = false;
    const bool open = withoutGil([&] { return core_.start(type, refused); });
    if (!open) throwClosed();
    if (refused) {
        throw CommandError(std::string("the camera did not start streaming ") +
                           Movoda::imageTypeName(type));
    }
}

void PyCamera::stop() {
    bool refused = false;
    const bool open = withoutGil([&] { return core_.stop(refused); });
    if (!open) throwClosed();
    if (refused) throw CommandError("the camera did not stop streaming");
}

std::optional<py::object> PyCamera::nextFrame(std::optional<double> timeoutSeconds) {
    if (runner_) raise(PyExc_RuntimeError, "frames go to the callback set with on_frame");
    if (timeoutSeconds && !(*timeoutSeconds >= 0))
        raise(PyExc_ValueError, "timeout must not be negative");
    using Clock = FrameQueue::Clock;
    const Clock::time_point deadline =
        timeoutSeconds ? Clock::now() + toMilliseconds(*timeoutSeconds) : Clock::time_point::max();
    for (;;) {
        DeliveredFrame item;
        const FrameQueue::PopResult result = withoutGil([&] {
            const Clock::time_point slice = Clock::now() + kSignalCheckInterval;
            return core_.frames().pop(item, std::min(deadline, slice));
        });
        if (result == FrameQueue::PopResult::Frame) return wrapFrame(std::move(item));
        if (result == FrameQueue::PopResult::Closed) return std::nullopt;
        if (Clock::now() >= deadline) {
            raise(PyExc_TimeoutError,
                  "no frame within " + secondsText(*timeoutSeconds) + " s (state " + state() + ")");
        }
        if (PyErr_CheckSignals() != 0) throw py::error_already_set();
    }
}

void PyCamera::onFrame(py::object callback) {
    if (callback.is_none()) {
        core_.routeToCallback(nullptr);
        std::unique_ptr<CallbackRunner> runner = std::move(runner_);
        if (runner) runner->stop();
        return;
    }
    if (!PyCallable_Check(callback.ptr())) raise(PyExc_TypeError, "the callback must be callable");
    if (closed()) throwClosed();
    if (runner_) {
        runner_->replace(py::reinterpret_borrow<py::function>(callback));
        return;
    }
    runner_ = std::make_unique<CallbackRunner>(py::reinterpret_borrow<py::function>(callback),
                                               queueSize_);
    core_.routeToCallback(runner_->queue());
}

}  // namespace vantory_py

namespace vantory_py {

namespace {

// The camera's settings for the files of older cameras, which do not carry them.
Movoda::records::RecordInfo recordInfoOf(Movoda::MvSdk& sdk) {
    Movoda::records::RecordInfo info;
    Movoda::DevInfo device;
    Movoda::DevConfig config;
    if (sdk.getDevInfo(device)) {
        info.serial = device.sn;
        info.firmware = device.fwVersion;
    }
    if (sdk.getDevConfig(config)) {
        info.modFreqIndex = static_cast<uint8_t>(config.modFreq);
        info.hdrIndex = static_cast<uint8_t>(config.hdrMode);
        info.maxFps = config.maxFps;
        info.minAmplitude = config.minAmplitude;
        info.grayIntTime = config.intTimeGs;
        for (size_t k = 0; k < info.intTimes.size(); ++k) info.intTimes[k] = config.intTime[k];
    }
    return info;
}

}  // namespace

void PyCamera::startRecording(const std::optional<std::string>& directory,
                              std::optional<int> frames) {
    if (frames && *frames < 1) raise(PyExc_ValueError, "frames must be at least 1");
    const std::string base = directory ? *directory : Movoda::records::exportDirectory();
    const bool open = withoutGil([&] {
        Movoda::records::RecordInfo info;
        if (!core_.withSdk([&](Movoda::MvSdk& sdk) { info = recordInfoOf(sdk); })) return false;
        core_.recording().start(base, info, frames ? *frames : 0);
        return true;
    });
    if (!open) throwClosed();
}

void PyCamera::stopRecording() {
    withoutGil([this] { core_.recording().stop(); });
}

py::dict PyCamera::recording() {
    const RecordingStatus s = withoutGil([this] { return core_.recording().status(); });
    py::dict d;
    d["active"] = s.counts.active;
    d["complete"] = s.complete;
    d["written"] = s.counts.written;
    d["dropped"] = s.counts.dropped;
    d["failed"] = s.counts.failed;
    d["frame_limit"] = s.counts.noLimit ? py::object(py::none()) : py::int_(s.counts.frameLimit);
    d["directory"] = s.counts.directory.empty() ? py::object(py::none())
                                                : py::object(py::str(s.counts.directory));
    d["error"] = s.error.empty() ? py::object(py::none()) : py::object(py::str(s.error));
    return d;
}

bool PyCamera::waitRecording(double timeoutSeconds) {
    if (!(timeoutSeconds >= 0)) raise(PyExc_ValueError, "timeout must not be negative");
    const auto deadline = std::chrono::steady_clock::now() + toMilliseconds(timeoutSeconds);
    return withoutGil([&] { return core_.recording().waitDone(deadline); });
}

}  // namespace vantory_py
