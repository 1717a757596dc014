// The file and memory streams the JPEG decoder reads from.
#include "render/jpeg_stream.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

jpeg_decoder_file_stream::~jpeg_decoder_file_stream() { close(); }

void jpeg_decoder_file_stream::close() {
    if (file_) std::fclose(file_);
    file_ = nullptr;
}

bool jpeg_decoder_file_stream::open(const char* file_name) {
    close();
    at_end_ = false;
    failed_ = false;
    open_error_ = 0;
    file_ = std::fopen(file_name, "rb");
    if (file_ == nullptr) {
        open_error_ = errno != 0 ? errno : EIO;
        return true;
    }
    // A folder opens for reading here and would only fail on the first read.
    std::error_code not_known;
    if (std::filesystem::is_directory(file_name, not_known)) {
        close();
        open_error_ = EISDIR;
        return true;
    }
    return false;
}

int32_t jpeg_decoder_file_stream::read(uint8_t* buffer, int32_t max_bytes, bool* eof_flag) {
    if (!file_) return -1;
    if (at_end_) {
        *eof_flag = true;
        return 0;
    }
    if (failed_) return -1;
    if (max_bytes <= 0) return 0;
    std::size_t got = std::fread(buffer, 1, static_cast<std::size_t>(max_bytes), file_);
    if (got < static_cast<std::size_t>(max_bytes)) {
        if (std::ferror(file_)) {
            failed_ = true;
            return -1;
        }
        at_end_ = true;
        *eof_flag = true;
    }
    return static_cast<int32_t>(got);
}

int32_t jpeg_decoder_memory_stream::read(uint8_t* buffer, int32_t max_bytes, bool* eof_flag) {
    if (max_bytes <= 0) return 0;
    std::size_t left = size_ - offset_;
    std::size_t count = std::min(left, static_cast<std::size_t>(max_bytes));
    if (count) std::memcpy(buffer, data_ + offset_, count);
    offset_ += count;
    if (offset_ == size_) *eof_flag = true;
    return static_cast<int32_t>(count);
}
