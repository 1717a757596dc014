// What the scalar and the vector inverse transforms share: the input limits, the
// exact transform's basis, and the butterflies of the one-dimensional scaled AAN
// transform (32-bit values with products in 64 bits, or four lanes with products
// within 32 bits; each form supplies its own multiplication).
#pragma once

#include <cstdint>

// Dequantised inputs are clamped to these. The exact transform's 8-bit samples never
// need more than 12 bits; the fast one's entries carry 2 fractional bits and the
// AAN factor (at most about 1.93).
constexpr int32_t jpeg_exact_limit = 4095;
constexpr int32_t jpeg_fast_limit = 32767;

// Basis of the exact transform, k[x][u] = C(u)/2 * cos((2x+1) u pi / 16) with 13
// fractional bits: every entry is one of these up to sign (k[x][0] = entry 4).
constexpr int32_t jpeg_exact_basis[8] = {0, 4017, 3784, 3406, 2896, 2276, 1567, 799};

// The JFIF colour conversion's factors with 16 fractional bits: what Cr adds to red,
// Cb to blue, and Cb and Cr to green, for Cb and Cr taken about 128.
constexpr int32_t jpeg_red_from_cr = 91881;     // 1.402
constexpr int32_t jpeg_blue_from_cb = 116130;   // 1.772 (0x1C5A2)
constexpr int32_t jpeg_green_from_cb = -22554;  // -0.344136
constexpr int32_t jpeg_green_from_cr = -46802;  // -0.714136

constexpr int32_t jpeg_aan_1_414 = 5793;   // 1.414213562, 12 fractional bits
constexpr int32_t jpeg_aan_1_847 = 7568;   // 1.847759065
constexpr int32_t jpeg_aan_1_082 = 4433;   // 1.082392200
constexpr int32_t jpeg_aan_2_613 = 10703;  // 2.613125930

// Transforms eight values in place: at(k) is the k-th, mul12(x, c) is x times the
// constant c with 12 fractional bits, truncated.
template <typename Value, typename At, typename Multiply>
__attribute__((always_inline)) inline void jpeg_aan_1d(At at, Multiply mul12) {
    Value t0 = at(0), t1 = at(2), t2 = at(4), t3 = at(6);
    Value t10 = t0 + t2;
    Value t11 = t0 - t2;
    Value t13 = t1 + t3;
    Value t12 = mul12(t1 - t3, jpeg_aan_1_414) - t13;
    t0 = t10 + t13;
    t3 = t10 - t13;
    t1 = t11 + t12;
    t2 = t11 - t12;

    Value t4 = at(1), t5 = at(3), t6 = at(5), t7 = at(7);
    Value z13 = t6 + t5;
    Value z10 = t6 - t5;
    Value z11 = t4 + t7;
    Value z12 = t4 - t7;
    t7 = z11 + z13;
    Value o11 = mul12(z11 - z13, jpeg_aan_1_414);
    Value z5 = mul12(z10 + z12, jpeg_aan_1_847);
    Value o10 = mul12(z12, jpeg_aan_1_082) - z5;
    Value o12 = z5 - mul12(z10, jpeg_aan_2_613);
    t6 = o12 - t7;
    t5 = o11 - t6;
    t4 = o10 + t5;

    at(0) = t0 + t7;
    at(7) = t0 - t7;
    at(1) = t1 + t6;
    at(6) = t1 - t6;
    at(2) = t2 + t5;
    at(5) = t2 - t5;
    at(4) = t3 + t4;
    at(3) = t3 - t4;
}
