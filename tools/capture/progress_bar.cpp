// Formatting and printing of the progress line.
#include "tools/capture/progress_bar.h"

#include <cmath>
#include <cstdio>
#include <unistd.h>

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

progress_printer::progress_printer(long total)
    : total_(total), start_(std::chrono::steady_clock::now()), terminal_(isatty(STDERR_FILENO) != 0) {}

void progress_printer::show(long done, bool last) {
    const auto now = std::chrono::steady_clock::now();
    const double since = std::chrono::duration<double>(now - shown_).count();
    if (!last && done > 1 && since < (terminal_ ? 0.25 : 5.0)) return;
    shown_ = now;
    const std::string line = progress_line(done, total_, std::chrono::duration<double>(now - start_).count());
    std::fprintf(stderr, terminal_ ? "\r%s" : "%s\n", line.c_str());
    if (last && terminal_) std::fputc('\n', stderr);
    std::fflush(stderr);
}
