// Byte and bit input of the JPEG decoder: the stream is pulled in 4096-byte chunks
// and, once it ends, the buffer is filled with end-of-image markers so that any
// truncated file ends cleanly. The bit reader removes stuffed zero bytes, stops at
// markers (feeding zero bits from then on) and decodes Huffman codes.
#pragma once

#include "render/jpeg_errors.h"
#include "render/jpeg_stream.h"

#include <cstdint>

// Thrown inside the decoder only; every public call catches it.
struct jpeg_failure {
    int code;
};

[[noreturn]] inline void jpeg_fail(int code) { throw jpeg_failure{code}; }

class jpeg_byte_input {
public:
    static constexpr int chunk_size = 4096;

    explicit jpeg_byte_input(jpeg_decoder_stream* stream) : stream_(stream) {}

    uint8_t byte() {
        if (pos_ == end_) refill();
        return buffer_[pos_++];
    }
    uint16_t word() {
        uint16_t high = byte();
        return static_cast<uint16_t>((high << 8) | byte());
    }
    // True once the stream ran out and end-of-image markers were made up.
    bool padded() const { return padded_; }

private:
    void refill();

    jpeg_decoder_stream* stream_;
    uint8_t buffer_[chunk_size];
    int pos_ = 0;
    int end_ = 0;
    bool ended_ = false;
    bool padded_ = false;
};

// A Huffman table prepared for decoding: a 9-bit lookup for the short codes and,
// per code length, the largest code, the smallest code and the index of its first
// value for the longer ones. A second 9-bit lookup holds, for the run/size symbols
// whose code and magnitude bits fit in 9 bits together, the symbol with its value.
struct jpeg_huffman_table {
    static constexpr int fast_bits = 9;
    bool defined = false;
    int count = 0;
    uint8_t values[256] = {};
    int32_t max_code[18] = {};
    int32_t min_code[17] = {};
    int32_t first_index[17] = {};
    uint16_t fast[1 << fast_bits] = {};  // (length << 8) | value, 0 when the code is longer
    // (extended value << 16) | (symbol << 8) | code and magnitude length, 0 when
    // they take more than fast_bits bits.
    int32_t fast_value[1 << fast_bits] = {};

    // counts[l] = number of codes of length l + 1. The total must not exceed 255.
    void build(const uint8_t* counts, const uint8_t* symbol_values);

private:
    void build_value_lookup();
};

class jpeg_bit_reader {
public:
    explicit jpeg_bit_reader(jpeg_byte_input& input) : input_(input) {}

    int bit() {
        if (count_ < 1) fill();
        int b = static_cast<int>(bits_ >> 63);
        bits_ <<= 1;
        --count_;
        return b;
    }
    int bits(int n) {  // n in 0..16
        if (n == 0) return 0;
        if (count_ < n) fill();
        int v = static_cast<int>(bits_ >> (64 - n));
        bits_ <<= n;
        count_ -= n;
        return v;
    }
    // The value of an n-bit magnitude field (T.81 EXTEND).
    int extend(int n) {
        int v = bits(n);
        return v < (1 << (n - 1)) ? v - (1 << n) + 1 : v;
    }
    int decode(const jpeg_huffman_table& table) {
        if (count_ < 16) fill();
        unsigned peek = static_cast<unsigned>(bits_ >> (64 - jpeg_huffman_table::fast_bits));
        uint16_t entry = table.fast[peek];
        if (entry) {
            int length = entry >> 8;
            bits_ <<= length;
            count_ -= length;
            return entry & 0xFF;
        }
        return decode_long(table);
    }

    // Decodes a run/size symbol and, when its size is not 0, the magnitude that
    // follows it (T.81 EXTEND), in one look-up where they fit; returns the symbol.
    int decode_with_value(const jpeg_huffman_table& table, int& value) {
        if (count_ < 16) fill();
        unsigned peek = static_cast<unsigned>(bits_ >> (64 - jpeg_huffman_table::fast_bits));
        int32_t entry = table.fast_value[peek];
        if (entry) {
            int length = entry & 0xFF;
            bits_ <<= length;
            count_ -= length;
            value = entry >> 16;
            return (entry >> 8) & 0xFF;
        }
        int symbol = decode(table);
        value = (symbol & 0x0F) ? extend(symbol & 0x0F) : 0;
        return symbol;
    }

    // Forgets buffered bits and any marker met, as after a restart marker.
    void reset() {
        bits_ = 0;
        count_ = 0;
        marker_ = 0;
        filler_bits_ = 0;
    }
    // True once a marker has been met and every bit before it has been used:
    // from here on only filler zeros come.
    bool exhausted() const { return marker_ != 0 && count_ <= filler_bits_; }
    // The marker that ended the entropy-coded data, or 0 if none was met yet.
    int marker() const { return marker_; }
    // Continue feeding zero bits without looking for further markers.
    void hold_marker(int code) { marker_ = code; }

private:
    void fill();
    int decode_long(const jpeg_huffman_table& table);

    jpeg_byte_input& input_;
    uint64_t bits_ = 0;
    int count_ = 0;
    int marker_ = 0;
    int filler_bits_ = 0;  // zero bits appended after the marker
};
