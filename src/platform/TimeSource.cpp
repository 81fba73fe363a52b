#include "TimeSource.h"

#include <QTimer>

namespace {

class QtTimer final : public TimeSource::Timer {
public:
    QtTimer(std::function<void()> fire, bool repeating)
    {
        timer_.setSingleShot(!repeating);
        QObject::connect(&timer_, &QTimer::timeout, [fire = std::move(fire)] { fire(); });
    }
    void start(std::chrono::milliseconds interval) override { timer_.start(interval); }
    void stop() override { timer_.stop(); }
    bool isActive() const override { return timer_.isActive(); }
    std::chrono::milliseconds interval() const override { return timer_.intervalAsDuration(); }

private:
    QTimer timer_;
};

class SystemTime final : public TimeSource {
public:
    Clock::time_point now() const override { return Clock::now(); }
    std::unique_ptr<Timer> timer(std::function<void()> fire, bool repeating) override
    {
        return std::make_unique<QtTimer>(std::move(fire), repeating);
    }
};

} // namespace

TimeSource& TimeSource::system()
{
    static SystemTime time;
    return time;
}
