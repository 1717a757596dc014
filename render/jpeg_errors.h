// The JPEG decoder's failure codes and their messages, kept in one list so the
// enumeration and the message table cannot drift apart. Codes are negative;
// 0 means no error. jpeg_cut_short is never a failure: it names a picture whose
// file ended early (jpeg_scan_decoder::input_cut_short).
#pragma once

#define VELMORIA_JPEG_ERRORS(X)                                                       \
    X(jpeg_dht_too_many_codes, -200, "Huffman table has more than 255 codes")         \
    X(jpeg_dht_bad_table_number, -201, "Huffman table number above 7")                \
    X(jpeg_dht_bad_length, -202, "Huffman table segment has a bad length")            \
    X(jpeg_dqt_length_too_short, -203, "quantisation segment length below 2")         \
    X(jpeg_dqt_bad_table_id, -204, "quantisation table id above 3")                   \
    X(jpeg_sof_bad_precision, -205, "sample precision is not 8 bits")                 \
    X(jpeg_sof_bad_height, -206, "frame height outside 1 to 8192")                    \
    X(jpeg_sof_bad_width, -207, "frame width outside 1 to 8192")                      \
    X(jpeg_sof_too_many_components, -208, "frame has more than 4 components")         \
    X(jpeg_sof_bad_length, -209, "frame header length does not match its components") \
    X(jpeg_skip_bad_length, -210, "segment length below 2")                           \
    X(jpeg_dri_bad_length, -211, "restart interval segment length is not 4")          \
    X(jpeg_sos_bad_length, -212, "scan header length or component count is bad")     \
    X(jpeg_sos_unknown_component, -213, "scan names a component not in the frame")    \
    X(jpeg_arithmetic_coding, -215, "arithmetic coding is not supported")             \
    X(jpeg_unexpected_marker, -216, "unexpected marker")                              \
    X(jpeg_no_start_of_image, -217, "no start-of-image marker")                       \
    X(jpeg_unsupported_frame, -218, "unsupported frame type")                         \
    X(jpeg_dqt_bad_length, -219, "quantisation segment has a bad length")             \
    X(jpeg_too_many_blocks, -221, "more than 100 memory blocks")                      \
    X(jpeg_undefined_quant_table, -222, "scan uses an undefined quantisation table")  \
    X(jpeg_undefined_huffman_table, -223, "scan uses an undefined Huffman table")     \
    X(jpeg_bad_component_count, -225, "component count is not 1 or 3")                \
    X(jpeg_bad_sampling, -226, "unsupported sampling factors")                        \
    X(jpeg_corrupt_data, -227, "corrupt entropy-coded data")                          \
    X(jpeg_bad_restart, -228, "restart marker missing or out of sequence")            \
    X(jpeg_bad_block_layout, -229, "too many blocks per MCU row")                     \
    X(jpeg_bad_spectral_selection, -230, "bad spectral selection in a scan")          \
    X(jpeg_bad_approximation, -231, "bad successive-approximation bits in a scan")    \
    X(jpeg_stream_read_error, -232, "stream read error")                              \
    X(jpeg_out_of_memory, -233, "out of memory")                                     \
    X(jpeg_too_much_scan_work, -234, "scans refine the picture more often than a valid file can") \
    X(jpeg_cut_short, -235, "file ends before its picture does")

enum jpeg_error : int {
    jpeg_ok = 0,
#define VELMORIA_JPEG_ENUM(name, code, text) name = code,
    VELMORIA_JPEG_ERRORS(VELMORIA_JPEG_ENUM)
#undef VELMORIA_JPEG_ENUM
};

// The message for a code; "no error" for 0 and "unknown error" for anything else.
const char* jpeg_error_message(int code);
