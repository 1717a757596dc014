// MP3 decoding for the sound layer on libmpg123's feed interface: the whole file is
// handed over from memory and read out as 16-bit frames until the data runs out.
#include "platform/sound_decode.h"

#include <mpg123.h>

#include <fstream>
#include <iterator>
#include <memory>

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

}  // namespace

bool read_file_bytes(const std::string& path, std::vector<uint8_t>& bytes) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return false;
    bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    return !file.bad();
}

decoded_sound decode_mp3(const uint8_t* data, size_t size) {
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
    }
    sound.frames.resize(sound.frame_count() * size_t(sound.channels > 0 ? sound.channels : 0));
    if (sound.empty()) sound = decoded_sound{};
    return sound;
}
