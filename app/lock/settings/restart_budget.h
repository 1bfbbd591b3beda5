// How often something that died is started again (the locker, its movie process): at most
// `limit` times within any `window`; past that, never again.
#pragma once

#include <chrono>
#include <deque>

namespace lock {

class RestartBudget {
  public:
    using Clock = std::chrono::steady_clock;

    explicit RestartBudget(int limit = 3, std::chrono::milliseconds window = std::chrono::minutes(1))
        : limit_(limit), window_(window) {}

    // Whether a restart at `now` is allowed; an allowed one is counted. Once refused, every
    // later call is refused too.
    bool allow(Clock::time_point now);
    bool exhausted() const { return exhausted_; }

  private:
    int limit_;
    std::chrono::milliseconds window_;
    std::deque<Clock::time_point> recent_;
    bool exhausted_ = false;
};

} // namespace lock
