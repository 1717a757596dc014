// text_scanner: reads whitespace-separated tokens and numbers from text held in
// memory, the way formatted file input reads them (tokens of at most 255 characters,
// line skips of at most 255 characters), for the mesh and point-file loaders.
// It never reads past its text, ignores the C locale, and read_text_file brings a whole file in.
#pragma once

#include "geometry/load_outcome.h"

#include <cstdint>
#include <string>
#include <string_view>

class text_scanner {
public:
    static constexpr std::size_t max_token = 255;

    explicit text_scanner(std::string_view text) : text_(text) {}

    bool at_end() const { return pos_ >= text_.size(); }
    std::size_t position() const { return pos_; }
    void rewind() { pos_ = 0; }

    // Skips white space, then reads up to 255 non-space characters. Empty at end.
    std::string_view token();
    // Discards up to 255 characters of the current line, up to and including its
    // end of line; a longer remainder stays to be read as further tokens.
    void skip_line();
    // Skips white space and reads a decimal integer (optional sign). On failure the
    // position stays on the offending character. Values saturate at +-2^62.
    bool read_int(int64_t& out);
    // Skips white space and reads a decimal floating-point number (optional sign,
    // exponent, "inf", "nan"). On failure the position stays on the offending character.
    bool read_float(float& out);
    // Matches one literal character without skipping white space.
    bool literal(char c);
    // True when the next character is white space or the end of the text.
    bool at_separator() const;

private:
    void skip_space();

    std::string_view text_;
    std::size_t pos_ = 0;
};

// Reads a whole file into `text`. Fails, with `text` empty, when the file cannot
// be opened or read (a folder included) or holds more than max_text_file_bytes.
load_outcome read_text_file(const char* file_name, std::string& text);
