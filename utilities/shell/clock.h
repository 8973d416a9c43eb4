#pragma once
// The time the windows show and wait on, so tests can fix it.

#include <QDateTime>
#include <memory>

namespace ui {

class Clock {
  public:
    virtual ~Clock() = default;
    virtual QDateTime Now() const = 0;
};

// The computer's local time.
std::shared_ptr<Clock> SystemClock();

// A clock that stands still until moved.
class FixedClock : public Clock {
  public:
    explicit FixedClock(QDateTime now) : now_(std::move(now)) {}
    QDateTime Now() const override { return now_; }
    void Set(QDateTime now) { now_ = std::move(now); }
    void AdvanceMs(qint64 ms) { now_ = now_.addMSecs(ms); }

  private:
    QDateTime now_;
};

}  // namespace ui
