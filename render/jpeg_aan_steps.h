// The butterflies of the one-dimensional scaled AAN inverse transform, written once
// for the scalar transform (32-bit values, products in 64 bits) and the vector one
// (four lanes, products within 32 bits); each supplies its own multiplication.
#pragma once

#include <cstdint>

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
