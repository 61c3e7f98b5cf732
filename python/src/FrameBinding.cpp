#include "FrameBinding.h"

#include "ModuleParts.h"
#include "RecordReader.h"
#include "WithoutGil.h"

#include <array>
#include <cstdio>
#include <string>

#include <unistd.h>

#include <pybind11/numpy.h>
#include <pybind11/stl.h>

namespace py = pybind11;

namespace vantory_py {

namespace {

constexpr double kCelsiusPerUnit = 0.01;  // temperatures arrive in hundredths of a degree
constexpr double kNsPerSecond = 1.0e9;
constexpr size_t kSubFrames = 5;
constexpr size_t kPointValues = 3;  // x, y, z of the x, y, z, intensity stored per point

struct PyFrame {
    FramePtr frame;
    int64_t hostTimeNs = 0;  // 0: the frame did not come from a live camera

    size_t pixels() const { return size_t(frame->width()) * frame->height(); }
    // A plane can be shown as width x height when it holds that many entries.
    bool planeFits() const { return pixels() != 0 && pixels() <= frame->pixelCount(); }
};

// A read-only array over `data` whose base object owns a reference to the frame.
template <typename T>
py::object viewOf(const PyFrame& f, const T* data, std::vector<py::ssize_t> shape,
                  std::vector<py::ssize_t> strides) {
    if (data == nullptr) return py::none();
    py::capsule owner(new FramePtr(f.frame), [](void* p) { delete static_cast<FramePtr*>(p); });
    py::array_t<T> array(std::move(shape), std::move(strides), data, owner);
    array.attr("flags").attr("writeable") = false;
    return std::move(array);
}

template <typename T>
py::object planeView(const PyFrame& f, const T* data, uint8_t planeFlag) {
    if ((f.frame->dataFlags() & planeFlag) == 0 || !f.planeFits()) return py::none();
    const py::ssize_t w = f.frame->width();
    const py::ssize_t h = f.frame->height();
    return viewOf(f, data, {h, w}, {w * py::ssize_t(sizeof(T)), py::ssize_t(sizeof(T))});
}

py::object pointsView(const PyFrame& f) {
    const Movoda::Frame& frame = *f.frame;
    if (!frame.hasCloud() || f.pixels() == 0 || frame.cloudPointCount() < f.pixels()) {
        return py::none();
    }
    const py::ssize_t w = frame.width();
    const py::ssize_t h = frame.height();
    const py::ssize_t point = py::ssize_t(Movoda::Frame::kCloudStride * sizeof(float));
    return viewOf(f, frame.cloudData(), {h, w, py::ssize_t(kPointValues)},
                  {w * point, point, py::ssize_t(sizeof(float))});
}

py::object captureTimes(const PyFrame& f) {
    if (!f.frame->hasInfoBlock()) return py::none();
    py::tuple times(kSubFrames);
    for (size_t k = 0; k < kSubFrames; ++k) times[k] = f.frame->captureTimeMs(k);
    return std::move(times);
}

std::string describe(const PyFrame& f) {
    char text[96];
    std::snprintf(text, sizeof text, "<vantory.Frame %ux%u id=%llu flags=0x%02x%s>",
                  unsigned(f.frame->width()), unsigned(f.frame->height()),
                  static_cast<unsigned long long>(f.frame->frameId()),
                  unsigned(f.frame->dataFlags()), f.frame->hasCloud() ? " cloud" : "");
    return text;
}

}  // namespace

py::object wrapFrame(DeliveredFrame item) {
    return py::cast(PyFrame{std::move(item.frame), item.hostTimeNs});
}

void bindFrame(py::module_& m) {
    using Movoda::Frame;
    py::class_<PyFrame>(m, "Frame",
                        "One depth frame. Pixel planes are read-only NumPy arrays that view the "
                        "frame without copying; an array keeps the frame alive. Planes the "
                        "frame does not carry are None.")
        .def_property_readonly("width", [](const PyFrame& f) { return f.frame->width(); })
        .def_property_readonly("height", [](const PyFrame& f) { return f.frame->height(); })
        .def_property_readonly("frame_id", [](const PyFrame& f) { return f.frame->frameId(); })
        .def_property_readonly("data_flags", [](const PyFrame& f) { return f.frame->dataFlags(); })
        .def_property_readonly("model", [](const PyFrame& f) { return f.frame->modelText(); })
        .def_property_readonly("name", [](const PyFrame& f) { return f.frame->name(); })
        .def_property_readonly(
            "distance",
            [](const PyFrame& f) {
                return planeView(f, f.frame->distancePlane(), Movoda::kPlaneDistance);
            },
            "(H, W) uint32 millimetres; 964000 and above mark pixels without a measurement")
        .def_property_readonly(
            "amplitude",
            [](const PyFrame& f) {
                return planeView(f, f.frame->amplitudePlane(), Movoda::kPlaneAmplitude);
            },
            "(H, W) uint16; 64000 and above mark invalid pixels")
        .def_property_readonly(
            "grayscale",
            [](const PyFrame& f) {
                return planeView(f, f.frame->grayscalePlane(), Movoda::kPlaneGrayscale);
            },
            "(H, W) uint16")
        .def_property_readonly(
            "reflectivity",
            [](const PyFrame& f) {
                return planeView(f, f.frame->reflectivityPlane(), Movoda::kPlaneAmplitude);
            },
            "(H, W) float32 percent; 0 for invalid pixels")
        .def_property_readonly("points", &pointsView,
                               "(H, W, 3) float32 x, y, z in metres, NaN where there is no "
                               "point; None unless a point-cloud image type streams")
        .def_property_readonly("time_sec", [](const PyFrame& f) { return f.frame->timeSec(); })
        .def_property_readonly("time_nsec", [](const PyFrame& f) { return f.frame->timeNsec(); })
        .def_property_readonly(
            "timestamp",
            [](const PyFrame& f) {
                return double(f.frame->timeSec()) + double(f.frame->timeNsec()) / kNsPerSecond;
            },
            "capture time in seconds (camera clock; wall clock when the camera is synchronised)")
        .def_property_readonly(
            "time_source", [](const PyFrame& f) { return f.frame->timeSource(); },
            "0 free-running, 1 GPS, 2 PTP, 3 gPTP")
        .def_property_readonly("time_locked",
                               [](const PyFrame& f) { return f.frame->timeLocked() != 0; })
        .def_property_readonly("capture_times_ms", &captureTimes,
                               "capture time of each of the five sub-frames in milliseconds, "
                               "None for frames without an information block")
        .def_property_readonly(
            "temperatures",
            [](const PyFrame& f) {
                return py::make_tuple(f.frame->temperature1() * kCelsiusPerUnit,
                                      f.frame->temperature2() * kCelsiusPerUnit);
            },
            "the camera's two temperatures in degrees Celsius")
        .def_property_readonly(
            "host_time_ns",
            [](const PyFrame& f) -> py::object {
                if (f.hostTimeNs == 0) return py::none();
                return py::int_(f.hostTimeNs);
            },
            "time.monotonic_ns() at which the SDK delivered the frame; None when it did not "
            "come from a live camera")
        .def("__repr__", &describe);

    m.def(
        "read_record",
        [](const py::object& path, bool points) {
            const std::string text = py::str(py::module_::import("os").attr("fspath")(path));
            RecordedFrame read = withoutGil([&] { return readRecordedFrame(text, points); });
            if (read.error == RecordError::CannotOpen) {
                const bool missing = withoutGil([&] { return ::access(text.c_str(), F_OK) != 0; });
                PyErr_SetString(missing ? PyExc_FileNotFoundError : PyExc_OSError,
                                read.message.c_str());
                throw py::error_already_set();
            }
            if (read.error != RecordError::None) throw py::value_error(read.message);
            return wrapFrame(DeliveredFrame{std::move(read.frame), 0});
        },
        py::arg("path"), py::arg("points") = true,
        "The frame stored in a record file (.xbin), as the same Frame object live frames "
        "are. `points`: compute the point cloud with the lens the frame carries (files of "
        "older cameras: the lens stored in the file). FileNotFoundError or OSError when the "
        "file cannot be read, ValueError when it does not hold a frame.");
}

}  // namespace vantory_py
