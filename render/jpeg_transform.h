// Pure per-block and per-pixel arithmetic of the JPEG decoder: the zig-zag order,
// the quantisation-table preparation, the two inverse DCTs (the exact integer one
// and the scaled AAN one) and the JFIF YCbCr-to-RGB conversion in 16-bit fixed point.
#pragma once

#include <cstdint>

// jpeg_zigzag[k] is the natural (row-major) index of the k-th coefficient in
// zig-zag order.
extern const uint8_t jpeg_zigzag[64];

// Turns a quantisation table as stored in the file (zig-zag order) into the table
// the inverse DCT multiplies by, in natural order. With `accelerated` every entry
// is pre-multiplied by its AAN factor: (q * factor + 2048) >> 12, the factors being
// held with 14 fractional bits, which leaves 2 fractional bits in the entry.
// Entries are capped at 65535: any larger one already drives every non-zero
// coefficient to the transform's input limit, and the cap keeps products in 32 bits.
void jpeg_prepare_quant_table(const uint16_t* zigzag_table, bool accelerated, int32_t* natural);

// Dequantises one block of 64 coefficients (natural order) with a table from
// jpeg_prepare_quant_table and writes 8 rows of 8 clamped samples to out.
void jpeg_idct_exact(const int16_t* coefficients, const int32_t* quant, uint8_t* out, int stride);
void jpeg_idct_fast(const int16_t* coefficients, const int32_t* quant, uint8_t* out, int stride);

// Both transforms of a block with an AC coefficient, in scalar code and on
// four-lane vectors: the same pixels from both. jpeg_idct_exact and jpeg_idct_fast
// use the vector forms where the processor has SSE4.1. The fast vector form
// declines (returns false) the rare block whose row pass would need more than 32
// bits, and the scalar form takes it.
void jpeg_idct_exact_scalar(const int16_t* coefficients, const int32_t* quant, uint8_t* out, int stride);
void jpeg_idct_exact_vector(const int16_t* coefficients, const int32_t* quant, uint8_t* out, int stride);
void jpeg_idct_fast_scalar(const int16_t* coefficients, const int32_t* quant, uint8_t* out, int stride);
bool jpeg_idct_fast_vector(const int16_t* coefficients, const int32_t* quant, uint8_t* out, int stride);
bool jpeg_vector_transform_available();

// YCbCr to RGB after ITU-T T.871, with the constants 1.402, 0.344136, 0.714136 and
// 1.772 held as 16-bit fixed-point fractions and results rounded and clamped.
struct jpeg_colour_tables {
    int32_t r_cr[256];
    int32_t b_cb[256];
    int32_t g_cb[256];  // still scaled by 65536, rounding term included
    int32_t g_cr[256];
    // limit[256 + v] is v clamped to 0..255, for v from -256 to 511: Y plus any
    // chroma offset lies in that range.
    uint8_t limit[768];
};
const jpeg_colour_tables& jpeg_colour();

inline uint8_t jpeg_clamp_sample(int32_t value) {
    return static_cast<uint8_t>(value < 0 ? 0 : (value > 255 ? 255 : value));
}

// What one chroma pair adds to Y in each of R, G and B; shared by every luma
// sample the pair covers.
struct jpeg_chroma_offsets {
    int32_t r, g, b;
};

inline jpeg_chroma_offsets jpeg_chroma(const jpeg_colour_tables& t, int cb, int cr) {
    return {t.r_cr[cr], (t.g_cb[cb] + t.g_cr[cr]) >> 16, t.b_cb[cb]};
}

// Writes R, G, B and an opaque fourth byte (255) to out.
inline void jpeg_put_rgbx(const jpeg_colour_tables& t, int y, const jpeg_chroma_offsets& c, uint8_t* out) {
    const uint8_t* limit = t.limit + 256 + y;
    out[0] = limit[c.r];
    out[1] = limit[c.g];
    out[2] = limit[c.b];
    out[3] = 255;
}

// Converts the first pixels of a row on vectors, the same bytes as the tables
// give, and returns how many it did (the rest are left to the caller). With
// `paired` each chroma sample covers two luma samples side by side. Only where
// jpeg_vector_transform_available().
int jpeg_ycc_row_to_rgbx_vector(const uint8_t* y, const uint8_t* cb, const uint8_t* cr, int width, bool paired,
                                uint8_t* out);

inline void jpeg_ycc_to_rgbx(const jpeg_colour_tables& t, int y, int cb, int cr, uint8_t* out) {
    jpeg_put_rgbx(t, y, jpeg_chroma(t, cb, cr), out);
}
