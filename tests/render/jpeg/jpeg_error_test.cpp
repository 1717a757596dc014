// Error paths of the JPEG decoder: each damaged or unsupported input yields its
// documented code at the documented call, releases the stream and never crashes;
// truncated files decode to the end through the end-of-image padding, and say so.
#include "render/jpeg_decoder.h"
#include "render/jpeg_stream.h"
#include "tests/render/jpeg/jpeg_test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using bytes_t = std::vector<uint8_t>;

const bytes_t& baseline() {
    static const bytes_t b = cjpeg_pattern(40, 24, "-quality 80");
    return b;
}
const bytes_t& progressive() {
    static const bytes_t b = cjpeg_pattern(40, 24, "-progressive -quality 80");
    return b;
}
const bytes_t& with_restarts() {
    static const bytes_t b = cjpeg_pattern(64, 48, "-restart 1B -quality 80");
    return b;
}
// Larger files whose headers take well under a tenth of the bytes.
const bytes_t& large(int which) {
    static const bytes_t files[3] = {cjpeg_pattern(256, 256, "-quality 90"),
                                     cjpeg_pattern(256, 256, "-progressive -quality 90"),
                                     cjpeg_pattern(256, 256, "-restart 2B -quality 90")};
    return files[which];
}

// Index of the first byte of the segment payload after marker `code` (past the length).
std::size_t payload_of(const bytes_t& bytes, uint8_t code) {
    long at = find_marker(bytes, code);
    EXPECT_GE(at, 0) << "marker " << int{code} << " not found";
    return static_cast<std::size_t>(at + 3);
}

// A file that ends after its frame header: SOI, a flat quantisation table, the frame.
bytes_t frame_only(uint8_t marker, const bytes_t& frame_payload) {
    bytes_t b = {0xFF, 0xD8, 0xFF, 0xDB, 0x00, 0x43, 0x00};
    b.insert(b.end(), 64, 1);
    std::size_t length = frame_payload.size() + 2;
    b.insert(b.end(), {0xFF, marker, static_cast<uint8_t>(length >> 8), static_cast<uint8_t>(length)});
    b.insert(b.end(), frame_payload.begin(), frame_payload.end());
    return b;
}

bytes_t colour_frame(int width, int height, uint8_t luma_sampling, uint8_t chroma_sampling) {
    return {8, static_cast<uint8_t>(height >> 8), static_cast<uint8_t>(height), static_cast<uint8_t>(width >> 8),
            static_cast<uint8_t>(width), 3, 1, luma_sampling, 0, 2, chroma_sampling, 0, 3, chroma_sampling, 0};
}

int constructor_code(const bytes_t& bytes) {
    jpeg_decoder_memory_stream stream(bytes.data(), bytes.size());
    jpeg_scan_decoder decoder(&stream, true);
    return decoder.error_code;
}

TEST(JpegErrors, UnsupportedCodingIsRefusedAtConstruction) {
    EXPECT_EQ(constructor_code(cjpeg_pattern(16, 16, "-arithmetic")), jpeg_arithmetic_coding);

    bytes_t twelve_bit = baseline();
    twelve_bit[payload_of(twelve_bit, 0xC0)] = 12;
    EXPECT_EQ(constructor_code(twelve_bit), jpeg_sof_bad_precision);

    bytes_t lossless = baseline();
    lossless[payload_of(lossless, 0xC0) - 3] = 0xC3;
    EXPECT_EQ(constructor_code(lossless), jpeg_unsupported_frame);

    bytes_t arithmetic_conditioning = {0xFF, 0xD8, 0xFF, 0xCC, 0x00, 0x04, 0x00, 0x00};
    EXPECT_EQ(constructor_code(arithmetic_conditioning), jpeg_arithmetic_coding);
}

TEST(JpegErrors, StartOfImageMustComeEarlyAndBeFollowedByAMarker) {
    bytes_t late(600, 0);
    late.insert(late.end(), baseline().begin(), baseline().end());
    EXPECT_EQ(constructor_code(late), jpeg_no_start_of_image);
    EXPECT_EQ(constructor_code({}), jpeg_no_start_of_image);
    EXPECT_EQ(constructor_code({0xFF, 0xD8, 0x00, 0x12}), jpeg_no_start_of_image);
    EXPECT_EQ(constructor_code({0xFF, 0xD8, 0xFF, 0x00}), jpeg_no_start_of_image);

    bytes_t early(100, 0);
    early.insert(early.end(), baseline().begin(), baseline().end());
    EXPECT_EQ(decode_jpeg(early, true).error_code, 0);
}

TEST(JpegErrors, FrameLimits) {
    EXPECT_EQ(constructor_code(frame_only(0xC0, colour_frame(0, 0, 0x11, 0x11))), jpeg_sof_bad_height);
    EXPECT_EQ(constructor_code(frame_only(0xC0, colour_frame(9000, 16, 0x11, 0x11))), jpeg_sof_bad_width);
    EXPECT_EQ(constructor_code(frame_only(0xC0, colour_frame(16, 9000, 0x11, 0x11))), jpeg_sof_bad_height);
    EXPECT_EQ(constructor_code(frame_only(0xC0, colour_frame(8192, 8192, 0x22, 0x11))), 0);
    EXPECT_EQ(constructor_code(frame_only(0xC0, colour_frame(16, 16, 0x21, 0x21))), jpeg_bad_sampling);
    EXPECT_EQ(constructor_code(frame_only(0xC0, colour_frame(16, 16, 0x31, 0x11))), jpeg_bad_sampling);
    EXPECT_EQ(constructor_code(frame_only(0xC0, colour_frame(16, 16, 0x12, 0x11))), 0);

    bytes_t two = {8, 0, 16, 0, 16, 2, 1, 0x11, 0, 2, 0x11, 0};
    EXPECT_EQ(constructor_code(frame_only(0xC0, two)), jpeg_bad_component_count);
    bytes_t four = {8, 0, 16, 0, 16, 4, 1, 0x11, 0, 2, 0x11, 0, 3, 0x11, 0, 4, 0x11, 0};
    EXPECT_EQ(constructor_code(frame_only(0xC2, four)), jpeg_bad_component_count);
    bytes_t five = {8, 0, 16, 0, 16, 5};
    EXPECT_EQ(constructor_code(frame_only(0xC0, five)), jpeg_sof_too_many_components);
    bytes_t short_frame = {8, 0, 16, 0, 16, 3, 1, 0x11, 0};
    EXPECT_EQ(constructor_code(frame_only(0xC0, short_frame)), jpeg_sof_bad_length);
}

TEST(JpegErrors, TableSegments) {
    // cjpeg writes its Huffman tables after the frame, so prepare meets them.
    bytes_t many_codes = baseline();
    many_codes[payload_of(many_codes, 0xC4) + 16] = 255;  // 16-bit codes on top of the others
    EXPECT_EQ(decode_jpeg(many_codes, true).error_code, jpeg_dht_too_many_codes);

    bytes_t bad_number = baseline();
    bad_number[payload_of(bad_number, 0xC4)] = 0x24;
    EXPECT_EQ(decode_jpeg(bad_number, true).error_code, jpeg_dht_bad_table_number);

    bytes_t short_dht = baseline();
    short_dht[payload_of(short_dht, 0xC4) - 1] = 10;
    EXPECT_EQ(decode_jpeg(short_dht, true).error_code, jpeg_dht_bad_length);

    // Before the frame they fail the constructor.
    bytes_t early_dht = {0xFF, 0xD8, 0xFF, 0xC4, 0x00, 0x13, 0x00};
    early_dht.insert(early_dht.end(), 16, 16);
    EXPECT_EQ(constructor_code(early_dht), jpeg_dht_too_many_codes);

    bytes_t dqt_id = baseline();
    dqt_id[payload_of(dqt_id, 0xDB)] = 0x04;
    EXPECT_EQ(constructor_code(dqt_id), jpeg_dqt_bad_table_id);

    bytes_t dqt_tiny = baseline();
    dqt_tiny[payload_of(dqt_tiny, 0xDB) - 1] = 1;
    EXPECT_EQ(constructor_code(dqt_tiny), jpeg_dqt_length_too_short);

    bytes_t dqt_short = baseline();
    dqt_short[payload_of(dqt_short, 0xDB) - 1] = 40;
    EXPECT_EQ(constructor_code(dqt_short), jpeg_dqt_bad_length);

    bytes_t app_length = baseline();
    app_length[payload_of(app_length, 0xE0) - 1] = 1;
    EXPECT_EQ(constructor_code(app_length), jpeg_skip_bad_length);

    bytes_t dri = {0xFF, 0xD8, 0xFF, 0xDD, 0x00, 0x05, 0x00, 0x01, 0x00};
    EXPECT_EQ(constructor_code(dri), jpeg_dri_bad_length);
}

TEST(JpegErrors, UnexpectedMarkers) {
    EXPECT_EQ(constructor_code({0xFF, 0xD8, 0xFF, 0x01}), jpeg_unexpected_marker);        // TEM
    EXPECT_EQ(constructor_code({0xFF, 0xD8, 0xFF, 0xC8, 0, 2}), jpeg_unexpected_marker);  // JPG
    EXPECT_EQ(constructor_code({0xFF, 0xD8, 0xFF, 0xD3}), jpeg_unexpected_marker);        // restart
    EXPECT_EQ(constructor_code({0xFF, 0xD8, 0xFF, 0xD9}), jpeg_unexpected_marker);        // end of image

    // A frame with no scan after it: prepare finds the end of image where a scan is due.
    bytes_t no_scan = frame_only(0xC0, colour_frame(16, 16, 0x11, 0x11));
    jpeg_decoder_memory_stream frame_stream(no_scan.data(), no_scan.size());
    jpeg_scan_decoder decoder(&frame_stream, false);
    ASSERT_EQ(decoder.error_code, 0);
    EXPECT_EQ(decoder.prepare(), -1);
    EXPECT_EQ(decoder.error_code, jpeg_unexpected_marker);
    EXPECT_EQ(frame_stream.end_count, 1);
}

TEST(JpegErrors, ScanHeaders) {
    bytes_t unknown = baseline();
    unknown[payload_of(unknown, 0xDA) + 1] = 9;  // first scan component id
    decoded_picture p = decode_jpeg(unknown, true);
    EXPECT_EQ(p.prepare_result, -1);
    EXPECT_EQ(p.error_code, jpeg_sos_unknown_component);

    bytes_t bad_length = baseline();
    bad_length[payload_of(bad_length, 0xDA) - 1] += 2;
    EXPECT_EQ(decode_jpeg(bad_length, true).error_code, jpeg_sos_bad_length);

    bytes_t huffman = baseline();
    huffman[payload_of(huffman, 0xDA) + 2] = 0x33;
    EXPECT_EQ(decode_jpeg(huffman, true).error_code, jpeg_undefined_huffman_table);

    bytes_t quant = baseline();
    quant[payload_of(quant, 0xC0) + 8] = 3;  // first component's table id
    EXPECT_EQ(decode_jpeg(quant, true).error_code, jpeg_undefined_quant_table);

    bytes_t spectral = progressive();
    spectral[payload_of(spectral, 0xDA) + 1 + 2 * spectral[payload_of(spectral, 0xDA)] + 1] = 5;  // Se of a DC scan
    EXPECT_EQ(decode_jpeg(spectral, true).error_code, jpeg_bad_spectral_selection);

    bytes_t approximation = progressive();
    approximation[payload_of(approximation, 0xDA) + 1 + 2 * approximation[payload_of(approximation, 0xDA)] + 2] = 0x31;
    EXPECT_EQ(decode_jpeg(approximation, true).error_code, jpeg_bad_approximation);
}

TEST(JpegErrors, RestartMarkersMustComeInSequence) {
    bytes_t shuffled = with_restarts();
    long first = find_marker(shuffled, 0xD0, payload_of(shuffled, 0xDA));
    ASSERT_GT(first, 0);
    shuffled[static_cast<std::size_t>(first)] = 0xD3;
    decoded_picture p = decode_jpeg(shuffled, false);
    EXPECT_EQ(p.prepare_result, 0);
    EXPECT_EQ(p.last_row_result, jpeg_corrupt_data);
    EXPECT_EQ(p.error_code, jpeg_bad_restart);
    EXPECT_LT(p.rows_read, p.height);

    bytes_t intact = with_restarts();
    EXPECT_EQ(decode_jpeg(intact, false).error_code, 0);
}

// The progressive test file with its DC refinement scan (header and data) repeated
// `copies` more times before the end of the image.
bytes_t with_repeated_dc_refinement(int copies) {
    bytes_t file = progressive();
    for (long sos = find_marker(file, 0xDA); sos > 0; sos = find_marker(file, 0xDA, static_cast<std::size_t>(sos))) {
        std::size_t header = static_cast<std::size_t>(sos) + 1;
        std::size_t length = static_cast<std::size_t>(file[header] << 8 | file[header + 1]);
        const uint8_t* tail = &file[header + length - 3];  // Ss, Se, Ah/Al
        if (tail[0] != 0 || tail[1] != 0 || (tail[2] >> 4) == 0) continue;
        long end = find_marker(file, 0xDA, header);
        if (end < 0) end = find_marker(file, 0xD9, header);
        bytes_t scan(file.begin() + sos - 1, file.begin() + end - 1);
        file.resize(file.size() - 2);  // drop the end-of-image marker
        for (int i = 0; i < copies; ++i) file.insert(file.end(), scan.begin(), scan.end());
        file.insert(file.end(), {0xFF, 0xD9});
        return file;
    }
    ADD_FAILURE() << "no DC refinement scan";
    return file;
}

// Scans with next to no data may still each visit every block. A file whose scans
// would refine its coefficients more often than any valid file can is refused in
// prepare(); the same scan repeated fewer times still decodes.
TEST(JpegErrors, ManyScanFilesAreBoundedByTheWorkOfAValidFile) {
    decoded_picture some = decode_jpeg(with_repeated_dc_refinement(300), false);
    EXPECT_EQ(some.error_code, 0);
    EXPECT_EQ(some.rows_read, some.height);

    decoded_picture too_many = decode_jpeg(with_repeated_dc_refinement(3000), false);
    EXPECT_EQ(too_many.prepare_result, -1);
    EXPECT_EQ(too_many.error_code, jpeg_too_much_scan_work);
    EXPECT_STREQ(jpeg_error_message(jpeg_too_much_scan_work),
                 "scans refine the picture more often than a valid file can");
}

TEST(JpegErrors, CorruptEntropyDataFailsInReadRow) {
    bytes_t corrupt = baseline();
    std::size_t sos = payload_of(corrupt, 0xDA);
    std::size_t data = sos + (static_cast<std::size_t>(corrupt[sos - 2]) << 8 | corrupt[sos - 1]) - 2;
    for (std::size_t i = data; i + 3 < corrupt.size(); i += 2) {
        corrupt[i] = 0xFF;  // stuffed 0xFF bytes: all one bits, no valid code
        corrupt[i + 1] = 0x00;
    }
    for (bool accelerated : {false, true}) {
        decoded_picture p = decode_jpeg(corrupt, accelerated);
        EXPECT_EQ(p.prepare_result, 0);
        EXPECT_EQ(p.last_row_result, jpeg_corrupt_data);
        EXPECT_EQ(p.error_code, jpeg_corrupt_data);
        EXPECT_EQ(p.rows_read, 0);
    }
}

TEST(JpegErrors, TruncatedFilesDecodeToTheEnd) {
    for (int which = 0; which < 3; ++which) {
        ASSERT_GT(large(which).size(), 8000u);
        for (int percent : {10, 50, 99}) {
            SCOPED_TRACE(std::to_string(which) + " cut at " + std::to_string(percent));
            const bytes_t& file = large(which);
            bytes_t cut(file.begin(), file.begin() + static_cast<long>(file.size() * percent / 100));
            decoded_picture p = decode_jpeg(cut, true);
            EXPECT_EQ(p.error_code, 0);
            EXPECT_EQ(p.rows_read, p.height);
            EXPECT_EQ(p.last_row_result, 1);
            EXPECT_TRUE(p.cut_short);
        }
        // Whole, and whole with bytes after its end marker: not cut short.
        bytes_t trailing = large(which);
        EXPECT_FALSE(decode_jpeg(trailing, true).cut_short);
        trailing.insert(trailing.end(), 5000, 0);
        const decoded_picture whole = decode_jpeg(trailing, true);
        EXPECT_EQ(whole.last_row_result, 1);
        EXPECT_FALSE(whole.cut_short);
    }
}

// A frame header that claims more than the scans hold: the data meets its end
// marker long before the last blocks, which is said as a picture cut short (a
// progressive file's scans may instead no longer decode at all: refused).
TEST(JpegErrors, HeaderClaimingMoreThanTheDataIsCutShortOrRefused) {
    for (int which = 0; which < 3; ++which) {
        SCOPED_TRACE(which);
        bytes_t claims = large(which);
        const bool progressive = which == 1;
        const std::size_t frame = payload_of(claims, progressive ? 0xC2 : 0xC0);
        for (std::size_t i : {frame + 1, frame + 3}) claims[i] = 0x04, claims[i + 1] = 0x00;  // 1024
        decoded_picture p = decode_jpeg(claims, true);
        EXPECT_EQ(p.width, 1024);
        if (progressive && p.error_code != 0) continue;
        EXPECT_EQ(p.error_code, 0);
        EXPECT_EQ(p.rows_read, 1024);
        EXPECT_TRUE(p.cut_short);
    }
}

// A stream that fails on its second read.
class failing_stream : public jpeg_decoder_stream {
public:
    explicit failing_stream(const bytes_t& bytes) : bytes_(bytes) {}
    int32_t read(uint8_t* buffer, int32_t max_bytes, bool*) override {
        if (reads_++ > 0) return -1;
        int32_t n = std::min<int32_t>(max_bytes, 20);
        std::copy(bytes_.begin(), bytes_.begin() + n, buffer);
        return n;
    }
    void end_use() override { ++ended; }
    int ended = 0;

private:
    const bytes_t& bytes_;
    int reads_ = 0;
};

TEST(JpegErrors, StreamReadErrorReleasesTheStreamOnce) {
    failing_stream stream(baseline());
    {
        jpeg_scan_decoder decoder(&stream, true);
        EXPECT_EQ(decoder.error_code, jpeg_stream_read_error);
        const uint8_t* row = nullptr;
        uint32_t row_bytes = 0;
        EXPECT_EQ(decoder.prepare(), -1);
        EXPECT_EQ(decoder.read_row(row, row_bytes), -1);
    }
    EXPECT_EQ(stream.ended, 1);
}

TEST(JpegErrors, CallOrderAndReturnValues) {
    jpeg_decoder_memory_stream stream(baseline().data(), baseline().size());
    {
        jpeg_scan_decoder decoder(&stream, true);
        EXPECT_EQ(stream.begin_count, 1);
        const uint8_t* row = nullptr;
        uint32_t row_bytes = 0;
        EXPECT_EQ(decoder.read_row(row, row_bytes), -1);  // not prepared
        EXPECT_EQ(decoder.prepare(), 0);
        EXPECT_EQ(decoder.prepare(), 0);
        for (int y = 0; y < decoder.height; ++y) {
            ASSERT_EQ(decoder.read_row(row, row_bytes), 0);
            EXPECT_EQ(row_bytes, 4u * 40);
        }
        EXPECT_EQ(decoder.read_row(row, row_bytes), 1);
        EXPECT_EQ(decoder.read_row(row, row_bytes), 1);
        EXPECT_EQ(stream.end_count, 0);
    }
    EXPECT_EQ(stream.end_count, 1);
}

}  // namespace
