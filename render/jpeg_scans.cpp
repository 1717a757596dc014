// The entropy-coded scans: restart handling, MCU and block layout, and the block
// decoders of sequential scans and of the four kinds of progressive scan (DC first,
// DC refinement, AC first, AC refinement).
#include "render/jpeg_decoder_core.h"
#include "render/jpeg_transform.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int marker_rst0 = 0xD0;
constexpr int marker_eoi = 0xD9;

// DC predictions and coefficients live in 16 bits; wrap like the hardware would
// rather than let corrupt data overflow.
inline int16_t wrap16(int value) { return static_cast<int16_t>(value); }

}  // namespace

uint64_t& jpeg_decoder_core::nonzero_bits(const jpeg_component& c, const int16_t* block) const {
    return c.nonzero[(block - c.coefficients) / 64];
}

void jpeg_decoder_core::start_scan() {
    for (auto& c : components_) c.dc_pred = 0;
    eob_run_ = 0;
    next_restart_ = 0;
    restarts_left_ = restart_interval_;
    reader_.reset();
    if (data_ended_) reader_.hold_marker(marker_eoi);
}

// Called before every MCU: at the end of each restart interval the next marker
// must be the expected restart marker, found within 1536 bytes.
void jpeg_decoder_core::next_restart_interval() {
    if (!restart_interval_) return;
    if (restarts_left_ == 0) {
        handle_restart();
        restarts_left_ = restart_interval_;
    }
    --restarts_left_;
}

void jpeg_decoder_core::handle_restart() {
    int marker = reader_.marker();
    for (int i = 0; marker == 0 && i < 1536; ++i) {
        if (input_.byte() != 0xFF) continue;
        int code = input_.byte();
        while (code == 0xFF) code = input_.byte();
        if (code != 0) marker = code;
    }
    if (marker == marker_eoi) {
        // The data has ended (a truncated file): go on with zero bits.
        data_ended_ = true;
        reader_.reset();
        reader_.hold_marker(marker_eoi);
        return;
    }
    if (marker != marker_rst0 + next_restart_) jpeg_fail(jpeg_bad_restart);
    next_restart_ = (next_restart_ + 1) & 7;
    for (auto& c : components_) c.dc_pred = 0;
    eob_run_ = 0;
    reader_.reset();
}

// The marker that follows the scan just decoded.
int jpeg_decoder_core::scan_end_marker() {
    int marker = reader_.marker();
    reader_.reset();
    return marker ? marker : next_marker();
}

void jpeg_decoder_core::decode_mcu(int mcu_x, int mcu_y) {
    for (int i = 0; i < scan_.count; ++i) {
        jpeg_component& c = components_[static_cast<std::size_t>(scan_.component[i])];
        if (streaming_) {  // the MCU's blocks in order, row by row
            for (int b = 0; b < c.h * c.v; ++b) decode_block(c, c.coefficients + b * 64);
            continue;
        }
        for (int y = 0; y < c.v; ++y)
            for (int x = 0; x < c.h; ++x) decode_block(c, block_at(c, mcu_x * c.h + x, mcu_y * c.v + y));
    }
}

// Decodes and inverse-transforms one MCU row of a sequential scan that holds
// every component, MCU by MCU, so the coefficients in use stay in the cache.
void jpeg_decoder_core::decode_mcu_row(int mcu_y) {
    for (int x = 0; x < mcus_x_; ++x) {
        // Every block takes at least one bit: data spent before an MCU means the
        // scan ended early. It goes on with zero bits, as a truncated file does.
        if (scan_data_spent()) scan_cut_short_ = true;
        for (int i = 0; i < component_count; ++i) {
            const jpeg_component& c = components_[static_cast<std::size_t>(i)];
            std::memset(c.coefficients, 0, static_cast<std::size_t>(c.h) * c.v * 64 * sizeof(int16_t));
        }
        next_restart_interval();
        decode_mcu(x, mcu_y);
        transform_mcu(x, mcu_y);
    }
}

// True when the scan's data has run out before a marker that is not a restart
// marker. A well-formed scan never needs bits it does not hold, so the blocks
// left keep what earlier scans gave them; stopping here keeps the work bounded
// by the data when scan headers follow each other with nothing between them.
bool jpeg_decoder_core::scan_data_spent() const {
    int marker = reader_.marker();
    return reader_.exhausted() && !(marker >= marker_rst0 && marker < marker_rst0 + 8);
}

// A scan whose data is spent after `visited` of its `blocks`: cut short unless
// the blocks left all lie in the end-of-band run under way, which needs no bits
// of its own. Returns the blocks visited.
int64_t jpeg_decoder_core::end_scan_early(int64_t visited, int64_t blocks) {
    if (blocks - visited > eob_run_) scan_cut_short_ = true;
    return visited;
}

void jpeg_decoder_core::decode_whole_scan() {
    start_scan();
    charge_scan_work(decode_scan_blocks());
}

// Decodes the scan's blocks; returns how many were visited.
int64_t jpeg_decoder_core::decode_scan_blocks() {
    if (scan_.count == 1) {
        // A scan of one component covers only that component's own blocks.
        // Blocks inside a run of end-of-bands of a first AC scan are left as
        // they are, so without restart intervals to count a run is passed at once.
        jpeg_component& c = components_[static_cast<std::size_t>(scan_.component[0])];
        bool runs_pass_at_once = progressive_ && scan_.ss > 0 && scan_.ah == 0 && restart_interval_ == 0;
        const int64_t blocks = static_cast<int64_t>(c.scan_blocks_h) * c.scan_blocks_w;
        for (int by = 0; by < c.scan_blocks_h; ++by)
            for (int bx = 0; bx < c.scan_blocks_w;) {
                const int64_t visited = static_cast<int64_t>(by) * c.scan_blocks_w + bx;
                if (scan_data_spent()) return end_scan_early(visited, blocks);
                if (runs_pass_at_once && eob_run_ > 0) {
                    int passed = std::min(eob_run_, c.scan_blocks_w - bx);
                    eob_run_ -= passed;
                    bx += passed;
                    continue;
                }
                next_restart_interval();
                decode_block(c, block_at(c, bx, by));
                ++bx;
            }
        return blocks;
    }
    int blocks_per_mcu = 0;
    for (int i = 0; i < scan_.count; ++i) {
        const jpeg_component& c = components_[static_cast<std::size_t>(scan_.component[i])];
        blocks_per_mcu += c.h * c.v;
    }
    for (int my = 0; my < mcus_y_; ++my)
        for (int mx = 0; mx < mcus_x_; ++mx) {
            if (scan_data_spent())
                return end_scan_early((static_cast<int64_t>(my) * mcus_x_ + mx) * blocks_per_mcu,
                                      static_cast<int64_t>(mcus_y_) * mcus_x_ * blocks_per_mcu);
            next_restart_interval();
            decode_mcu(mx, my);
        }
    return static_cast<int64_t>(mcus_y_) * mcus_x_ * blocks_per_mcu;
}

// Bounds the work of a file of many scans. A valid file refines each coefficient
// of a block at most 14 times (a first scan at Al <= 13, then one bit a scan),
// so its scans visit each block at most 64 * 14 times for the coefficients and as
// often again for the scans themselves. A scan of spectral band ss..se costs
// se - ss + 2 per block it visits; past that bound the file is refused rather
// than decoded for minutes.
void jpeg_decoder_core::charge_scan_work(int64_t blocks) {
    constexpr int64_t max_work_per_block = 2 * 64 * 14;
    int64_t frame_blocks = 0;
    for (int i = 0; i < component_count; ++i) {
        const jpeg_component& c = components_[static_cast<std::size_t>(i)];
        frame_blocks += static_cast<int64_t>(c.blocks_w) * c.blocks_h;
    }
    scan_work_ += blocks * (scan_.se - scan_.ss + 2);
    if (scan_work_ > frame_blocks * max_work_per_block) jpeg_fail(jpeg_too_much_scan_work);
}

void jpeg_decoder_core::decode_block(jpeg_component& c, int16_t* block) {
    if (!progressive_) return decode_sequential(c, block);
    if (scan_.ss == 0) {
        if (scan_.ah == 0) decode_dc_first(c, block);
        else decode_dc_refine(block);
    } else if (scan_.ah == 0) {
        decode_ac_first(c, block);
    } else {
        decode_ac_refine(c, block);
    }
}

int jpeg_decoder_core::dc_difference(jpeg_component& c) {
    int size = reader_.decode(huffman_[static_cast<std::size_t>(c.dc_table)]);
    if (size > 15) jpeg_fail(jpeg_corrupt_data);
    return size ? reader_.extend(size) : 0;
}

void jpeg_decoder_core::decode_sequential(jpeg_component& c, int16_t* block) {
    c.dc_pred = wrap16(c.dc_pred + dc_difference(c));
    block[0] = static_cast<int16_t>(c.dc_pred);
    const jpeg_huffman_table& ac = huffman_[static_cast<std::size_t>(4 + c.ac_table)];
    for (int k = 1; k < 64;) {
        int value = 0;
        int rs = reader_.decode_with_value(ac, value);
        int run = rs >> 4;
        if ((rs & 0x0F) == 0) {
            if (run != 15) break;  // end of block
            k += 16;               // sixteen zeros
            continue;
        }
        k += run;
        if (k > 63) jpeg_fail(jpeg_corrupt_data);
        block[jpeg_zigzag[k]] = wrap16(value);
        ++k;
    }
}

void jpeg_decoder_core::decode_dc_first(jpeg_component& c, int16_t* block) {
    c.dc_pred = wrap16(c.dc_pred + dc_difference(c));
    block[0] = wrap16(c.dc_pred * (1 << scan_.al));
}

void jpeg_decoder_core::decode_dc_refine(int16_t* block) {
    if (reader_.bit()) block[0] = wrap16(block[0] | (1 << scan_.al));
}

void jpeg_decoder_core::decode_ac_first(jpeg_component& c, int16_t* block) {
    if (eob_run_ > 0) {
        --eob_run_;
        return;
    }
    const jpeg_huffman_table& ac = huffman_[static_cast<std::size_t>(4 + c.ac_table)];
    for (int k = scan_.ss; k <= scan_.se;) {
        int value = 0;
        int rs = reader_.decode_with_value(ac, value);
        int run = rs >> 4;
        if ((rs & 0x0F) == 0) {
            if (run < 15) {  // a run of end-of-bands, this block included
                eob_run_ = (1 << run) + reader_.bits(run) - 1;
                break;
            }
            k += 16;
            continue;
        }
        k += run;
        if (k > scan_.se) jpeg_fail(jpeg_corrupt_data);
        block[jpeg_zigzag[k]] = wrap16(value * (1 << scan_.al));
        nonzero_bits(c, block) |= uint64_t{1} << k;
        ++k;
    }
}

// A coefficient that is already non-zero receives one correction bit.
void jpeg_decoder_core::refine_nonzero(int16_t& coefficient) {
    if (!reader_.bit()) return;
    int bit = 1 << scan_.al;
    if ((coefficient & bit) != 0) return;
    coefficient = wrap16(coefficient >= 0 ? coefficient + bit : coefficient - bit);
}

void jpeg_decoder_core::decode_ac_refine(jpeg_component& c, int16_t* block) {
    const jpeg_huffman_table& ac = huffman_[static_cast<std::size_t>(4 + c.ac_table)];
    uint64_t& nonzero = nonzero_bits(c, block);
    int k = scan_.ss;
    uint64_t band = (uint64_t{2} << (scan_.se - scan_.ss)) - 1;
    if (eob_run_ > 0 && ((nonzero >> k) & band) == 0) {
        // Inside a run of end-of-bands with nothing to refine from here on.
        --eob_run_;
        return;
    }
    if (eob_run_ == 0) {
        for (; k <= scan_.se; ++k) {
            int rs = reader_.decode(ac);
            int run = rs >> 4;
            int value = 0;
            if (rs & 0x0F) {
                value = reader_.bit() ? (1 << scan_.al) : -(1 << scan_.al);
            } else if (run != 15) {
                eob_run_ = (1 << run) + reader_.bits(run);
                break;
            }
            // Pass `run` zero-history coefficients, refining the non-zero ones on
            // the way, then place the new value (if any) on the next zero one.
            for (; k <= scan_.se; ++k) {
                int16_t& coefficient = block[jpeg_zigzag[k]];
                if (coefficient != 0) {
                    refine_nonzero(coefficient);
                } else {
                    if (run == 0) {
                        if (value) {
                            coefficient = wrap16(value);
                            nonzero |= uint64_t{1} << k;
                        }
                        break;
                    }
                    --run;
                }
            }
        }
    }
    if (eob_run_ > 0) {
        for (; k <= scan_.se; ++k) {
            int16_t& coefficient = block[jpeg_zigzag[k]];
            if (coefficient != 0) refine_nonzero(coefficient);
        }
        --eob_run_;
    }
}
