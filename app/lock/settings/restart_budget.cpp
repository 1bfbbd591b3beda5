#include "app/lock/settings/restart_budget.h"

namespace lock {

bool RestartBudget::allow(Clock::time_point now) {
    if (exhausted_) return false;
    while (!recent_.empty() && now - recent_.front() >= window_)
        recent_.pop_front();
    if (static_cast<int>(recent_.size()) >= limit_) {
        exhausted_ = true;
        return false;
    }
    recent_.push_back(now);
    return true;
}

} // namespace lock
