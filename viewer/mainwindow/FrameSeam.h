// A hand-off point of the frame path that another part of the viewer fills: set on the
// GUI thread, called on the SDK's frame thread. The call runs under the seam's own
// mutex, so once set() returns the previous function is not running and never runs again.
#pragma once

#include <functional>
#include <mutex>
#include <utility>

namespace vantory {

template <typename... Args>
class FrameSeam {
public:
    using Function = std::function<void(Args...)>;

    void set(Function function) {
        std::lock_guard<std::mutex> lock(mutex_);
        function_ = std::move(function);
    }

    // False when the seam is empty.
    bool call(Args... args) {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!function_) return false;
        function_(std::forward<Args>(args)...);
        return true;
    }

private:
    std::mutex mutex_;
    Function function_;
};

}  // namespace vantory
