#include "ModuleParts.h"

PYBIND11_MODULE(vantory, m) {
    vantory_py::defineModule(m);
}
