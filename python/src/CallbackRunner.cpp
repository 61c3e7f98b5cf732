#include "CallbackRunner.h"

#include "FrameBinding.h"
#include "WithoutGil.h"

namespace py = pybind11;

namespace vantory_py {

namespace {
std::atomic<bool> pythonBlocked{false};
}  // namespace

void CallbackRunner::blockPython() {
    pythonBlocked.store(true);
}

CallbackRunner::CallbackRunner(py::function callback, size_t queueCapacity)
    : shared_(std::make_shared<Shared>()) {
    shared_->queue = std::make_shared<FrameQueue>(queueCapacity);
    shared_->callback = std::move(callback);
    thread_ = std::thread(&CallbackRunner::run, shared_);
}

CallbackRunner::~CallbackRunner() {
    if (!thread_.joinable()) return;
    if (onOwnThread()) {
        // Inside the callback, so the GIL is held; the call's own reference to the
        // callback keeps it alive until the call returns.
        shared_->queue->close();
        shared_->callback = py::object();
        thread_.detach();
        return;
    }
    stop();
}

void CallbackRunner::replace(py::function callback) {
    shared_->callback = std::move(callback);
}

void CallbackRunner::stop() {
    shared_->queue->close();
    shared_->callback = py::object();
    if (!thread_.joinable() || onOwnThread()) return;
    withoutGil([this] { thread_.join(); });
}

void CallbackRunner::run(std::shared_ptr<Shared> shared) {
    for (;;) {
        DeliveredFrame item;
        if (shared->queue->pop(item, FrameQueue::Clock::time_point::max()) !=
            FrameQueue::PopResult::Frame) {
            return;
        }
        if (pythonBlocked.load()) return;
        callOnce(*shared, std::move(item));
    }
}

void CallbackRunner::callOnce(Shared& shared, DeliveredFrame item) {
    py::gil_scoped_acquire gil;
    // The queue may have been closed while this thread waited for the GIL.
    if (!shared.callback || shared.queue->closed()) return;
    py::object callback = shared.callback;
    try {
        callback(wrapFrame(std::move(item)));
    } catch (py::error_already_set& e) {
        shared.errors.fetch_add(1);
        e.discard_as_unraisable(callback);
    } catch (const std::exception& e) {
        shared.errors.fetch_add(1);
        PyErr_SetString(PyExc_RuntimeError, e.what());
        PyErr_WriteUnraisable(callback.ptr());
    }
}

}  // namespace vantory_py
