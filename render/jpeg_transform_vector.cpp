// Both inverse DCTs on four-lane vectors of 32-bit integers, for processors with
// SSE4.1 (32-bit lane multiplication). Each computes the very same integers as its
// scalar form, with the same rounding, so the pixels do not depend on which ran.
#include "render/jpeg_transform.h"

#include "render/jpeg_transform_steps.h"

#include <array>
#include <cstring>

namespace {

typedef int32_t lanes4 __attribute__((vector_size(16)));
typedef int16_t short_lanes4 __attribute__((vector_size(8)));
typedef uint8_t byte_lanes4 __attribute__((vector_size(4)));
typedef uint8_t bytes16 __attribute__((vector_size(16)));

// An 8 x 8 block as eight rows of two four-lane halves.
struct block_lanes {
    lanes4 row[8][2];
};

// The exact transform's matrix k[x][u]: each entry is a basis value with its sign.
constexpr std::array<int32_t, 64> make_exact_basis() {
    std::array<int32_t, 64> k{};
    for (int x = 0; x < 8; ++x)
        for (int u = 0; u < 8; ++u) {
            // cos(m pi / 16) for m = (2x+1) u, folded into 0..8 with its sign.
            int m = (2 * x + 1) * u % 32;
            if (m > 16) m = 32 - m;
            int sign = m > 8 ? -1 : 1;
            if (m > 8) m = 16 - m;
            k[static_cast<std::size_t>(x * 8 + u)] = u == 0 ? jpeg_exact_basis[4] : sign * jpeg_exact_basis[m];
        }
    return k;
}

constexpr std::array<int32_t, 64> exact_basis = make_exact_basis();
constexpr int32_t k(int x, int u) { return exact_basis[static_cast<std::size_t>(x * 8 + u)]; }

#define VECTOR_CODE __attribute__((target("sse4.1"), always_inline)) inline

// One pass over eight transforms side by side, input u of each in in.row[u],
// output x in out.row[x]: outputs x and 7 - x share the sums over the even and
// the odd inputs, as k[7 - x][u] = (-1)^u k[x][u]. When the upper four inputs are
// zero everywhere (most blocks of a real picture) their products are left out,
// which leaves every sum as it is.
template <int shift, int offset>
VECTOR_CODE void exact_pass(const block_lanes& in, block_lanes& out) {
    const lanes4 rounding = lanes4{} + ((1 << (shift - 1)) + (offset << shift));
    lanes4 upper = in.row[4][0] | in.row[4][1] | in.row[5][0] | in.row[5][1] | in.row[6][0] | in.row[6][1] |
                   in.row[7][0] | in.row[7][1];
    bool upper_zero = (upper[0] | upper[1] | upper[2] | upper[3]) == 0;
    for (int h = 0; h < 2; ++h) {
        const lanes4 i0 = in.row[0][h], i1 = in.row[1][h], i2 = in.row[2][h], i3 = in.row[3][h];
        const lanes4 i4 = in.row[4][h], i5 = in.row[5][h], i6 = in.row[6][h], i7 = in.row[7][h];
        for (int x = 0; x < 4; ++x) {
            lanes4 even = k(x, 0) * i0 + k(x, 2) * i2;
            lanes4 odd = k(x, 1) * i1 + k(x, 3) * i3;
            if (!upper_zero) {
                even += k(x, 4) * i4 + k(x, 6) * i6;
                odd += k(x, 5) * i5 + k(x, 7) * i7;
            }
            out.row[x][h] = (even + odd + rounding) >> shift;
            out.row[7 - x][h] = (even - odd + rounding) >> shift;
        }
    }
}

// Transposes four rows of four lanes.
VECTOR_CODE void transpose4(lanes4& a, lanes4& b, lanes4& c, lanes4& d) {
    lanes4 t0 = __builtin_shufflevector(a, b, 0, 4, 1, 5);
    lanes4 t1 = __builtin_shufflevector(a, b, 2, 6, 3, 7);
    lanes4 t2 = __builtin_shufflevector(c, d, 0, 4, 1, 5);
    lanes4 t3 = __builtin_shufflevector(c, d, 2, 6, 3, 7);
    a = __builtin_shufflevector(t0, t2, 0, 1, 4, 5);
    b = __builtin_shufflevector(t0, t2, 2, 3, 6, 7);
    c = __builtin_shufflevector(t1, t3, 0, 1, 4, 5);
    d = __builtin_shufflevector(t1, t3, 2, 3, 6, 7);
}

VECTOR_CODE void transpose(const block_lanes& in, block_lanes& out) {
    for (int qy = 0; qy < 2; ++qy)
        for (int qx = 0; qx < 2; ++qx) {
            // The quadrant at rows 4 qy.., lanes 4 qx.. lands at rows 4 qx.., lanes 4 qy...
            lanes4 a = in.row[4 * qy][qx], b = in.row[4 * qy + 1][qx];
            lanes4 c = in.row[4 * qy + 2][qx], d = in.row[4 * qy + 3][qx];
            transpose4(a, b, c, d);
            out.row[4 * qx][qy] = a;
            out.row[4 * qx + 1][qy] = b;
            out.row[4 * qx + 2][qy] = c;
            out.row[4 * qx + 3][qy] = d;
        }
}


// Dequantises a block into lanes, each entry clamped to +-limit.
VECTOR_CODE void dequantise(const int16_t* coefficients, const int32_t* quant, int32_t limit, block_lanes& out) {
    for (int v = 0; v < 8; ++v)
        for (int h = 0; h < 2; ++h) {
            short_lanes4 c;
            lanes4 q;
            std::memcpy(&c, coefficients + v * 8 + h * 4, sizeof c);
            std::memcpy(&q, quant + v * 8 + h * 4, sizeof q);
            lanes4 value = __builtin_convertvector(c, lanes4) * q;
            value = value > limit ? lanes4{} + limit : value;
            out.row[v][h] = value < -limit ? lanes4{} - limit : value;
        }
}

VECTOR_CODE lanes4 clamp_sample(lanes4 v) {
    v = v < 0 ? lanes4{} : v;
    return v > 255 ? lanes4{} + 255 : v;
}

// Writes the rows of a block of samples (level shift included), clamped to 0..255:
// the low bytes of a row's eight lanes gathered in one shuffle.
VECTOR_CODE void store_samples(const block_lanes& samples, uint8_t* out, int stride) {
    for (int y = 0; y < 8; ++y) {
        bytes16 left = reinterpret_cast<bytes16>(clamp_sample(samples.row[y][0]));
        bytes16 right = reinterpret_cast<bytes16>(clamp_sample(samples.row[y][1]));
        bytes16 row = __builtin_shufflevector(left, right, 0, 4, 8, 12, 16, 20, 24, 28, 0, 0, 0, 0, 0, 0, 0, 0);
        std::memcpy(out + y * stride, &row, 8);
    }
}

// Multiplication by a constant with 12 fractional bits. The scalar form takes the
// product in 64 bits; here the inputs are bounded so that it fits 32.
VECTOR_CODE lanes4 mul12(lanes4 x, int32_t c) { return (x * c) >> 12; }

// One pass of the scaled AAN transform over eight transforms side by side, in place.
VECTOR_CODE void aan_pass(block_lanes& b) {
    for (int h = 0; h < 2; ++h)
        jpeg_aan_1d<lanes4>([&b, h](int k) -> lanes4& { return b.row[k][h]; }, mul12);
}

// True when every entry lies within +-bound.
VECTOR_CODE bool within(const block_lanes& b, int32_t bound) {
    lanes4 outside{};
    for (int r = 0; r < 8; ++r)
        for (int h = 0; h < 2; ++h) outside |= (b.row[r][h] > bound) | (b.row[r][h] < -bound);
    return (outside[0] | outside[1] | outside[2] | outside[3]) == 0;
}

VECTOR_CODE lanes4 load_bytes(const uint8_t* p) {
    byte_lanes4 bytes;
    std::memcpy(&bytes, p, sizeof bytes);
    return __builtin_convertvector(bytes, lanes4);
}

// What a chroma pair adds to Y in each of R, G and B: the colour tables' entries,
// computed rather than looked up.
struct chroma_lanes {
    lanes4 r, g, b;
};

VECTOR_CODE chroma_lanes chroma(lanes4 cb, lanes4 cr) {
    cb -= 128;
    cr -= 128;
    return {(jpeg_red_from_cr * cr + 32768) >> 16, (jpeg_green_from_cb * cb + jpeg_green_from_cr * cr + 32768) >> 16,
            (jpeg_blue_from_cb * cb + 32768) >> 16};
}

// Four pixels as R, G, B and an opaque fourth byte.
VECTOR_CODE void put_rgbx(lanes4 y, const chroma_lanes& c, uint8_t* out) {
    const lanes4 opaque = lanes4{} + static_cast<int32_t>(0xFF000000u);
    lanes4 pixels = clamp_sample(y + c.r) | clamp_sample(y + c.g) << 8 | clamp_sample(y + c.b) << 16 | opaque;
    std::memcpy(out, &pixels, sizeof pixels);
}

VECTOR_CODE chroma_lanes widen_low(const chroma_lanes& c) {
    return {__builtin_shufflevector(c.r, c.r, 0, 0, 1, 1), __builtin_shufflevector(c.g, c.g, 0, 0, 1, 1),
            __builtin_shufflevector(c.b, c.b, 0, 0, 1, 1)};
}

VECTOR_CODE chroma_lanes widen_high(const chroma_lanes& c) {
    return {__builtin_shufflevector(c.r, c.r, 2, 2, 3, 3), __builtin_shufflevector(c.g, c.g, 2, 2, 3, 3),
            __builtin_shufflevector(c.b, c.b, 2, 2, 3, 3)};
}

}  // namespace

__attribute__((target("sse4.1"))) void jpeg_idct_exact_vector(const int16_t* coefficients, const int32_t* quant,
                                                              uint8_t* out, int stride) {
    block_lanes in, columns, turned, rows;
    dequantise(coefficients, quant, jpeg_exact_limit, in);
    exact_pass<11, 0>(in, columns);  // keeps 2 fractional bits
    transpose(columns, turned);
    exact_pass<15, 128>(turned, rows);  // removes them and the basis's 13 bits, adds the level shift
    transpose(rows, in);
    store_samples(in, out, stride);
}

__attribute__((target("sse4.1"))) bool jpeg_idct_fast_vector(const int16_t* coefficients, const int32_t* quant,
                                                             uint8_t* out, int stride) {
    block_lanes b, turned;
    dequantise(coefficients, quant, jpeg_fast_limit, b);
    aan_pass(b);  // columns: inputs within the limit keep every product in 32 bits
    // The row pass keeps its products in 32 bits for inputs up to 65535; only
    // extreme coefficient patterns (corrupt or synthetic data) go past.
    if (!within(b, 65535)) return false;
    transpose(b, turned);
    aan_pass(turned);
    for (int r = 0; r < 8; ++r)
        for (int h = 0; h < 2; ++h) turned.row[r][h] = (turned.row[r][h] >> 5) + 128;
    transpose(turned, b);
    store_samples(b, out, stride);
    return true;
}

__attribute__((target("sse4.1"))) int jpeg_ycc_row_to_rgbx_vector(const uint8_t* y, const uint8_t* cb,
                                                                    const uint8_t* cr, int width, bool paired,
                                                                    uint8_t* out) {
    int x = 0;
    if (!paired) {
        for (; x + 4 <= width; x += 4) put_rgbx(load_bytes(y + x), chroma(load_bytes(cb + x), load_bytes(cr + x)), out + 4 * x);
        return x;
    }
    for (; x + 8 <= width; x += 8) {
        chroma_lanes c = chroma(load_bytes(cb + x / 2), load_bytes(cr + x / 2));
        put_rgbx(load_bytes(y + x), widen_low(c), out + 4 * x);
        put_rgbx(load_bytes(y + x + 4), widen_high(c), out + 4 * x + 16);
    }
    return x;
}

bool jpeg_vector_transform_available() {
    static const bool available = __builtin_cpu_supports("sse4.1");
    return available;
}
