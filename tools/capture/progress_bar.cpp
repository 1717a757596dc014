// Formatting of the progress line.
#include "tools/capture/progress_bar.h"

#include <cmath>
#include <cstdio>

std::string clock_text(double seconds) {
    if (!std::isfinite(seconds) || seconds < 0.0) return "-:--:--";
    const long s = std::lround(seconds);
    char text[32];
    std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", s / 3600, (s / 60) % 60, s % 60);
    return text;
}

std::string progress_line(long done, long total, double elapsed_seconds, int bar_width) {
    const double share = total > 0 ? double(done) / double(total) : 0.0;
    const int filled = static_cast<int>(share * bar_width);
    std::string bar(size_t(bar_width) + 2, '.');
    bar.front() = '[';
    bar.back() = ']';
    for (int i = 0; i < filled; ++i) bar[size_t(i) + 1] = '#';
    const double fps = elapsed_seconds > 0.0 ? double(done) / elapsed_seconds : 0.0;
    const double left = fps > 0.0 ? double(total - done) / fps : -1.0;
    char text[160];
    std::snprintf(text, sizeof text, " %ld/%ld frames  %.2f fps  elapsed %s  left %s", done, total, fps,
                  clock_text(elapsed_seconds).c_str(), clock_text(left).c_str());
    bar.append(text);
    return bar;
}
