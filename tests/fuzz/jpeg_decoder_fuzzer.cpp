// Fuzz target: decodes arbitrary bytes from memory with jpeg_scan_decoder, reading
// every row of pictures up to four million pixels (the first 64 rows of larger
// ones). The low bit of the size picks the exact or the AAN transform.
#include "render/jpeg_decoder.h"
#include "render/jpeg_stream.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    jpeg_decoder_memory_stream stream(data, size);
    jpeg_scan_decoder decoder(&stream, (size & 1) != 0);
    if (decoder.error_code) return 0;
    if (decoder.prepare() != 0) return 0;
    long long pixels = static_cast<long long>(decoder.width) * decoder.height;
    int row_limit = pixels <= 4000000 ? decoder.height : 64;
    volatile uint8_t sink = 0;
    for (int y = 0; y <= row_limit; ++y) {
        const uint8_t* row = nullptr;
        uint32_t row_bytes = 0;
        if (decoder.read_row(row, row_bytes) != 0) break;
        sink = sink ^ row[0] ^ row[row_bytes - 1];
    }
    return 0;
}
