// Zig-zag order, quantisation-table preparation, the exact and the AAN inverse
// DCTs, and the YCbCr-to-RGB tables. Every intermediate is bounded by clamping the
// dequantised coefficients, so corrupt input cannot overflow the arithmetic.
#include "render/jpeg_transform.h"

#include "render/jpeg_transform_steps.h"

#include <array>
#include <cmath>
#include <cstring>

namespace {

constexpr std::array<uint8_t, 64> make_zigzag() {
    std::array<uint8_t, 64> order{};
    int row = 0, col = 0;
    for (int k = 0; k < 64; ++k) {
        order[k] = static_cast<uint8_t>(row * 8 + col);
        bool up = ((row + col) % 2) == 0;  // even diagonals run up and to the right
        if (up) {
            if (col == 7) ++row;
            else if (row == 0) ++col;
            else { --row; ++col; }
        } else {
            if (row == 7) ++col;
            else if (col == 0) ++row;
            else { ++row; --col; }
        }
    }
    return order;
}

constexpr std::array<uint8_t, 64> zigzag_order = make_zigzag();

const double pi = 3.14159265358979323846;

// AAN factors s(u) * s(v), s(0) = 1, s(k) = cos(k pi / 16) * sqrt(2), 14 fractional bits.
struct aan_factor_table {
    int32_t factor[64];
    aan_factor_table() {
        double s[8];
        s[0] = 1.0;
        for (int k = 1; k < 8; ++k) s[k] = std::cos(k * pi / 16.0) * std::sqrt(2.0);
        for (int v = 0; v < 8; ++v)
            for (int u = 0; u < 8; ++u)
                factor[v * 8 + u] = static_cast<int32_t>(std::lround(s[v] * s[u] * 16384.0));
    }
};

// Dequantises with the product in 32 bits: |coefficient| <= 32768 and q <= 65535.
inline int32_t dequantise(int16_t coefficient, int32_t q, int32_t limit) {
    int32_t value = coefficient * q;
    if (value > limit) return limit;
    if (value < -limit) return -limit;
    return value;
}

// Multiplication by a constant with 12 fractional bits.
inline int32_t mul12(int32_t x, int32_t c) { return static_cast<int32_t>((static_cast<int64_t>(x) * c) >> 12); }

// One-dimensional scaled AAN inverse transform over eight values spaced `step` apart.
inline void aan_1d(int32_t* v, int step) {
    jpeg_aan_1d<int32_t>([v, step](int k) -> int32_t& { return v[k * step]; }, mul12);
}

// Dequantises a block into out, row by row: a row of zero coefficients (most rows
// of most blocks) is written as zeros without the multiplications.
void dequantise_block(const int16_t* coefficients, const int32_t* quant, int32_t limit, int32_t* out) {
    for (int v = 0; v < 64; v += 8) {
        uint64_t halves[2];
        std::memcpy(halves, coefficients + v, sizeof halves);
        if (halves[0] | halves[1]) {
            for (int u = 0; u < 8; ++u) out[v + u] = dequantise(coefficients[v + u], quant[v + u], limit);
        } else {
            for (int u = 0; u < 8; ++u) out[v + u] = 0;
        }
    }
}

bool only_dc(const int16_t* c) {
    for (int i = 1; i < 64; ++i)
        if (c[i]) return false;
    return true;
}

void fill_block(uint8_t* out, int stride, uint8_t value) {
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) out[y * stride + x] = value;
}

// The exact transform's basis entries by name.
constexpr int32_t basis_1 = jpeg_exact_basis[1], basis_2 = jpeg_exact_basis[2], basis_3 = jpeg_exact_basis[3];
constexpr int32_t basis_4 = jpeg_exact_basis[4], basis_5 = jpeg_exact_basis[5], basis_6 = jpeg_exact_basis[6];
constexpr int32_t basis_7 = jpeg_exact_basis[7];

// One-dimensional exact transform of eight values spaced `step` apart into the
// sums sum_u k[x][u] in[u]. Outputs x and 7 - x share the sums over the even and
// the odd inputs, as k[7 - x][u] = (-1)^u k[x][u], and equal constants are
// factored out: the very same integer sums as the matrix product, in fewer steps.
// Where the upper four inputs are zero (most blocks of a real picture) their
// products are left out, which again leaves every sum as it is.
inline void exact_1d(const int32_t* in, int step, int32_t* sums) {
    int32_t i0 = in[0], i1 = in[step], i2 = in[2 * step], i3 = in[3 * step];
    int32_t i4 = in[4 * step], i5 = in[5 * step], i6 = in[6 * step], i7 = in[7 * step];
    int32_t even[4];
    int32_t odd[4];
    if (i4 | i5 | i6 | i7) {
        int32_t a = basis_4 * (i0 + i4);
        int32_t b = basis_4 * (i0 - i4);
        int32_t c = basis_2 * i2 + basis_6 * i6;
        int32_t d = basis_6 * i2 - basis_2 * i6;
        even[0] = a + c, even[1] = b + d, even[2] = b - d, even[3] = a - c;
        odd[0] = basis_1 * i1 + basis_3 * i3 + basis_5 * i5 + basis_7 * i7;
        odd[1] = basis_3 * i1 - basis_7 * i3 - basis_1 * i5 - basis_5 * i7;
        odd[2] = basis_5 * i1 - basis_1 * i3 + basis_7 * i5 + basis_3 * i7;
        odd[3] = basis_7 * i1 - basis_5 * i3 + basis_3 * i5 - basis_1 * i7;
    } else {
        int32_t a = basis_4 * i0;
        int32_t c = basis_2 * i2;
        int32_t d = basis_6 * i2;
        even[0] = a + c, even[1] = a + d, even[2] = a - d, even[3] = a - c;
        odd[0] = basis_1 * i1 + basis_3 * i3;
        odd[1] = basis_3 * i1 - basis_7 * i3;
        odd[2] = basis_5 * i1 - basis_1 * i3;
        odd[3] = basis_7 * i1 - basis_5 * i3;
    }
    for (int x = 0; x < 4; ++x) {
        sums[x] = even[x] + odd[x];
        sums[7 - x] = even[x] - odd[x];
    }
}

}  // namespace

const uint8_t jpeg_zigzag[64] = {
#define Z(i) zigzag_order[i]
    Z(0),  Z(1),  Z(2),  Z(3),  Z(4),  Z(5),  Z(6),  Z(7),  Z(8),  Z(9),  Z(10), Z(11), Z(12),
    Z(13), Z(14), Z(15), Z(16), Z(17), Z(18), Z(19), Z(20), Z(21), Z(22), Z(23), Z(24), Z(25),
    Z(26), Z(27), Z(28), Z(29), Z(30), Z(31), Z(32), Z(33), Z(34), Z(35), Z(36), Z(37), Z(38),
    Z(39), Z(40), Z(41), Z(42), Z(43), Z(44), Z(45), Z(46), Z(47), Z(48), Z(49), Z(50), Z(51),
    Z(52), Z(53), Z(54), Z(55), Z(56), Z(57), Z(58), Z(59), Z(60), Z(61), Z(62), Z(63),
#undef Z
};

void jpeg_prepare_quant_table(const uint16_t* zigzag_table, bool accelerated, int32_t* natural) {
    static const aan_factor_table aan;
    for (int k = 0; k < 64; ++k) {
        int n = jpeg_zigzag[k];
        int64_t q = zigzag_table[k];
        int64_t entry = accelerated ? (q * aan.factor[n] + 2048) >> 12 : q;
        natural[n] = static_cast<int32_t>(entry > 65535 ? 65535 : entry);
    }
}

void jpeg_idct_exact(const int16_t* coefficients, const int32_t* quant, uint8_t* out, int stride) {
    if (only_dc(coefficients)) {
        int32_t dc = dequantise(coefficients[0], quant[0], jpeg_exact_limit);
        fill_block(out, stride, jpeg_clamp_sample(((dc + 4) >> 3) + 128));
    } else if (jpeg_vector_transform_available()) {
        jpeg_idct_exact_vector(coefficients, quant, out, stride);
    } else {
        jpeg_idct_exact_scalar(coefficients, quant, out, stride);
    }
}

void jpeg_idct_exact_scalar(const int16_t* coefficients, const int32_t* quant, uint8_t* out, int stride) {
    const int32_t limit = jpeg_exact_limit;
    int32_t in[64];
    dequantise_block(coefficients, quant, limit, in);

    // Columns: keep 2 fractional bits.
    int32_t tmp[64];
    int32_t sums[8];
    for (int u = 0; u < 8; ++u) {
        const int32_t* column = in + u;
        if (column[8] | column[16] | column[24] | column[32] | column[40] | column[48] | column[56]) {
            exact_1d(column, 8, sums);
            for (int y = 0; y < 8; ++y) tmp[y * 8 + u] = (sums[y] + (1 << 10)) >> 11;
        } else {
            int32_t flat = (basis_4 * column[0] + (1 << 10)) >> 11;
            for (int y = 0; y < 8; ++y) tmp[y * 8 + u] = flat;
        }
    }
    // Rows: remove the 13 bits of the basis and the 2 fractional bits.
    for (int y = 0; y < 8; ++y) {
        const int32_t* t = tmp + y * 8;
        uint8_t* row = out + y * stride;
        if (t[1] | t[2] | t[3] | t[4] | t[5] | t[6] | t[7]) {
            exact_1d(t, 1, sums);
            for (int x = 0; x < 8; ++x) row[x] = jpeg_clamp_sample(((sums[x] + (1 << 14)) >> 15) + 128);
        } else {
            uint8_t flat = jpeg_clamp_sample(((basis_4 * t[0] + (1 << 14)) >> 15) + 128);
            for (int x = 0; x < 8; ++x) row[x] = flat;
        }
    }
}

// The fast transform truncates where the exact one rounds: speed over the last
// half level, the same trade the common fast decoders make.
void jpeg_idct_fast(const int16_t* coefficients, const int32_t* quant, uint8_t* out, int stride) {
    if (only_dc(coefficients)) {
        int32_t dc = dequantise(coefficients[0], quant[0], jpeg_fast_limit);
        fill_block(out, stride, jpeg_clamp_sample((dc >> 5) + 128));
    } else if (!jpeg_vector_transform_available() || !jpeg_idct_fast_vector(coefficients, quant, out, stride)) {
        jpeg_idct_fast_scalar(coefficients, quant, out, stride);
    }
}

void jpeg_idct_fast_scalar(const int16_t* coefficients, const int32_t* quant, uint8_t* out, int stride) {
    const int32_t limit = jpeg_fast_limit;
    int32_t w[64];
    dequantise_block(coefficients, quant, limit, w);
    for (int c = 0; c < 8; ++c) {
        bool ac_zero = true;
        for (int r = 1; r < 8; ++r) ac_zero = ac_zero && w[r * 8 + c] == 0;
        if (ac_zero) {
            for (int r = 1; r < 8; ++r) w[r * 8 + c] = w[c];
        } else {
            aan_1d(w + c, 8);
        }
    }
    for (int r = 0; r < 8; ++r) {
        int32_t* row = w + r * 8;
        if (row[1] | row[2] | row[3] | row[4] | row[5] | row[6] | row[7]) {
            aan_1d(row, 1);
            for (int x = 0; x < 8; ++x) out[r * stride + x] = jpeg_clamp_sample((row[x] >> 5) + 128);
        } else {
            uint8_t flat = jpeg_clamp_sample((row[0] >> 5) + 128);
            for (int x = 0; x < 8; ++x) out[r * stride + x] = flat;
        }
    }
}

const jpeg_colour_tables& jpeg_colour() {
    static const jpeg_colour_tables tables = [] {
        jpeg_colour_tables t{};
        for (int i = 0; i < 256; ++i) {
            int32_t c = i - 128;
            t.r_cr[i] = (jpeg_red_from_cr * c + 32768) >> 16;
            t.b_cb[i] = (jpeg_blue_from_cb * c + 32768) >> 16;
            t.g_cb[i] = jpeg_green_from_cb * c;
            t.g_cr[i] = jpeg_green_from_cr * c + 32768;  // the rounding term of the green sum
        }
        for (int v = -256; v < 512; ++v) t.limit[256 + v] = jpeg_clamp_sample(v);
        return t;
    }();
    return tables;
}
