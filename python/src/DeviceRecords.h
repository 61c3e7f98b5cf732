// The SDK's device records as Python dictionaries with readable keys and values.
#pragma once

#include <pybind11/pybind11.h>

#include "mvsdk/MvTypes.h"

namespace vantory_py {

pybind11::dict deviceInfoDict(const Movoda::DevInfo& info);
pybind11::dict deviceConfigDict(const Movoda::DevConfig& config);
pybind11::dict lensDict(const Movoda::LensParams& lens);

}  // namespace vantory_py
