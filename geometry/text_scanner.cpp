// Token, line and number reading over text in memory for the file loaders.
// Numbers are parsed with std::from_chars so that the user's locale (a decimal
// comma, for instance) never changes what a mesh or point file means.
#include "geometry/text_scanner.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <limits>

namespace {
constexpr int64_t int_limit = int64_t(1) << 62;

bool is_space(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

// Reads an optional sign; false when a second sign follows (never a number then).
bool read_sign(std::string_view text, std::size_t& pos, bool& negative) {
    negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
        if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) return false;
    }
    return true;
}

// Whether an out-of-range decimal text is a tiny number (negative exponent).
bool has_negative_exponent(const char* first, const char* last) {
    for (const char* p = first; p + 1 < last; ++p) {
        if ((*p == 'e' || *p == 'E') && p[1] == '-') return true;
    }
    return false;
}
}  // namespace

void text_scanner::skip_space() {
    while (pos_ < text_.size() && is_space(text_[pos_])) ++pos_;
}

bool text_scanner::at_separator() const { return pos_ >= text_.size() || is_space(text_[pos_]); }

std::string_view text_scanner::token() {
    skip_space();
    const std::size_t start = pos_;
    while (pos_ < text_.size() && pos_ - start < max_token && !is_space(text_[pos_])) ++pos_;
    return text_.substr(start, pos_ - start);
}

void text_scanner::skip_line() {
    std::size_t taken = 0;
    while (pos_ < text_.size() && taken < max_token) {
        const char c = text_[pos_++];
        ++taken;
        if (c == '\n') return;
    }
}

bool text_scanner::literal(char c) {
    if (pos_ < text_.size() && text_[pos_] == c) {
        ++pos_;
        return true;
    }
    return false;
}

bool text_scanner::read_int(int64_t& out) {
    skip_space();
    std::size_t p = pos_;
    bool negative = false;
    if (!read_sign(text_, p, negative)) return false;
    const char* first = text_.data() + p;
    const char* last = text_.data() + text_.size();
    uint64_t magnitude = 0;
    const auto [end, ec] = std::from_chars(first, last, magnitude);
    if (end == first) return false;
    if (ec == std::errc::result_out_of_range || magnitude > uint64_t(int_limit)) magnitude = uint64_t(int_limit);
    out = negative ? -int64_t(magnitude) : int64_t(magnitude);
    pos_ = p + std::size_t(end - first);
    return true;
}

bool text_scanner::read_float(float& out) {
    skip_space();
    std::size_t p = pos_;
    bool negative = false;
    if (!read_sign(text_, p, negative)) return false;
    const char* first = text_.data() + p;
    const char* last = text_.data() + text_.size();
    float value = 0.0f;
    auto [end, ec] = std::from_chars(first, last, value);
    if (end == first) return false;
    if (ec == std::errc::result_out_of_range) {
        value = has_negative_exponent(first, end) ? 0.0f : std::numeric_limits<float>::infinity();
    }
    out = negative ? -value : value;
    pos_ = p + std::size_t(end - first);
    return true;
}

load_outcome read_text_file(const char* file_name, std::string& text) {
    text.clear();
    std::FILE* file = std::fopen(file_name, "rb");
    if (file == nullptr) return system_failure(errno);
    // A regular file's size is known before reading; anything else (a device, a
    // pipe) is bounded while it is read.
    std::error_code no_size;
    const std::uintmax_t size = std::filesystem::file_size(file_name, no_size);
    load_outcome outcome;
    if (!no_size && size > max_text_file_bytes) outcome.problem = load_problem::too_large;
    char chunk[65536];
    std::size_t got = 0;
    while (outcome.ok() && (got = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
        text.append(chunk, got);
        if (text.size() > max_text_file_bytes) outcome.problem = load_problem::too_large;
    }
    // A folder opens for reading on some systems and fails on the first read.
    if (outcome.ok() && std::ferror(file)) outcome = system_failure(errno);
    std::fclose(file);
    if (!outcome.ok()) text.clear();
    return outcome;
}
