// Internals of jpeg_scan_decoder: marker parsing, the frame and scan records, the
// Huffman block decoders for sequential and progressive scans, and the MCU-row
// transform that produces output rows. Failures are thrown as jpeg_failure and
// caught by jpeg_scan_decoder.
#pragma once

#include "render/jpeg_entropy.h"

#include <array>
#include <cstddef>
#include <cstdint>

// Every buffer of one decoder, freed together. At most 100 blocks.
class jpeg_block_table {
public:
    static constexpr int max_blocks = 100;
    ~jpeg_block_table() { release(); }
    void* allocate(std::size_t bytes);  // zero-filled
    void release();

private:
    std::array<void*, max_blocks> blocks_{};
    int count_ = 0;
};

struct jpeg_component {
    int id = 0;
    int h = 1;  // sampling factors
    int v = 1;
    int quant_id = 0;
    int blocks_w = 0;  // block grid padded to whole MCUs
    int blocks_h = 0;
    int scan_blocks_w = 0;  // blocks a scan of this component alone covers
    int scan_blocks_h = 0;
    int16_t* coefficients = nullptr;  // whole image, or one MCU row when streaming
    // Progressive only: per block, bit k set where the coefficient k (zig-zag
    // order) may be non-zero, so refinement passes skip blocks with none in band.
    uint64_t* nonzero = nullptr;
    uint8_t* plane = nullptr;         // samples of one MCU row, blocks_w * 8 wide
    int plane_stride = 0;
    bool quant_ready = false;
    int32_t quant[64] = {};
    int dc_pred = 0;
    int dc_table = 0;
    int ac_table = 0;
};

struct jpeg_scan {
    int count = 0;
    int component[4] = {};
    int ss = 0;
    int se = 63;
    int ah = 0;
    int al = 0;
};

class jpeg_decoder_core {
public:
    jpeg_decoder_core(jpeg_decoder_stream* stream, bool accelerated);

    void read_header();
    void prepare();
    bool rows_left() const { return rows_done_ < height; }
    const uint8_t* next_row(uint32_t& row_bytes);
    void release() { memory_.release(); }
    // True when the picture was not all there: the stream ran out, or a scan's
    // data ended (at the end-of-image marker, say) before all of its blocks.
    bool cut_short() const { return input_.padded() || data_ended_ || scan_cut_short_; }

    int width = 0;
    int height = 0;
    int component_count = 0;

private:
    // Markers and segments.
    void find_start_of_image();
    int next_marker();
    bool handle_table_marker(int marker);
    bool read_until_scan(int marker);
    void read_huffman_tables();
    void read_quant_tables();
    void read_restart_interval();
    void skip_segment();
    void read_frame(int marker);
    void set_frame_geometry();
    void read_scan_header();
    void check_progressive_scan();
    void bind_scan_tables();

    // Scans.
    void allocate_buffers();
    void start_scan();
    void decode_whole_scan();
    int64_t decode_scan_blocks();
    void charge_scan_work(int64_t blocks);
    bool scan_data_spent() const;
    int64_t end_scan_early(int64_t visited, int64_t blocks);
    void decode_mcu_row(int mcu_y);
    void decode_mcu(int mcu_x, int mcu_y);
    void next_restart_interval();
    void handle_restart();
    int scan_end_marker();
    // While streaming, a component holds the blocks of one MCU only.
    int16_t* block_at(const jpeg_component& c, int bx, int by) const {
        if (streaming_) return c.coefficients + ((by % c.v) * c.h + bx % c.h) * 64;
        return c.coefficients + (static_cast<std::size_t>(by) * static_cast<std::size_t>(c.blocks_w) + bx) * 64;
    }
    uint64_t& nonzero_bits(const jpeg_component& c, const int16_t* block) const;
    void decode_block(jpeg_component& c, int16_t* block);
    void decode_sequential(jpeg_component& c, int16_t* block);
    void decode_dc_first(jpeg_component& c, int16_t* block);
    void decode_dc_refine(int16_t* block);
    void decode_ac_first(jpeg_component& c, int16_t* block);
    void decode_ac_refine(jpeg_component& c, int16_t* block);
    void refine_nonzero(int16_t& coefficient);
    int dc_difference(jpeg_component& c);

    // Rows.
    void transform_mcu_row(int mcu_y);
    void transform_mcu(int mcu_x, int mcu_y);
    void colour_row(int row_in_mcu);

    jpeg_byte_input input_;
    jpeg_bit_reader reader_;
    jpeg_block_table memory_;
    bool accelerated_;

    std::array<jpeg_huffman_table, 8> huffman_{};
    std::array<std::array<uint16_t, 64>, 4> quant_tables_{};
    std::array<bool, 4> quant_defined_{};
    int restart_interval_ = 0;

    bool progressive_ = false;
    bool streaming_ = false;
    std::array<jpeg_component, 3> components_{};
    int max_h_ = 1;
    int max_v_ = 1;
    int mcus_x_ = 0;
    int mcus_y_ = 0;

    jpeg_scan scan_;
    int eob_run_ = 0;
    int restarts_left_ = 0;
    int next_restart_ = 0;
    bool data_ended_ = false;
    bool scan_cut_short_ = false;  // a scan's data ended before its last blocks
    int64_t scan_work_ = 0;  // coefficient visits of the scans decoded so far

    uint8_t* row_buffer_ = nullptr;
    int rows_done_ = 0;
    int mcu_row_ = -1;
};
