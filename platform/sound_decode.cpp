// MP3 decoding for the sound layer on libmpg123's feed interface: the whole file is
// handed over from memory and read out as 16-bit frames until the data runs out.
#include "platform/sound_decode.h"

#include "platform/file_kind.h"

#include <mpg123.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <new>

namespace {

struct handle_deleter {
    void operator()(mpg123_handle* handle) const { mpg123_delete(handle); }
};
using handle_ptr = std::unique_ptr<mpg123_handle, handle_deleter>;

// A decoder that accepts every rate the library knows, always as signed 16-bit,
// mono or stereo as the file is.
handle_ptr open_decoder() {
    int error = MPG123_OK;
    handle_ptr handle(mpg123_new(nullptr, &error));
    if (!handle) return nullptr;
    mpg123_param(handle.get(), MPG123_FLAGS, MPG123_QUIET | MPG123_GAPLESS, 0.0);
    mpg123_format_none(handle.get());
    const long* rates = nullptr;
    size_t rate_count = 0;
    mpg123_rates(&rates, &rate_count);
    for (size_t i = 0; i < rate_count; ++i)
        mpg123_format(handle.get(), rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);
    if (mpg123_open_feed(handle.get()) != MPG123_OK) return nullptr;
    return handle;
}

// Takes the stream's format; false when it is not one this layer plays or when it
// differs from the format already in use (a stream that changes format mid-way
// ends there).
bool accept_format(mpg123_handle* handle, decoded_sound& sound) {
    long rate = 0;
    int channels = 0;
    int encoding = 0;
    if (mpg123_getformat(handle, &rate, &channels, &encoding) != MPG123_OK) return false;
    if (encoding != MPG123_ENC_SIGNED_16 || channels < 1 || channels > 2 || rate <= 0) return false;
    if (sound.rate == 0) {
        sound.rate = int(rate);
        sound.channels = channels;
        return true;
    }
    return sound.rate == rate && sound.channels == channels;
}

struct file_closer {
    void operator()(std::FILE* file) const { std::fclose(file); }
};


std::string mebibytes(uint64_t bytes) { return std::to_string((bytes + (uint64_t(1) << 20) - 1) >> 20) + " MiB"; }

// Reads up to `size` bytes (the size the file had when looked at); a file that
// shrank meanwhile gives what it still holds.
outcome read_all(std::FILE* file, std::vector<uint8_t>& bytes, uint64_t size, const std::string& path) {
    bytes.resize(size_t(size));
    size_t done = 0;
    while (done < bytes.size()) {
        const size_t n = std::fread(bytes.data() + done, 1, bytes.size() - done, file);
        if (n == 0) break;
        done += n;
    }
    if (std::ferror(file)) return outcome::file_failed(path, std::strerror(errno));
    bytes.resize(done);
    return {};
}

}  // namespace

outcome read_file_bytes(const std::string& path, std::vector<uint8_t>& bytes, uint64_t limit) {
    namespace fs = std::filesystem;
    const std::string kind = non_regular_kind(path);
    if (!kind.empty()) return outcome::file_failed(path, kind);
    errno = 0;
    std::unique_ptr<std::FILE, file_closer> file(std::fopen(path.c_str(), "rb"));
    if (!file) return outcome::file_failed(path, std::strerror(errno != 0 ? errno : ENOENT));
    std::error_code failed;
    const uint64_t size = fs::file_size(path, failed);
    if (failed) return outcome::file_failed(path, failed.message());
    if (size > limit)
        return outcome::file_failed(path,
                                    "it is " + mebibytes(size) + ", more than the " + mebibytes(limit) + " allowed");
    try {
        return read_all(file.get(), bytes, size, path);
    } catch (const std::bad_alloc&) {
        bytes.clear();
        return outcome::file_failed(path, "not enough memory to read its " + mebibytes(size));
    }
}

decoded_sound decode_mp3(const uint8_t* data, size_t size, size_t max_frames) {
    decoded_sound sound;
    if (data == nullptr || size == 0) return sound;
    handle_ptr handle = open_decoder();
    if (!handle || mpg123_feed(handle.get(), data, size) != MPG123_OK) return sound;

    std::vector<unsigned char> block(64 * 1024);
    for (;;) {
        size_t done = 0;
        const int result = mpg123_read(handle.get(), block.data(), block.size(), &done);
        if (result == MPG123_NEW_FORMAT) {
            if (!accept_format(handle.get(), sound)) break;
            continue;
        }
        if (done > 0 && sound.channels > 0) {
            const auto* values = reinterpret_cast<const int16_t*>(block.data());
            sound.frames.insert(sound.frames.end(), values, values + done / sizeof(int16_t));
        }
        if (result != MPG123_OK) break;  // NEED_MORE: all data used; anything else: an error
        if (sound.frame_count() > max_frames) break;
    }
    sound.frames.resize(sound.frame_count() * size_t(sound.channels > 0 ? sound.channels : 0));
    if (sound.empty()) sound = decoded_sound{};
    return sound;
}

outcome load_music_file(const std::string& path, decoded_sound& sound) {
    sound = decoded_sound{};
    std::vector<uint8_t> bytes;
    const outcome read = read_file_bytes(path, bytes);
    if (!read.done()) return read;
    try {
        const size_t most = size_t(max_music_seconds * 48000.0);  // the highest MP3 rate
        sound = decode_mp3(bytes.data(), bytes.size(), most);
        if (sound.empty())
            return outcome::file_failed(path, bytes.empty() ? "the file is empty" : "no MP3 audio in it");
        if (double(sound.frame_count()) > max_music_seconds * sound.rate) {
            sound = decoded_sound{};
            const std::string minutes = std::to_string(int(max_music_seconds / 60.0));
            return outcome::file_failed(path, "it plays longer than " + minutes + " minutes");
        }
    } catch (const std::bad_alloc&) {
        sound = decoded_sound{};
        return outcome::file_failed(path, "not enough memory to decode it");
    }
    return {};
}
