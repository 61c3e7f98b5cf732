// The Python frame object: the frame's planes as read-only NumPy arrays that view the
// SDK's memory without copying, each array keeping the frame alive for as long as it
// exists; the frame's time stamps and temperatures as numbers.
#pragma once

#include <pybind11/pybind11.h>

#include "FrameQueue.h"

namespace vantory_py {

// Call with the GIL held.
pybind11::object wrapFrame(DeliveredFrame item);

}  // namespace vantory_py
