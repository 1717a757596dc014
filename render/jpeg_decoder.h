// jpeg_scan_decoder: decodes one baseline, extended-sequential or progressive
// Huffman JPEG (8-bit, greyscale or YCbCr) from a jpeg_decoder_stream and delivers
// it one output row at a time, top to bottom. Failures are reported as negative
// codes (render/jpeg_errors.h); no exception leaves this class.
#pragma once

#include "render/jpeg_errors.h"
#include "render/jpeg_stream.h"

#include <cstdint>
#include <memory>

class jpeg_decoder_core;

class jpeg_scan_decoder {
public:
    // Reads the stream up to and including the frame header. A failure is
    // recorded in error_code.
    jpeg_scan_decoder(jpeg_decoder_stream* stream, bool accelerated);
    ~jpeg_scan_decoder();
    jpeg_scan_decoder(const jpeg_scan_decoder&) = delete;
    jpeg_scan_decoder& operator=(const jpeg_scan_decoder&) = delete;

    // Locates the first scan and allocates the row buffers; a progressive image
    // (or one whose components come in separate scans) is decoded completely here.
    // Returns 0 on success (at once when already prepared), -1 on failure.
    int prepare();

    // Delivers the next row: 0 with row and row_bytes set; 1 once all rows have
    // been delivered; -1 if the decoder has an error or is not prepared; -227 if
    // decoding fails during this call (error_code then says why). Colour rows hold
    // 4 bytes per pixel (R, G, B, 255), greyscale rows 1 byte per pixel.
    int read_row(const uint8_t*& row, uint32_t& row_bytes);

    // True when the stream ended before the picture did: the missing data was
    // read as end-of-image markers, so the rows from there on carry no picture.
    bool input_cut_short() const;

    int width = 0;
    int height = 0;
    int components = 0;
    int bytes_per_pixel = 0;
    int error_code = 0;
    bool prepared = false;

private:
    void fail(int code);

    std::unique_ptr<jpeg_decoder_core> core_;
    jpeg_decoder_stream* stream_;
    bool released_ = false;
};
