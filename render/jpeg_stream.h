// Input streams of the JPEG decoder: the abstract stream it pulls bytes through,
// a stream over a C file, and a stream over a block of memory (used by the tests
// and the fuzzer, and by anyone who already holds the file's bytes).
#pragma once

#include <cstdint>
#include <cstdio>

class jpeg_decoder_stream {
public:
    virtual ~jpeg_decoder_stream() = default;
    // Copies up to max_bytes bytes into buffer; returns the count or -1 on error
    // and sets eof_flag once the end of input has been reached.
    virtual int32_t read(uint8_t* buffer, int32_t max_bytes, bool* eof_flag) = 0;
    // Called when a decoder takes the stream and when it lets it go.
    virtual void begin_use() {}
    virtual void end_use() {}
};

class jpeg_decoder_file_stream : public jpeg_decoder_stream {
public:
    jpeg_decoder_file_stream() = default;
    jpeg_decoder_file_stream(const jpeg_decoder_file_stream&) = delete;
    jpeg_decoder_file_stream& operator=(const jpeg_decoder_file_stream&) = delete;
    ~jpeg_decoder_file_stream() override;

    // Opens the file for binary reading, closing any earlier one. Returns true on
    // failure (a folder fails as EISDIR); open_error() then holds the errno value.
    bool open(const char* file_name);
    int open_error() const { return open_error_; }
    void close();
    int32_t read(uint8_t* buffer, int32_t max_bytes, bool* eof_flag) override;

private:
    std::FILE* file_ = nullptr;
    bool at_end_ = false;
    bool failed_ = false;
    int open_error_ = 0;
};

class jpeg_decoder_memory_stream : public jpeg_decoder_stream {
public:
    // The bytes are not copied; they must outlive the stream.
    jpeg_decoder_memory_stream(const uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    int32_t read(uint8_t* buffer, int32_t max_bytes, bool* eof_flag) override;

    int begin_count = 0;  // how often a decoder took the stream
    int end_count = 0;    // how often a decoder let it go

    void begin_use() override { ++begin_count; }
    void end_use() override { ++end_count; }

private:
    const uint8_t* data_;
    std::size_t size_;
    std::size_t offset_ = 0;
};
