// Chunked input with end-of-image padding, Huffman table preparation, and the
// bit reader's refill and long-code path.
#include "render/jpeg_entropy.h"

#include <cstring>

void jpeg_byte_input::refill() {
    pos_ = 0;
    end_ = 0;
    while (!ended_) {
        bool eof = false;
        int32_t got = stream_->read(buffer_, chunk_size, &eof);
        if (got < 0) jpeg_fail(jpeg_stream_read_error);
        if (got > chunk_size) got = chunk_size;
        if (eof || got == 0) ended_ = true;
        if (got > 0) {
            end_ = got;
            return;
        }
    }
    padded_ = true;
    for (int i = 0; i < chunk_size; i += 2) {
        buffer_[i] = 0xFF;
        buffer_[i + 1] = 0xD9;
    }
    end_ = chunk_size;
}

void jpeg_huffman_table::build(const uint8_t* counts, const uint8_t* symbol_values) {
    count = 0;
    for (int l = 0; l < 16; ++l) count += counts[l];
    std::memcpy(values, symbol_values, static_cast<std::size_t>(count));
    // Canonical codes: consecutive within a length, doubled from one length to the next.
    int32_t code = 0;
    int index = 0;
    for (int l = 1; l <= 16; ++l) {
        first_index[l] = index;
        min_code[l] = code;
        code += counts[l - 1];
        index += counts[l - 1];
        max_code[l] = counts[l - 1] ? code - 1 : -1;
        code <<= 1;
    }
    max_code[17] = 0x7FFFFFFF;
    // The fast table follows the same length-by-length search, so both paths agree.
    for (unsigned p = 0; p < (1u << fast_bits); ++p) {
        fast[p] = 0;
        for (int l = 1; l <= fast_bits; ++l) {
            int32_t c = static_cast<int32_t>(p >> (fast_bits - l));
            if (c <= max_code[l]) {
                int i = first_index[l] + c - min_code[l];
                if (c >= min_code[l] && i < count) fast[p] = static_cast<uint16_t>((l << 8) | values[i]);
                break;
            }
        }
    }
    build_value_lookup();
    defined = true;
}

void jpeg_huffman_table::build_value_lookup() {
    for (unsigned p = 0; p < (1u << fast_bits); ++p) {
        fast_value[p] = 0;
        int length = fast[p] >> 8;
        int symbol = fast[p] & 0xFF;
        int size = symbol & 0x0F;
        if (length == 0 || length + size > fast_bits) continue;
        int value = static_cast<int>(p >> (fast_bits - length - size)) & ((1 << size) - 1);
        if (size && value < (1 << (size - 1))) value += 1 - (1 << size);
        fast_value[p] = value * 65536 + (symbol << 8) + length + size;
    }
}

void jpeg_bit_reader::fill() {
    while (count_ <= 56) {
        int b = 0;
        if (marker_) {
            filler_bits_ += 8;
        } else {
            b = input_.byte();
            if (b == 0xFF) {
                int next = input_.byte();
                while (next == 0xFF) next = input_.byte();
                if (next == 0) {
                    b = 0xFF;
                } else {
                    marker_ = next;
                    b = 0;
                    filler_bits_ += 8;
                }
            }
        }
        bits_ |= static_cast<uint64_t>(b) << (56 - count_);
        count_ += 8;
    }
}

int jpeg_bit_reader::decode_long(const jpeg_huffman_table& table) {
    unsigned peek = static_cast<unsigned>(bits_ >> 48);
    for (int l = 1; l <= 16; ++l) {
        int32_t c = static_cast<int32_t>(peek >> (16 - l));
        if (c <= table.max_code[l]) {
            int i = table.first_index[l] + c - table.min_code[l];
            if (c < table.min_code[l] || i >= table.count) break;
            bits_ <<= l;
            count_ -= l;
            return table.values[i];
        }
    }
    jpeg_fail(jpeg_corrupt_data);
}
