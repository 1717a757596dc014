// MP3 decoding from memory with libmpg123: exact lengths after encoder delay and
// padding are removed, the file's own rate and channels, and files that hold no
// audio at all.
#include "platform/sound_decode.h"
#include "tests/support/sound_fixtures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/stat.h>

namespace {

decoded_sound decode_file(const std::string& path) {
    std::vector<uint8_t> bytes;
    EXPECT_TRUE(read_file_bytes(path, bytes).done()) << path;
    return decode_mp3(bytes.data(), bytes.size());
}

double peak_of(const decoded_sound& sound) {
    int peak = 0;
    for (int16_t value : sound.frames) peak = std::max(peak, std::abs(int(value)));
    return peak / 32768.0;
}

}  // namespace

TEST(SoundDecode, StereoFileKeepsItsRateChannelsAndExactLength) {
    const std::string path = make_sine_mp3("sine_1000hz_2s_stereo_44100.mp3", 1000.0, 2.0, 44100, 2);
    ASSERT_FALSE(path.empty());
    const decoded_sound sound = decode_file(path);
    EXPECT_EQ(sound.rate, 44100);
    EXPECT_EQ(sound.channels, 2);
    EXPECT_EQ(sound.frame_count(), 88200u);
    EXPECT_NEAR(peak_of(sound), 0.5, 0.05);  // the sine was made at half scale
}

TEST(SoundDecode, MonoFileAtAnotherRateStaysAsItIs) {
    const std::string path = make_sine_mp3("sine_440hz_1s_mono_22050.mp3", 440.0, 1.0, 22050, 1);
    ASSERT_FALSE(path.empty());
    const decoded_sound sound = decode_file(path);
    EXPECT_EQ(sound.rate, 22050);
    EXPECT_EQ(sound.channels, 1);
    EXPECT_EQ(sound.frame_count(), 22050u);
}

TEST(SoundDecode, DataWithoutAudioGivesNothing) {
    const std::string text = "This is a text file, not an MP3 stream at all.\n";
    EXPECT_TRUE(decode_mp3(reinterpret_cast<const uint8_t*>(text.data()), text.size()).empty());
    EXPECT_TRUE(decode_mp3(nullptr, 0).empty());
    std::vector<uint8_t> zeros(4096, 0);
    EXPECT_TRUE(decode_mp3(zeros.data(), zeros.size()).empty());
}

TEST(SoundDecode, TruncatedFileGivesTheAudioBeforeTheCut) {
    const std::string path = make_sine_mp3("sine_1000hz_2s_stereo_44100.mp3", 1000.0, 2.0, 44100, 2);
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(read_file_bytes(path, bytes).done());
    bytes.resize(bytes.size() / 2);
    const decoded_sound sound = decode_mp3(bytes.data(), bytes.size());
    EXPECT_GT(sound.frame_count(), 30000u);
    EXPECT_LT(sound.frame_count(), 60000u);
}

TEST(SoundDecode, DecodingStopsSoonAfterTheLimit) {
    const std::string path = make_sine_mp3("sine_1000hz_2s_stereo_44100.mp3", 1000.0, 2.0, 44100, 2);
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(read_file_bytes(path, bytes).done());
    const decoded_sound sound = decode_mp3(bytes.data(), bytes.size(), 10000);
    EXPECT_GT(sound.frame_count(), 10000u);  // more than the limit: the caller sees there was more
    EXPECT_LT(sound.frame_count(), 50000u);
}

// Every refusal names its reason, and nothing that is not a plain file is opened:
// a named pipe without a writer would block the read for ever.
TEST(SoundDecode, MusicFilesThatCannotBePlayedSayWhy) {
    const std::string folder = scratch_folder() + "/refusals";
    std::filesystem::create_directories(folder);
    decoded_sound sound;
    EXPECT_EQ(load_music_file(folder, sound).reason, "is a folder");
    EXPECT_EQ(load_music_file(folder + "/missing.mp3", sound).reason, "No such file or directory");
    std::ofstream(folder + "/empty.mp3").close();
    EXPECT_EQ(load_music_file(folder + "/empty.mp3", sound).reason, "the file is empty");
    std::ofstream(folder + "/text.mp3") << "This is a text file, not an MP3 stream at all.\n";
    EXPECT_EQ(load_music_file(folder + "/text.mp3", sound).reason, "no MP3 audio in it");
    ASSERT_EQ(mkfifo((folder + "/pipe.mp3").c_str(), 0600), 0);
    EXPECT_EQ(load_music_file(folder + "/pipe.mp3", sound).reason, "is a named pipe (FIFO)");
    EXPECT_TRUE(sound.empty());

    const std::string tone = make_sine_mp3("sine_1000hz_2s_stereo_44100.mp3", 1000.0, 2.0, 44100, 2);
    std::vector<uint8_t> bytes;
    const outcome refused = read_file_bytes(tone, bytes, 1000);
    EXPECT_EQ(refused.what, tone);
    EXPECT_NE(refused.reason.find("more than the 1 MiB allowed"), std::string::npos) << refused.reason;
    EXPECT_TRUE(bytes.empty());
    EXPECT_TRUE(load_music_file(tone, sound).done());
    EXPECT_EQ(sound.frame_count(), 88200u);
}
