// Process-wide values filled at most once, on first use.
//
// A thread that finds the value missing detaches from the interpreter before it waits for the
// guard, so that it never holds the interpreter lock that the filling thread needs; it
// re-attaches to fill the value (filling needs the interpreter) or to go on. A fill that throws
// leaves the value empty, and the next use tries again.
#pragma once

#include <atomic>
#include <mutex>

#include "module/python.hpp"

namespace vortalix2 {

template <class T>
class OnceCell {
public:
    template <class Fill>
    const T& get(Fill&& fill) {
        if (ready_.load(std::memory_order_acquire)) return value_;
        PyThreadState* state = PyEval_SaveThread();
        std::unique_lock<std::mutex> lock(mutex_);
        PyEval_RestoreThread(state);
        if (!ready_.load(std::memory_order_relaxed)) {
            value_ = fill();
            ready_.store(true, std::memory_order_release);
        }
        return value_;
    }

    // The value if it is there, else null.
    const T* peek() const {
        return ready_.load(std::memory_order_acquire) ? &value_ : nullptr;
    }

private:
    std::atomic<bool> ready_{false};
    std::mutex mutex_;
    T value_{};
};

}  // namespace vortalix2
