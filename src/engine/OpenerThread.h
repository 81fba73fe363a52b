#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

// One worker thread that runs requests one at a time. Each request has a lane;
// a request that has not started yet is replaced by a newer one of its lane
// (only the latest intent of a lane is carried out: play this, stop), except
// commands to a player (pause, seek, a track), each of which is carried out.
// The user's choices and commands go first, in the order they came, then
// players being let go, then sources opened ahead.
class OpenerThread {
public:
    using Request = std::function<void()>;
    enum class Lane { Choice, Command, Retire, Preopen };

    OpenerThread();
    ~OpenerThread();
    OpenerThread(const OpenerThread&) = delete;
    OpenerThread& operator=(const OpenerThread&) = delete;

    // False once shut down.
    bool post(Request request, Lane lane = Lane::Choice);
    // A request of lane `from` that has not started yet belongs to lane `to`
    // from now on, in place of the one pending there.
    void promote(Lane from, Lane to);
    // Drops what is pending, lets the running request finish, then runs last
    // (if any) and ends the thread. Later posts are refused.
    void shutdown(Request last = {});
    // True while a request is running or waiting.
    bool busy() const;

private:
    struct Pending {
        Lane lane;
        Request request;
    };
    void run(std::stop_token stop);

    mutable std::mutex lock_;
    std::condition_variable_any wake_;
    std::deque<Pending> pending_;
    bool running_ = false;
    bool closed_ = false;
    std::jthread thread_; // last: starts after the fields above exist
};
