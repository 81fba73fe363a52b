#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

// One worker thread that runs requests one at a time, in order. A request
// that has not started yet is replaced by a newer one: only the latest intent
// (play this, stop) is carried out once the current request is done.
class OpenerThread {
public:
    using Request = std::function<void()>;

    OpenerThread();
    ~OpenerThread();
    OpenerThread(const OpenerThread&) = delete;
    OpenerThread& operator=(const OpenerThread&) = delete;

    // False once shut down.
    bool post(Request request);
    // Drops what is pending, lets the running request finish, then runs last
    // (if any) and ends the thread. Later posts are refused.
    void shutdown(Request last = {});
    // True while a request is running or waiting.
    bool busy() const;

private:
    void run(std::stop_token stop);

    mutable std::mutex lock_;
    std::condition_variable_any wake_;
    std::optional<Request> pending_;
    bool running_ = false;
    bool closed_ = false;
    std::jthread thread_; // last: starts after the fields above exist
};
