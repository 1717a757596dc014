// Author mode's key map, seek targets, section look-up and section loop.
#include "app/author_controls.h"

#include "parts/show_sections.h"
#include "platform/window_messages.h"
#include "timeline/frame_step.h"

#include <algorithm>
#include <cmath>

namespace {

// Times within this of a whole step count as on it (the stepped clock rounds).
constexpr double on_step = 1e-6;

author_command seek_to(double target) { return {author_action::seek, target}; }

}  // namespace

author_command command_for_key(uint8_t key, bool shift, bool repeat, double now) {
    const double step = shift ? seek_big_step : seek_step;
    switch (key) {
    case 'P': return repeat ? author_command{} : author_command{author_action::toggle_pause};
    case 'L': return repeat ? author_command{} : author_command{author_action::toggle_loop};
    case VK_F1: return repeat ? author_command{} : author_command{author_action::toggle_overlay};
    case VK_LEFT: return seek_to(step_target(now, -step));
    case VK_RIGHT: return seek_to(step_target(now, step));
    case VK_HOME: return seek_to(0.0);
    case VK_PRIOR: return seek_to(previous_section_start(now));
    case VK_NEXT: {
        const std::optional<double> next = next_section_start(now);
        return next ? seek_to(*next) : author_command{};
    }
    default: return {};
    }
}

double step_target(double now, double step) {
    const double size = std::fabs(step);
    const double steps = now / size;
    const double target = step > 0.0 ? (std::floor(steps + on_step) + 1.0) * size
                                     : (std::ceil(steps - on_step) - 1.0) * size;
    return std::clamp(target, 0.0, show_end_time);
}

size_t section_index(double time) {
    const auto& sections = show_sections();
    size_t index = 0;
    while (index + 1 < sections.size() && sections[index + 1].music_time <= time + on_step) ++index;
    return index;
}

double previous_section_start(double now) {
    const auto& sections = show_sections();
    const size_t index = section_index(now - section_back_grace);
    return sections[index].music_time;
}

std::optional<double> next_section_start(double now) {
    const auto& sections = show_sections();
    const size_t index = section_index(now) + 1;
    if (index >= sections.size()) return std::nullopt;
    return sections[index].music_time;
}

std::pair<double, double> section_loop(double now) {
    const auto& sections = show_sections();
    const size_t index = section_index(now);
    const double end = index + 1 < sections.size() ? sections[index + 1].music_time : show_end_time;
    return {sections[index].music_time, end};
}

double timeline_time_at(double fraction) { return std::clamp(fraction, 0.0, 1.0) * show_end_time; }

double timeline_fraction(double time) { return std::clamp(time / show_end_time, 0.0, 1.0); }

void frame_history::add(double milliseconds) {
    if (values_.size() < size) {
        values_.push_back(float(milliseconds));
    } else {
        values_[next_] = float(milliseconds);
    }
    next_ = (next_ + 1) % size;
}

double frame_history::latest() const {
    if (values_.empty()) return 0.0;
    return values_[(next_ + size - 1) % size];
}

std::vector<float> frame_history::in_order() const {
    if (values_.size() < size) return values_;
    std::vector<float> ordered(values_.begin() + long(next_), values_.end());
    ordered.insert(ordered.end(), values_.begin(), values_.begin() + long(next_));
    return ordered;
}
