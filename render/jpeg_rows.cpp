// Preparation of the decoder's buffers and scans, and row output: each MCU row is
// inverse-transformed into per-component sample planes, from which output rows
// are taken directly (greyscale) or upsampled by repetition and converted to RGB.
#include "render/jpeg_decoder_core.h"
#include "render/jpeg_transform.h"

void jpeg_decoder_core::allocate_buffers() {
    for (int i = 0; i < component_count; ++i) {
        jpeg_component& c = components_[static_cast<std::size_t>(i)];
        std::size_t blocks = streaming_ ? static_cast<std::size_t>(c.h) * static_cast<std::size_t>(c.v)
                                        : static_cast<std::size_t>(c.blocks_h) * static_cast<std::size_t>(c.blocks_w);
        c.coefficients = static_cast<int16_t*>(memory_.allocate(blocks * 64 * sizeof(int16_t)));
        if (progressive_) c.nonzero = static_cast<uint64_t*>(memory_.allocate(blocks * sizeof(uint64_t)));
        c.plane_stride = c.blocks_w * 8;
        c.plane = static_cast<uint8_t*>(memory_.allocate(static_cast<std::size_t>(c.plane_stride) * 8 * c.v));
    }
    row_buffer_ = static_cast<uint8_t*>(memory_.allocate(static_cast<std::size_t>(width) * 4));
}

void jpeg_decoder_core::prepare() {
    if (!read_until_scan(next_marker())) jpeg_fail(jpeg_unexpected_marker);
    // A sequential scan holding every component is decoded row by row as rows are
    // read; anything else is decoded completely into coefficient buffers first.
    streaming_ = !progressive_ && scan_.count == component_count;
    allocate_buffers();
    if (streaming_) {
        start_scan();
        return;
    }
    do {
        decode_whole_scan();
    } while (read_until_scan(scan_end_marker()));
}

void jpeg_decoder_core::transform_mcu_row(int mcu_y) {
    for (int x = 0; x < mcus_x_; ++x) transform_mcu(x, mcu_y);
}

// Inverse-transforms the blocks of one MCU into the sample planes.
void jpeg_decoder_core::transform_mcu(int mcu_x, int mcu_y) {
    auto idct = accelerated_ ? jpeg_idct_fast : jpeg_idct_exact;
    for (int i = 0; i < component_count; ++i) {
        const jpeg_component& c = components_[static_cast<std::size_t>(i)];
        for (int j = 0; j < c.v; ++j) {
            uint8_t* out = c.plane + static_cast<std::size_t>(j) * 8 * c.plane_stride;
            // While streaming, the MCU's blocks lie in order, row by row.
            const int16_t* block = streaming_ ? c.coefficients + j * c.h * 64 : block_at(c, mcu_x * c.h, mcu_y * c.v + j);
            for (int bx = mcu_x * c.h; bx < (mcu_x + 1) * c.h; ++bx, block += 64)
                idct(block, c.quant, out + bx * 8, c.plane_stride);
        }
    }
}

void jpeg_decoder_core::colour_row(int row_in_mcu) {
    const jpeg_component& y = components_[0];
    const jpeg_component& cb = components_[1];
    const jpeg_component& cr = components_[2];
    const uint8_t* ys = y.plane + static_cast<std::size_t>(row_in_mcu) * y.plane_stride;
    int chroma_row = row_in_mcu / max_v_;
    const uint8_t* cbs = cb.plane + static_cast<std::size_t>(chroma_row) * cb.plane_stride;
    const uint8_t* crs = cr.plane + static_cast<std::size_t>(chroma_row) * cr.plane_stride;
    uint8_t* out = row_buffer_;
    const jpeg_colour_tables& tables = jpeg_colour();
    bool paired = max_h_ != 1;
    int done = jpeg_vector_transform_available() ? jpeg_ycc_row_to_rgbx_vector(ys, cbs, crs, width, paired, out) : 0;
    if (!paired) {
        for (int x = done; x < width; ++x) jpeg_ycc_to_rgbx(tables, ys[x], cbs[x], crs[x], out + 4 * x);
    } else {
        // Each chroma sample covers two luma samples side by side.
        int pairs = width / 2;
        for (int x = done / 2; x < pairs; ++x) {
            jpeg_chroma_offsets chroma = jpeg_chroma(tables, cbs[x], crs[x]);
            jpeg_put_rgbx(tables, ys[2 * x], chroma, out + 8 * x);
            jpeg_put_rgbx(tables, ys[2 * x + 1], chroma, out + 8 * x + 4);
        }
        if (width & 1) jpeg_ycc_to_rgbx(tables, ys[width - 1], cbs[pairs], crs[pairs], out + 4 * (width - 1));
    }
}

const uint8_t* jpeg_decoder_core::next_row(uint32_t& row_bytes) {
    int mcu_height = 8 * max_v_;
    int row_in_mcu = rows_done_ % mcu_height;
    if (row_in_mcu == 0) {
        int mcu_y = rows_done_ / mcu_height;
        if (streaming_) decode_mcu_row(mcu_y);
        else transform_mcu_row(mcu_y);
    }
    ++rows_done_;
    if (component_count == 1) {
        row_bytes = static_cast<uint32_t>(width);
        return components_[0].plane + static_cast<std::size_t>(row_in_mcu) * components_[0].plane_stride;
    }
    colour_row(row_in_mcu);
    row_bytes = static_cast<uint32_t>(width) * 4;
    return row_buffer_;
}
