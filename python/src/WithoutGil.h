// Runs a wait with the GIL released.
//
// The GIL is taken back in ordinary code, outside any destructor or catch block, unlike
// pybind11's gil_scoped_release: when the interpreter shuts down, Python ends a daemon
// thread that asks for the GIL by unwinding its stack, and that unwinding must not pass
// through a destructor (noexcept) or be caught, or the process aborts.
#pragma once

#include <Python.h>

#include <optional>
#include <type_traits>

namespace vantory_py {

// `fn` must not call Python.
template <typename Fn>
auto withoutGil(Fn&& fn) -> decltype(fn()) {
    using Result = decltype(fn());
    PyThreadState* state = PyEval_SaveThread();
    if constexpr (std::is_void_v<Result>) {
        try {
            fn();
        } catch (...) {
            PyEval_RestoreThread(state);
            throw;
        }
        PyEval_RestoreThread(state);
    } else {
        std::optional<Result> result;
        try {
            result.emplace(fn());
        } catch (...) {
            PyEval_RestoreThread(state);
            throw;
        }
        PyEval_RestoreThread(state);
        return std::move(*result);
    }
}

}  // namespace vantory_py
