// The pieces that make up the vantory module, shared by the extension and the benchmark
// that embeds it.
#pragma once

#include <pybind11/pybind11.h>

namespace vantory_py {

void bindFrame(pybind11::module_& m);
void bindCamera(pybind11::module_& m);
// Enumerations, exceptions, the classes and the clean-up at interpreter exit.
void defineModule(pybind11::module_& m);

}  // namespace vantory_py
