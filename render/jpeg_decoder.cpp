// jpeg_scan_decoder's public calls, which turn internal failures into error codes,
// and the marker level of the decoder: start of image, table segments, the frame
// header and scan headers.
#include "render/jpeg_decoder.h"

#include "render/jpeg_decoder_core.h"
#include "render/jpeg_transform.h"

#include <cstdlib>
#include <new>

namespace {

enum marker_code : int {
    marker_sof0 = 0xC0,
    marker_sof1 = 0xC1,
    marker_sof2 = 0xC2,
    marker_dht = 0xC4,
    marker_jpg = 0xC8,
    marker_dac = 0xCC,
    marker_rst0 = 0xD0,
    marker_rst7 = 0xD7,
    marker_soi = 0xD8,
    marker_eoi = 0xD9,
    marker_sos = 0xDA,
    marker_dqt = 0xDB,
    marker_dri = 0xDD,
    marker_tem = 0x01,
};

bool is_frame_marker(int m) { return m >= 0xC0 && m <= 0xCF && m != marker_dht && m != marker_jpg && m != marker_dac; }
bool is_arithmetic_frame(int m) { return is_frame_marker(m) && m >= 0xC9; }
bool is_restart(int m) { return m >= marker_rst0 && m <= marker_rst7; }

}  // namespace

// ---- public interface ----

jpeg_scan_decoder::jpeg_scan_decoder(jpeg_decoder_stream* stream, bool accelerated) : stream_(stream) {
    stream_->begin_use();
    try {
        core_ = std::make_unique<jpeg_decoder_core>(stream, accelerated);
        core_->read_header();
        width = core_->width;
        height = core_->height;
        components = core_->component_count;
        bytes_per_pixel = components == 3 ? 4 : 1;
    } catch (const jpeg_failure& f) {
        fail(f.code);
    } catch (const std::bad_alloc&) {
        fail(jpeg_out_of_memory);
    }
}

jpeg_scan_decoder::~jpeg_scan_decoder() {
    if (!released_) stream_->end_use();
}

void jpeg_scan_decoder::fail(int code) {
    error_code = code;
    if (core_) core_->release();
    if (!released_) {
        released_ = true;
        stream_->end_use();
    }
}

bool jpeg_scan_decoder::input_cut_short() const { return core_ && core_->cut_short(); }

int jpeg_scan_decoder::prepare() {
    if (error_code) return -1;
    if (prepared) return 0;
    try {
        core_->prepare();
        prepared = true;
        return 0;
    } catch (const jpeg_failure& f) {
        fail(f.code);
    } catch (const std::bad_alloc&) {
        fail(jpeg_out_of_memory);
    }
    return -1;
}

int jpeg_scan_decoder::read_row(const uint8_t*& row, uint32_t& row_bytes) {
    if (error_code || !prepared) return -1;
    if (!core_->rows_left()) return 1;
    try {
        row = core_->next_row(row_bytes);
        return 0;
    } catch (const jpeg_failure& f) {
        fail(f.code);
    } catch (const std::bad_alloc&) {
        fail(jpeg_out_of_memory);
    }
    return jpeg_corrupt_data;
}

// ---- memory ----

void* jpeg_block_table::allocate(std::size_t bytes) {
    if (count_ == max_blocks) jpeg_fail(jpeg_too_many_blocks);
    void* p = std::calloc(bytes ? bytes : 1, 1);
    if (!p) jpeg_fail(jpeg_out_of_memory);
    blocks_[count_++] = p;
    return p;
}

void jpeg_block_table::release() {
    for (int i = 0; i < count_; ++i) std::free(blocks_[i]);
    count_ = 0;
}

// ---- markers ----

jpeg_decoder_core::jpeg_decoder_core(jpeg_decoder_stream* stream, bool accelerated)
    : input_(stream), reader_(input_), accelerated_(accelerated) {}

void jpeg_decoder_core::find_start_of_image() {
    int previous = input_.byte();
    for (int i = 1; i < 512; ++i) {
        int b = input_.byte();
        if (previous == 0xFF && b == marker_soi) {
            if (input_.byte() != 0xFF) jpeg_fail(jpeg_no_start_of_image);
            return;
        }
        previous = b;
    }
    jpeg_fail(jpeg_no_start_of_image);
}

// The next marker code, skipping any bytes that are not part of a marker. The
// padding after the end of input guarantees an end-of-image marker eventually.
int jpeg_decoder_core::next_marker() {
    for (;;) {
        if (input_.byte() != 0xFF) continue;
        int code = input_.byte();
        while (code == 0xFF) code = input_.byte();
        if (code != 0) return code;
    }
}

// Table and miscellaneous segments allowed both before the frame and between
// scans. Returns false for any other marker.
bool jpeg_decoder_core::handle_table_marker(int marker) {
    if (marker == marker_dht) read_huffman_tables();
    else if (marker == marker_dqt) read_quant_tables();
    else if (marker == marker_dri) read_restart_interval();
    else if (marker == marker_dac || is_arithmetic_frame(marker)) jpeg_fail(jpeg_arithmetic_coding);
    else if (marker == marker_tem || marker == marker_jpg || is_restart(marker) || marker == marker_soi ||
             marker == marker_eoi || marker == marker_sos || is_frame_marker(marker))
        return false;
    else skip_segment();  // APPn, COM, DNL and the other segments with a length
    return true;
}

void jpeg_decoder_core::read_header() {
    find_start_of_image();
    // find_start_of_image consumed the 0xFF of the marker that follows.
    int marker = input_.byte();
    while (marker == 0xFF) marker = input_.byte();
    if (marker == 0) jpeg_fail(jpeg_no_start_of_image);
    for (;;) {
        if (marker == marker_sof0 || marker == marker_sof1 || marker == marker_sof2) {
            read_frame(marker);
            return;
        }
        if (is_frame_marker(marker) && !is_arithmetic_frame(marker)) jpeg_fail(jpeg_unsupported_frame);
        if (!handle_table_marker(marker)) jpeg_fail(jpeg_unexpected_marker);
        marker = next_marker();
    }
}

// Reads segments from `marker` on until a scan header (read, returns true) or the
// end of the image (returns false).
bool jpeg_decoder_core::read_until_scan(int marker) {
    for (;;) {
        if (marker == marker_sos) {
            read_scan_header();
            return true;
        }
        if (marker == marker_eoi) return false;
        if (!handle_table_marker(marker)) jpeg_fail(jpeg_unexpected_marker);
        marker = next_marker();
    }
}

void jpeg_decoder_core::skip_segment() {
    int length = input_.word();
    if (length < 2) jpeg_fail(jpeg_skip_bad_length);
    for (int i = 2; i < length; ++i) input_.byte();
}

void jpeg_decoder_core::read_huffman_tables() {
    int left = input_.word() - 2;
    if (left < 0) jpeg_fail(jpeg_dht_bad_length);
    while (left > 0) {
        if (left < 17) jpeg_fail(jpeg_dht_bad_length);
        int info = input_.byte();
        int number = (info >> 4) * 4 + (info & 0x0F);
        if ((info >> 4) > 1 || (info & 0x0F) > 3) jpeg_fail(jpeg_dht_bad_table_number);
        uint8_t counts[16];
        int total = 0;
        for (auto& c : counts) {
            c = input_.byte();
            total += c;
        }
        if (total > 255) jpeg_fail(jpeg_dht_too_many_codes);
        left -= 17;
        if (left < total) jpeg_fail(jpeg_dht_bad_length);
        uint8_t values[256];
        for (int i = 0; i < total; ++i) values[i] = input_.byte();
        left -= total;
        huffman_[static_cast<std::size_t>(number)].build(counts, values);
    }
}

void jpeg_decoder_core::read_quant_tables() {
    int length = input_.word();
    if (length < 2) jpeg_fail(jpeg_dqt_length_too_short);
    int left = length - 2;
    while (left > 0) {
        int info = input_.byte();
        int precision = info >> 4;
        int id = info & 0x0F;
        if (id > 3) jpeg_fail(jpeg_dqt_bad_table_id);
        if (precision > 1) jpeg_fail(jpeg_dqt_bad_length);
        int size = 1 + 64 * (precision + 1);
        if (left < size) jpeg_fail(jpeg_dqt_bad_length);
        auto& table = quant_tables_[static_cast<std::size_t>(id)];
        for (auto& q : table) q = precision ? input_.word() : input_.byte();
        quant_defined_[static_cast<std::size_t>(id)] = true;
        left -= size;
    }
}

void jpeg_decoder_core::read_restart_interval() {
    if (input_.word() != 4) jpeg_fail(jpeg_dri_bad_length);
    restart_interval_ = input_.word();
}

void jpeg_decoder_core::read_frame(int marker) {
    int length = input_.word();
    int precision = input_.byte();
    int rows = input_.word();
    int columns = input_.word();
    int count = input_.byte();
    if (precision != 8) jpeg_fail(jpeg_sof_bad_precision);
    if (rows < 1 || rows > 8192) jpeg_fail(jpeg_sof_bad_height);
    if (columns < 1 || columns > 8192) jpeg_fail(jpeg_sof_bad_width);
    if (count > 4) jpeg_fail(jpeg_sof_too_many_components);
    if (length != 8 + 3 * count) jpeg_fail(jpeg_sof_bad_length);
    if (count != 1 && count != 3) jpeg_fail(jpeg_bad_component_count);
    for (int i = 0; i < count; ++i) {
        jpeg_component& c = components_[static_cast<std::size_t>(i)];
        c.id = input_.byte();
        int sampling = input_.byte();
        c.h = sampling >> 4;
        c.v = sampling & 0x0F;
        c.quant_id = input_.byte();
    }
    width = columns;
    height = rows;
    component_count = count;
    progressive_ = marker == marker_sof2;
    set_frame_geometry();
}

void jpeg_decoder_core::set_frame_geometry() {
    if (component_count == 1) {
        // A single component is never interleaved: its MCU is one block.
        components_[0].h = components_[0].v = 1;
    } else {
        const jpeg_component& y = components_[0];
        bool luma_ok = (y.h == 1 || y.h == 2) && (y.v == 1 || y.v == 2);
        for (int i = 1; i < 3; ++i)
            if (components_[static_cast<std::size_t>(i)].h != 1 || components_[static_cast<std::size_t>(i)].v != 1)
                luma_ok = false;
        if (!luma_ok) jpeg_fail(jpeg_bad_sampling);
    }
    max_h_ = components_[0].h;
    max_v_ = components_[0].v;
    mcus_x_ = (width + 8 * max_h_ - 1) / (8 * max_h_);
    mcus_y_ = (height + 8 * max_v_ - 1) / (8 * max_v_);
    int blocks_per_row = 0;
    for (int i = 0; i < component_count; ++i) {
        jpeg_component& c = components_[static_cast<std::size_t>(i)];
        c.blocks_w = mcus_x_ * c.h;
        c.blocks_h = mcus_y_ * c.v;
        int samples_w = (width * c.h + max_h_ - 1) / max_h_;
        int samples_h = (height * c.v + max_v_ - 1) / max_v_;
        c.scan_blocks_w = (samples_w + 7) / 8;
        c.scan_blocks_h = (samples_h + 7) / 8;
        blocks_per_row += c.blocks_w * c.v;
    }
    if (blocks_per_row > 6144) jpeg_fail(jpeg_bad_block_layout);
}

void jpeg_decoder_core::read_scan_header() {
    int length = input_.word();
    int count = input_.byte();
    if (count < 1 || count > 4 || length != 6 + 2 * count) jpeg_fail(jpeg_sos_bad_length);
    scan_.count = count;
    for (int i = 0; i < count; ++i) {
        int id = input_.byte();
        int tables = input_.byte();
        int found = -1;
        for (int k = 0; k < component_count; ++k)
            if (components_[static_cast<std::size_t>(k)].id == id) found = k;
        for (int k = 0; k < i; ++k)
            if (scan_.component[k] == found) found = -1;  // named twice
        if (found < 0) jpeg_fail(jpeg_sos_unknown_component);
        scan_.component[i] = found;
        jpeg_component& c = components_[static_cast<std::size_t>(found)];
        c.dc_table = tables >> 4;
        c.ac_table = tables & 0x0F;
    }
    scan_.ss = input_.byte();
    scan_.se = input_.byte();
    int approximation = input_.byte();
    scan_.ah = approximation >> 4;
    scan_.al = approximation & 0x0F;
    if (progressive_) {
        check_progressive_scan();
    } else {
        scan_.ss = 0;
        scan_.se = 63;
        scan_.ah = scan_.al = 0;
    }
    bind_scan_tables();
}

void jpeg_decoder_core::check_progressive_scan() {
    const jpeg_scan& s = scan_;
    bool dc_scan = s.ss == 0;
    if (s.ss > 63 || s.se > 63 || s.ss > s.se || (dc_scan && s.se != 0) || (!dc_scan && s.count != 1))
        jpeg_fail(jpeg_bad_spectral_selection);
    if (s.al > 13 || (s.ah != 0 && s.al != s.ah - 1)) jpeg_fail(jpeg_bad_approximation);
}

void jpeg_decoder_core::bind_scan_tables() {
    bool need_dc = !progressive_ || (scan_.ss == 0 && scan_.ah == 0);
    bool need_ac = !progressive_ || scan_.ss > 0;
    for (int i = 0; i < scan_.count; ++i) {
        jpeg_component& c = components_[static_cast<std::size_t>(scan_.component[i])];
        if (!c.quant_ready) {
            if (c.quant_id > 3 || !quant_defined_[static_cast<std::size_t>(c.quant_id)])
                jpeg_fail(jpeg_undefined_quant_table);
            jpeg_prepare_quant_table(quant_tables_[static_cast<std::size_t>(c.quant_id)].data(), accelerated_, c.quant);
            c.quant_ready = true;
        }
        if (need_dc && (c.dc_table > 3 || !huffman_[static_cast<std::size_t>(c.dc_table)].defined))
            jpeg_fail(jpeg_undefined_huffman_table);
        if (need_ac && (c.ac_table > 3 || !huffman_[static_cast<std::size_t>(4 + c.ac_table)].defined))
            jpeg_fail(jpeg_undefined_huffman_table);
    }
}
