#include "quelta/progress.h"

#include <algorithm>
#include <cmath>

namespace quelta {

long long RoundHalfEven(double value) {
    const double floor = std::floor(value);
    const double diff = value - floor;
    double result = floor;
    if (diff > 0.5 || (diff == 0.5 && std::fmod(floor, 2.0) != 0)) result = floor + 1;
    return static_cast<long long>(result);
}

void ProgressCounter::Reset() {
    percentage_ = 0;
    done_ = 0;
    position_ = 0;
}

void ProgressCounter::Inc() {
    // A list with no rows has nothing to advance through: the bar stays full instead of overflowing.
    const double step = rowcount_ > 0 ? 100.0 / rowcount_ : 100.0;
    percentage_ += step;
    position_ = static_cast<int>(std::clamp(RoundHalfEven(percentage_), 0LL, 100LL));
    ++done_;
}

std::string ProgressCounter::DoneText() const {
    return std::to_string(done_) + " záznamů z " + std::to_string(rowcount_);
}

void LoginFormState::SetWindowsAuthentication(bool checked) {
    windows_ = checked;
    if (checked) password_.clear();
}

} // namespace quelta
