// The Python camera: the operations of vantory.Camera on top of CameraCore, with the GIL
// released whenever they wait (for the camera, for frames, for a callback to finish).
// Methods are called with the GIL held.
#pragma once

#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

#include <pybind11/pybind11.h>

#include "CallbackRunner.h"
#include "CameraCore.h"
#include "WithoutGil.h"

namespace vantory_py {

// A command the camera refused or did not answer; vantory.CommandError in Python.
class CommandError : public std::runtime_error {
    using std::runtime_error::runtime_error;
};

class PyCamera {
public:
    // Connects; raises ValueError for an address the SDK cannot use or an unknown byte
    // order, TimeoutError when the camera does not answer within `timeoutSeconds` and
    // ConnectionError when the image port cannot be had.
    PyCamera(const std::string& address, uint16_t imagePort, double timeoutSeconds,
             const std::string& logDirectoryName, size_t queueSize, const std::string& byteOrder);
    ~PyCamera();
    PyCamera(const PyCamera&) = delete;
    PyCamera& operator=(const PyCamera&) = delete;

    void close();
    bool closed() const { return !core_.isOpen(); }

    pybind11::dict info();
    std::string state();
    uint32_t frameRate();
    pybind11::dict stats();

    void start(Movoda::ImageType type);
    void stop();
    // Waits for the next frame: TimeoutError after `timeoutSeconds` (none: no limit);
    // an empty result when the camera has been closed.
    std::optional<pybind11::object> nextFrame(std::optional<double> timeoutSeconds);
    void onFrame(pybind11::object callback);

    // Recording to record files; `directory` None: the export directory of the viewer,
    // `frames` None: until stopRecording().
    void startRecording(const std::optional<std::string>& directory, std::optional<int> frames);
    void stopRecording();
    pybind11::dict recording();
    bool waitRecording(double timeoutSeconds);

    // Runs one command with the GIL released; raises ValueError when the camera is closed
    // and CommandError naming `what` when the camera refuses.
    template <typename Fn>
    void command(const std::string& what, Fn&& fn) {
        bool accepted = false;
        const bool open = withoutGil([&] {
            return core_.withCommand([&](Movoda::MvSdk& sdk) { return fn(sdk); }, accepted);
        });
        if (!open) throwClosed();
        if (!accepted) throw CommandError("the camera did not accept " + what);
    }
    // Runs a setting that sends nothing to the camera.
    template <typename Fn>
    void setting(Fn&& fn) {
        const bool open = withoutGil([&] { return core_.withSdk(fn); });
        if (!open) throwClosed();
    }

    // Closes every camera still open; run when the interpreter begins to shut down.
    static void closeAll();

private:
    [[noreturn]] static void throwClosed();

    const std::string address_;
    CameraCore core_;
    const size_t queueSize_;
    std::unique_ptr<CallbackRunner> runner_;
};

}  // namespace vantory_py
