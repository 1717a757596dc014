// The decoder's building blocks on their own: both inverse DCTs against a
// double-precision reference, the T.871 colour conversion, Huffman
// decoding through the bit reader, chunked input with end-of-image padding, and
// the file stream's contract.
#include "render/jpeg_entropy.h"
#include "render/jpeg_stream.h"
#include "render/jpeg_transform.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

// f(x, y) = 1/4 sum C(u) C(v) F(u, v) cos((2x+1) u pi / 16) cos((2y+1) v pi / 16) + 128.
std::vector<double> reference_idct(const std::vector<double>& f) {
    const double pi = 3.14159265358979323846;
    std::vector<double> out(64);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            double sum = 0;
            for (int v = 0; v < 8; ++v)
                for (int u = 0; u < 8; ++u) {
                    double cu = u ? 1.0 : std::sqrt(0.5), cv = v ? 1.0 : std::sqrt(0.5);
                    sum += cu * cv * f[v * 8 + u] * std::cos((2 * x + 1) * u * pi / 16) * std::cos((2 * y + 1) * v * pi / 16);
                }
            out[y * 8 + x] = std::fmin(255.0, std::fmax(0.0, sum / 4 + 128));
        }
    return out;
}

// Largest difference of a transform from the reference over random blocks whose
// coefficients fall off with frequency, as in real pictures.
int worst_idct_error(bool accelerated, int quant_value, double* mean_signed) {
    std::mt19937 random(1234);
    std::vector<uint16_t> table(64, static_cast<uint16_t>(quant_value));
    int32_t quant[64];
    jpeg_prepare_quant_table(table.data(), accelerated, quant);
    int worst = 0;
    double total = 0;
    for (int trial = 0; trial < 400; ++trial) {
        int16_t coefficients[64];
        std::vector<double> dequantised(64);
        for (int i = 0; i < 64; ++i) {
            int spread = 600 / (1 + (i % 8) + (i / 8)) / quant_value;
            int c = spread ? static_cast<int>(random() % (2 * spread + 1)) - spread : 0;
            if (random() % 3 == 0) c = 0;
            coefficients[i] = static_cast<int16_t>(c);
            dequantised[i] = static_cast<double>(c) * quant_value;
        }
        uint8_t out[64];
        (accelerated ? jpeg_idct_fast : jpeg_idct_exact)(coefficients, quant, out, 8);
        std::vector<double> expected = reference_idct(dequantised);
        for (int i = 0; i < 64; ++i) {
            double d = out[i] - std::round(expected[i]);
            total += d;
            worst = std::max(worst, static_cast<int>(std::fabs(d)));
        }
    }
    *mean_signed = total / (400 * 64);
    return worst;
}

TEST(JpegTransform, ExactTransformIsWithinOneOfTheReference) {
    double bias = 0;
    EXPECT_LE(worst_idct_error(false, 1, &bias), 1);
    EXPECT_LT(std::fabs(bias), 0.05);
    EXPECT_LE(worst_idct_error(false, 16, &bias), 1);
}

TEST(JpegTransform, FastTransformIsCloseAndTruncates) {
    double bias = 0;
    EXPECT_LE(worst_idct_error(true, 16, &bias), 2);
    EXPECT_LT(bias, 0.0);  // truncation, not rounding, at the end
    EXPECT_GT(bias, -1.2);
}

TEST(JpegTransform, DcOnlyBlocksAreFlatAndHugeValuesClamp) {
    uint16_t ones[64];
    std::fill(ones, ones + 64, 1);
    for (bool accelerated : {false, true}) {
        int32_t quant[64];
        jpeg_prepare_quant_table(ones, accelerated, quant);
        int16_t block[64] = {};
        block[0] = 80;  // 80 / 8 = 10 above mid-grey
        uint8_t out[64];
        (accelerated ? jpeg_idct_fast : jpeg_idct_exact)(block, quant, out, 8);
        for (uint8_t v : out) EXPECT_EQ(v, 138);

        uint16_t big[64];
        std::fill(big, big + 64, 65535);
        jpeg_prepare_quant_table(big, accelerated, quant);
        for (int16_t& c : block) c = 32767;
        (accelerated ? jpeg_idct_fast : jpeg_idct_exact)(block, quant, out, 8);
        EXPECT_EQ(out[0], 255);
    }
}

// FNV-1a over both transforms' samples for many random blocks: sparse and dense,
// small and clamping coefficients, flat and busy quantisation tables.
uint32_t transform_fingerprint(bool accelerated) {
    std::mt19937 random(20);
    uint32_t hash = 2166136261u;
    for (int trial = 0; trial < 3000; ++trial) {
        uint16_t table[64];
        for (auto& q : table) q = static_cast<uint16_t>(1 + random() % (trial % 3 == 0 ? 4 : 60));
        int32_t quant[64];
        jpeg_prepare_quant_table(table, accelerated, quant);
        int16_t coefficients[64] = {};
        int count = static_cast<int>(random() % 24);
        for (int i = 0; i < count; ++i) {
            int magnitude = trial % 5 == 0 ? 2000 : 120;
            int value = static_cast<int>(random() % (2 * magnitude + 1)) - magnitude;
            coefficients[random() % (i < 4 ? 10 : 64)] = static_cast<int16_t>(value);
        }
        uint8_t out[8 * 12];
        (accelerated ? jpeg_idct_fast : jpeg_idct_exact)(coefficients, quant, out, 12);
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x) hash = (hash ^ out[y * 12 + x]) * 16777619u;
    }
    return hash;
}

// Decoded pictures must not change from one build of the decoder to the next:
// any change of a constant, a rounding or a shortcut shows here.
TEST(JpegTransform, BothTransformsKeepTheirExactSamples) {
    EXPECT_EQ(transform_fingerprint(false), 0xfdbf8560u);
    EXPECT_EQ(transform_fingerprint(true), 0x938f98ecu);
}

// Both transforms run as vector code where the processor allows and as scalar
// code elsewhere; a picture must not depend on which. Blocks range from sparse to
// dense and up to every input at the clamping limit with alternating signs, the
// worst case for the intermediate range (which the fast vector form declines).
TEST(JpegTransform, ScalarAndVectorTransformsGiveTheSameSamples) {
    if (!jpeg_vector_transform_available()) GTEST_SKIP() << "no SSE4.1 on this processor";
    for (bool accelerated : {false, true}) {
        std::mt19937 random(21);
        int differing = 0, declined = 0;
        for (int trial = 0; trial < 20000; ++trial) {
            uint16_t table[64];
            for (auto& q : table) q = static_cast<uint16_t>(1 + random() % (trial % 4 == 0 ? 65535 : 40));
            int32_t quant[64];
            jpeg_prepare_quant_table(table, accelerated, quant);
            int16_t coefficients[64] = {};
            int count = 1 + static_cast<int>(random() % 64);
            for (int i = 0; i < count; ++i) {
                int magnitude = trial % 3 == 0 ? 32767 : 300;
                int value = static_cast<int>(random() % (2 * magnitude + 1)) - magnitude;
                coefficients[random() % 64] = static_cast<int16_t>(value);
            }
            if (trial % 50 == 0)
                for (int i = 0; i < 64; ++i) coefficients[i] = static_cast<int16_t>((i / 8 + i % 8) % 2 ? -32768 : 32767);
            coefficients[1 + random() % 63] |= 1;  // at least one AC coefficient
            uint8_t scalar[64], vector[64];
            if (accelerated) {
                jpeg_idct_fast_scalar(coefficients, quant, scalar, 8);
                if (!jpeg_idct_fast_vector(coefficients, quant, vector, 8)) {
                    ++declined;
                    continue;
                }
            } else {
                jpeg_idct_exact_scalar(coefficients, quant, scalar, 8);
                jpeg_idct_exact_vector(coefficients, quant, vector, 8);
            }
            differing += std::memcmp(scalar, vector, 64) != 0;
        }
        EXPECT_EQ(differing, 0) << (accelerated ? "fast" : "exact");
        EXPECT_GT(20000 - declined, 2000) << "the fast vector form must take the blocks within its range";
    }
}

TEST(JpegTransform, ColourConversionFollowsTheJfifEquations) {
    uint8_t rgbx[4];
    jpeg_ycc_to_rgbx(jpeg_colour(), 128, 128, 128, rgbx);
    EXPECT_EQ(rgbx[0], 128);
    EXPECT_EQ(rgbx[1], 128);
    EXPECT_EQ(rgbx[2], 128);
    EXPECT_EQ(rgbx[3], 255);
    int worst = 0;
    for (int y = 0; y < 256; y += 15)
        for (int cb = 0; cb < 256; cb += 5)
            for (int cr = 0; cr < 256; cr += 5) {
                jpeg_ycc_to_rgbx(jpeg_colour(), y, cb, cr, rgbx);
                double r = y + 1.402 * (cr - 128);
                double g = y - 0.344136 * (cb - 128) - 0.714136 * (cr - 128);
                double b = y + 1.772 * (cb - 128);
                auto expect = [](double v) { return static_cast<int>(std::round(std::fmin(255, std::fmax(0, v)))); };
                worst = std::max({worst, std::abs(rgbx[0] - expect(r)), std::abs(rgbx[1] - expect(g)),
                                  std::abs(rgbx[2] - expect(b))});
            }
    EXPECT_LE(worst, 1);
}

// The vector conversion of whole rows gives the tables' bytes for every Cb, Cr
// pair at luma levels from black to white, one chroma sample per pixel and one
// per two; it converts whole groups of pixels and leaves the rest of a row alone.
TEST(JpegTransform, VectorRowConversionGivesTheTablesBytes) {
    if (!jpeg_vector_transform_available()) GTEST_SKIP() << "no SSE4.1 on this processor";
    const int width = 8 * 64 + 3;
    std::vector<uint8_t> ys(width), cbs(width), crs(width), out(4 * width), expected(4 * width);
    int differing = 0;
    for (bool paired : {false, true})
        for (int y0 = 0; y0 < 256; y0 += 17)
            for (int cb = 0; cb < 256; ++cb) {
                for (int x = 0; x < width; ++x) {
                    ys[static_cast<std::size_t>(x)] = static_cast<uint8_t>((y0 + 7 * x) % 256);
                    cbs[static_cast<std::size_t>(x)] = static_cast<uint8_t>(cb);
                    crs[static_cast<std::size_t>(x)] = static_cast<uint8_t>(x % 256);
                }
                std::fill(out.begin(), out.end(), 7);
                int done = jpeg_ycc_row_to_rgbx_vector(ys.data(), cbs.data(), crs.data(), width, paired, out.data());
                ASSERT_EQ(done, paired ? width / 8 * 8 : width / 4 * 4);
                for (int x = 0; x < done; ++x) {
                    int c = paired ? x / 2 : x;
                    jpeg_ycc_to_rgbx(jpeg_colour(), ys[static_cast<std::size_t>(x)], cbs[static_cast<std::size_t>(c)],
                                     crs[static_cast<std::size_t>(c)], expected.data() + 4 * x);
                }
                differing += std::memcmp(out.data(), expected.data(), static_cast<std::size_t>(4 * done)) != 0;
                differing += out[static_cast<std::size_t>(4 * done)] != 7;
            }
    EXPECT_EQ(differing, 0);
}

TEST(JpegEntropy, HuffmanCodesStuffingAndMarkers) {
    // Lengths: two codes of 2 bits (00 -> 'a', 01 -> 'b'), one of 3 bits (100 -> 'c'),
    // one of 12 bits (101000000000 -> 'd').
    uint8_t counts[16] = {0, 2, 1, 0, 0, 0, 0, 0, 0, 0, 0, 1};
    uint8_t values[4] = {'a', 'b', 'c', 'd'};
    jpeg_huffman_table table;
    table.build(counts, values);
    // Bits: 01 100 00 101000000000 01111, then eight ones from the stuffed 0xFF,
    // then a marker: 0110 0001 | 0100 0000 | 0000 1111 | 0xFF 0x00 | 0xFF 0xD0
    std::vector<uint8_t> bytes = {0x61, 0x40, 0x0F, 0xFF, 0x00, 0xFF, 0xD0, 0x12};
    jpeg_decoder_memory_stream stream(bytes.data(), bytes.size());
    jpeg_byte_input input(&stream);
    jpeg_bit_reader reader(input);
    EXPECT_EQ(reader.decode(table), 'b');
    EXPECT_EQ(reader.decode(table), 'c');
    EXPECT_EQ(reader.decode(table), 'a');
    EXPECT_EQ(reader.decode(table), 'd');
    EXPECT_EQ(reader.bits(5), 0x0F);
    EXPECT_EQ(reader.bits(8), 0xFF);
    EXPECT_EQ(reader.marker(), 0xD0);
    EXPECT_EQ(reader.bits(16), 0);  // zero bits after a marker
    EXPECT_EQ(input.byte(), 0x12);  // the reader stops right after the marker
    EXPECT_THROW(
        {
            jpeg_decoder_memory_stream ones_stream(bytes.data() + 3, 2);
            jpeg_byte_input ones_input(&ones_stream);
            jpeg_bit_reader ones(ones_input);
            ones.decode(table);  // 1111... is no code of this table
        },
        jpeg_failure);
}

// Counts reads and their requested sizes.
class counting_stream : public jpeg_decoder_stream {
public:
    explicit counting_stream(std::size_t size) : data_(size, 0x55) {}
    int32_t read(uint8_t* buffer, int32_t max_bytes, bool* eof) override {
        ++reads;
        largest_request = std::max(largest_request, max_bytes);
        return inner_.read(buffer, max_bytes, eof);
    }
    int reads = 0;
    int32_t largest_request = 0;

private:
    std::vector<uint8_t> data_;
    jpeg_decoder_memory_stream inner_{data_.data(), data_.size()};
};

TEST(JpegEntropy, InputComesIn4096ByteChunksThenEndOfImagePadding) {
    counting_stream stream(10000);
    jpeg_byte_input input(&stream);
    for (int i = 0; i < 10000; ++i) ASSERT_EQ(input.byte(), 0x55);
    EXPECT_EQ(stream.reads, 3);
    EXPECT_EQ(stream.largest_request, 4096);
    for (int i = 0; i < 10000; ++i) {
        ASSERT_EQ(input.byte(), 0xFF);
        ASSERT_EQ(input.byte(), 0xD9);
    }
    EXPECT_EQ(stream.reads, 3);
}

TEST(JpegStreams, FileStreamContract) {
    jpeg_decoder_file_stream missing;
    EXPECT_TRUE(missing.open("/nonexistent/velmoria.jpg"));
    bool eof = false;
    uint8_t buffer[16];
    EXPECT_EQ(missing.read(buffer, 16, &eof), -1);

    std::string path = std::string(VELMORIA_BINARY_DIR) + "/jpeg_stream_test.bin";
    std::FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite("0123456789", 1, 10, f);
    std::fclose(f);

    jpeg_decoder_file_stream stream;
    ASSERT_FALSE(stream.open(path.c_str()));
    EXPECT_EQ(stream.read(buffer, 4, &eof), 4);
    EXPECT_FALSE(eof);
    EXPECT_EQ(stream.read(buffer, 16, &eof), 6);
    EXPECT_TRUE(eof);
    EXPECT_EQ(buffer[5], '9');
    eof = false;
    EXPECT_EQ(stream.read(buffer, 16, &eof), 0);
    EXPECT_TRUE(eof);
    // Reopening starts afresh.
    ASSERT_FALSE(stream.open(path.c_str()));
    eof = false;
    EXPECT_EQ(stream.read(buffer, 16, &eof), 10);
    std::remove(path.c_str());
}

}  // namespace
