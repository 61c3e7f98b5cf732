// vantory.Camera: the Python names and argument checks of the camera operations.
#include <cmath>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include <pybind11/stl.h>

#include "ModuleParts.h"
#include "PyCamera.h"

namespace py = pybind11;
using namespace py::literals;

namespace vantory_py {

namespace {

// Filter switches as the filter library reads them.
constexpr uint16_t kFilterModeOn = 2000;
constexpr uint16_t kFilterModeOff = 300;
constexpr uint16_t kDustModeOn = 3000;
constexpr uint16_t kDustRange = 100;
constexpr uint16_t kDustModeStep = 10000;
constexpr double kKalmanFactorScale = 1000.0;

[[noreturn]] void valueError(const std::string& text) {
    throw py::value_error(text);
}

uint16_t kalmanFactor(double factor) {
    const double scaled = std::round(factor * kKalmanFactorScale);
    if (!(scaled >= 0 && scaled <= std::numeric_limits<uint16_t>::max())) {
        valueError("factor must lie between 0 and 65.535");
    }
    return static_cast<uint16_t>(scaled);
}

// Frames of a camera until it is closed; TimeoutError when the stream stalls.
struct FrameIterator {
    py::object camera;
    std::optional<double> timeout;
};

}  // namespace

void bindCamera(py::module_& m) {
    py::class_<FrameIterator>(m, "FrameIterator")
        .def("__iter__", [](py::object self) { return self; })
        .def("__next__", [](FrameIterator& it) {
            auto frame = it.camera.cast<PyCamera&>().nextFrame(it.timeout);
            if (!frame) throw py::stop_iteration();
            return *frame;
        });

    py::class_<PyCamera>(m, "Camera",
                         "One camera. Use it as a context manager: leaving the block stops "
                         "streaming and closes the connection.")
        .def(py::init<const std::string&, uint16_t, double, const std::string&, size_t,
                      const std::string&>(),
             "address"_a, "image_port"_a = 7687, "timeout"_a = 5.0, "log_dir"_a = "mvlog-py",
             "queue_size"_a = 8, "byte_order"_a = "little",
             "Connects to the camera at `address` (IPv4 text, or a serial port path) and "
             "waits up to `timeout` seconds for it. Frames arrive on UDP `image_port`; up to "
             "`queue_size` frames wait for the reader, older ones are dropped. The SDK logs "
             "to ./`log_dir`/. `byte_order` of the link: 'little' (current cameras), 'big' "
             "(older ones) or 'auto'.")
        .def("__enter__", [](py::object self) { return self; })
        .def("__exit__", [](PyCamera& c, py::args) { c.close(); })
        .def("close", &PyCamera::close, "Stops streaming, ends the connection. Idempotent.")
        .def_property_readonly("closed", &PyCamera::closed)
        .def_property_readonly("state", &PyCamera::state, "connection and device state text")
        .def_property_readonly("frame_rate", &PyCamera::frameRate,
                               "frames received during the last whole second")
        .def("info", &PyCamera::info,
             "Device information, configuration and lens as dictionaries "
             "(keys 'address', 'device', 'config', 'lens').")
        .def("stats", &PyCamera::stats, "Counters of the frame path and of frames dropped.")
        .def("start", &PyCamera::start, "image_type"_a = Movoda::IMG_DISTANCE,
             "Starts streaming; frames queued from an earlier stream are dropped.")
        .def("stop", &PyCamera::stop)
        .def(
            "next_frame",
            [](PyCamera& c, std::optional<double> timeout) {
                auto frame = c.nextFrame(timeout);
                if (!frame) throw py::value_error("the camera is closed");
                return *frame;
            },
            "timeout"_a = 1.0,
            "The next frame; TimeoutError when none arrives within `timeout` seconds "
            "(None: wait without limit).")
        .def(
            "frames",
            [](py::object self, std::optional<double> timeout) {
                return FrameIterator{std::move(self), timeout};
            },
            "timeout"_a = 1.0,
            "Iterator over the frames until the camera is closed; TimeoutError when none "
            "arrives within `timeout` seconds.")
        .def("on_frame", &PyCamera::onFrame, "callback"_a,
             "Calls callback(frame) for every frame on a thread of the module, with the GIL "
             "held; None switches back to frames(). A callback slower than the frame rate "
             "loses frames (stats()['callback_dropped']); exceptions are reported and "
             "counted, the stream goes on.")
        // ---- Recording ----
        .def("start_recording", &PyCamera::startRecording, "directory"_a = py::none(),
             "frames"_a = 100,
             "Records the frames this camera delivers into a new time-stamped folder below "
             "`directory` (None: $VANTORY_EXPORT_DIR or ~/mv-pcds), one record file per "
             "frame, as the viewer does; `frames` None records until stop_recording(). "
             "Frames keep reaching frames() or the callback.")
        .def("stop_recording", &PyCamera::stopRecording,
             "Ends the recording; frames already taken are still written.")
        .def_property_readonly("recording", &PyCamera::recording,
                               "The recording's counters: active, complete, written, dropped, "
                               "failed, frame_limit, directory and error.")
        .def("wait_recording", &PyCamera::waitRecording, "timeout"_a = 10.0,
             "Waits until the recording has its frames written (or has stopped); False "
             "when `timeout` seconds pass first.")
        // ---- Camera settings ----
        .def(
            "set_integration_times",
            [](PyCamera& c, uint16_t t1, uint16_t t2, uint16_t t3, uint16_t t4, uint16_t t5,
               uint16_t grayscale) {
                c.command("the integration times", [&](Movoda::MvSdk& sdk) {
                    return sdk.setIntTimesus(grayscale, t1, t2, t3, t4, t5);
                });
            },
            "t1"_a, "t2"_a = 0, "t3"_a = 0, "t4"_a = 0, "t5"_a = 0, "grayscale"_a = 0,
            "Integration times in microseconds; 0 for times not in use.")
        .def(
            "set_hdr_mode",
            [](PyCamera& c, Movoda::HdrMode mode) {
                c.command(std::string("HDR mode ") + Movoda::hdrModeName(mode),
                          [&](Movoda::MvSdk& sdk) { return sdk.setHdrMode(mode); });
            },
            "mode"_a)
        .def(
            "set_frame_rate",
            [](PyCamera& c, uint8_t fps) {
                c.command("the frame rate " + std::to_string(fps),
                          [&](Movoda::MvSdk& sdk) { return sdk.setMaxFps(fps); });
            },
            "fps"_a)
        .def(
            "set_modulation_frequency",
            [](PyCamera& c, Movoda::ModulationFreq freq) {
                c.command(std::string("modulation frequency ") + Movoda::modulationFreqName(freq),
                          [&](Movoda::MvSdk& sdk) { return sdk.setModFreq(freq); });
            },
            "frequency"_a)
        .def(
            "set_min_amplitude",
            [](PyCamera& c, uint16_t amplitude) {
                c.command("the minimum amplitude " + std::to_string(amplitude),
                          [&](Movoda::MvSdk& sdk) { return sdk.setMinAmplitude(amplitude); });
            },
            "amplitude"_a)
        .def(
            "set_roi",
            [](PyCamera& c, uint16_t x0, uint16_t y0, uint16_t x1, uint16_t y1) {
                c.command("the region of interest",
                          [&](Movoda::MvSdk& sdk) { return sdk.setRoi(x0, y0, x1, y1); });
            },
            "x0"_a, "y0"_a, "x1"_a, "y1"_a)
        .def(
            "custom_command",
            [](PyCamera& c, uint8_t id, const py::bytes& payload, double timeout) {
                const std::string bytes = payload;
                std::vector<uint8_t> response;
                const auto ms = static_cast<uint32_t>(std::ceil(timeout * 1000.0));
                c.command("command " + std::to_string(id), [&](Movoda::MvSdk& sdk) {
                    return sdk.customCmd(id, std::vector<uint8_t>(bytes.begin(), bytes.end()),
                                         response, ms);
                });
                return py::bytes(reinterpret_cast<const char*>(response.data()), response.size());
            },
            "command_id"_a, "payload"_a = py::bytes(), "timeout"_a = 1.0,
            "Sends one command; returns the answer's payload, CommandError when refused.")
        // ---- Point cloud (no command) ----
        .def(
            "set_mirror",
            [](PyCamera& c, bool horizontal, bool vertical) {
                c.setting([&](Movoda::MvSdk& sdk) { sdk.setMirror(horizontal, vertical); });
            },
            "horizontal"_a, "vertical"_a, "Sign conventions of the cloud's x and y axes.")
        // ---- Filters, run by the filter library when it is found ----
        .def(
            "set_kalman_filter",
            [](PyCamera& c, double factor, uint16_t threshold, bool enabled) {
                const uint16_t f = enabled ? kalmanFactor(factor) : 0;
                c.setting([&](Movoda::MvSdk& sdk) {
                    sdk.setKalmanFilter(f, enabled ? threshold : 0,
                                        enabled ? kFilterModeOn : kFilterModeOff);
                });
            },
            "factor"_a = 0.0, "threshold"_a = 0, "enabled"_a = true)
        .def(
            "set_average_filter",
            [](PyCamera& c, uint16_t window) {
                c.setting([&](Movoda::MvSdk& sdk) { sdk.setAverageFilter(window, kFilterModeOn); });
            },
            "window"_a, "Temporal average over `window` frames; 0 switches it off.")
        .def(
            "set_edge_filter",
            [](PyCamera& c, uint16_t threshold) {
                c.setting([&](Movoda::MvSdk& sdk) { sdk.setEdgeFilter(threshold); });
            },
            "threshold"_a, "Flying-pixel removal; 0 switches it off.")
        .def(
            "set_median_filter",
            [](PyCamera& c, uint16_t kernel) {
                if (kernel != 0 && kernel != 3 && kernel != 5)
                    valueError("kernel must be 0, 3 or 5");
                c.setting([&](Movoda::MvSdk& sdk) { sdk.setMedianFilter(kernel); });
            },
            "kernel"_a, "3 or 5; 0 switches it off.")
        .def(
            "set_dust_filter",
            [](PyCamera& c, uint16_t threshold, uint16_t frames, uint16_t mode, bool enabled) {
                const uint32_t code = uint32_t(threshold) + uint32_t(kDustModeStep) * mode;
                if (code > std::numeric_limits<uint16_t>::max()) {
                    valueError("threshold + 10000 * mode must stay below 65536");
                }
                c.setting([&](Movoda::MvSdk& sdk) {
                    sdk.setDustFilter(uint16_t(code), frames,
                                      enabled ? kDustModeOn : kFilterModeOff, kDustRange);
                });
            },
            "threshold"_a, "frames"_a, "mode"_a = 0, "enabled"_a = true)
        .def(
            "set_cloud_filter",
            [](PyCamera& c, float divisor, bool enabled, uint32_t window, uint8_t motion) {
                uint8_t on = enabled ? 1 : 0;
                c.setting(
                    [&](Movoda::MvSdk& sdk) { sdk.setCloudFilter(&divisor, &on, window, motion); });
            },
            "distance_divisor"_a, "enabled"_a = true, "window_size"_a = 9, "motion_size"_a = 5)
        .def(
            "set_reflectivity_filter",
            [](PyCamera& c, float lower, float upper) {
                if (upper < lower) valueError("upper must not be below lower");
                c.setting([&](Movoda::MvSdk& sdk) { sdk.setReflectivityFilter(&lower, &upper); });
            },
            "lower"_a, "upper"_a, "Keeps pixels whose reflectivity lies in [lower, upper].")
        .def(
            "set_smooth_filter",
            [](PyCamera& c, int iterations, int delta, float alpha) {
                c.setting(
                    [&](Movoda::MvSdk& sdk) { sdk.setSmoothFilter(&iterations, &delta, &alpha); });
            },
            "iterations"_a, "delta"_a, "alpha"_a, "Edge-preserving smoothing; (1, 0, 0.0) is off.");
}

}  // namespace vantory_py
