#include "utilities/shell/clock.h"

namespace ui {

namespace {
class RealClock : public Clock {
  public:
    QDateTime Now() const override { return QDateTime::currentDateTime(); }
};
}  // namespace

std::shared_ptr<Clock> SystemClock() {
    static const std::shared_ptr<Clock> clock = std::make_shared<RealClock>();
    return clock;
}

}  // namespace ui
