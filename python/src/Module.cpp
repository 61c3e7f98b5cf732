#include "ModuleParts.h"
#include "PyCamera.h"
#include "mvsdk/MvTypes.h"

namespace py = pybind11;

namespace vantory_py {

void defineModule(py::module_& m) {
    m.doc() = "Time-of-flight depth cameras: streaming, settings and frames as NumPy arrays.";

    py::enum_<Movoda::ImageType>(m, "ImageType")
        .value("DISTANCE", Movoda::IMG_DISTANCE, "distance and amplitude")
        .value("AMPLITUDE", Movoda::IMG_AMPLITUDE)
        .value("GRAYSCALE", Movoda::IMG_GRAYSCALE)
        .value("POINTCLOUD", Movoda::IMG_POINTCLOUD, "distance and amplitude with points")
        .value("POINTCLOUD_AMP", Movoda::IMG_POINTCLOUDAMP);
    py::enum_<Movoda::HdrMode>(m, "HdrMode")
        .value("OFF", Movoda::HDR_OFF)
        .value("TEMPORAL", Movoda::HDR_TAMPORAL)
        .value("SPATIAL", Movoda::HDR_SPATIAL);
    py::enum_<Movoda::ModulationFreq>(m, "ModulationFreq")
        .value("FREQ_12M", Movoda::FREQ_12M)
        .value("FREQ_6M", Movoda::FREQ_6M)
        .value("FREQ_24M", Movoda::FREQ_24M)
        .value("FREQ_3M", Movoda::FREQ_3M)
        .value("FREQ_1_5M", Movoda::FREQ_1_5M)
        .value("FREQ_0_75M", Movoda::FREQ_0_75M)
        .value("FREQ_4_8M", Movoda::FREQ_4_8M);

    py::register_exception<CommandError>(m, "CommandError", PyExc_RuntimeError);

    bindFrame(m);
    bindCamera(m);

    // Cameras still open when the interpreter exits are closed while Python still works,
    // so that no callback thread tries to enter an interpreter that is going away.
    py::module_::import("atexit").attr("register")(py::cpp_function(&PyCamera::closeAll));
}

}  // namespace vantory_py
