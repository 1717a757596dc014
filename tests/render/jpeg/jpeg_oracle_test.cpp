// Compares every row the decoder delivers with djpeg's decode of the same file,
// over a corpus made at test time by make_oracle_corpus.sh: the exact transform
// against `djpeg -dct int`, the AAN transform against `djpeg -dct fast`.
#include "tests/render/jpeg/jpeg_test_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace {

const std::string corpus_dir = std::string(VELMORIA_BINARY_DIR) + "/jpeg_oracle_corpus";

std::vector<std::string> make_corpus() {
    std::string command = std::string(VELMORIA_SOURCE_DIR) + "/tests/render/jpeg/make_oracle_corpus.sh " + corpus_dir +
                          " 2>/dev/null";
    if (std::system(command.c_str()) != 0) return {};
    std::vector<std::string> names;
    std::ifstream list(corpus_dir + "/cases.txt");
    for (std::string name; std::getline(list, name);)
        if (!name.empty()) names.push_back(name);
    return names;
}

TEST(JpegOracle, EveryRowMatchesDjpegForBothTransforms) {
    std::vector<std::string> names = make_corpus();
    ASSERT_GE(names.size(), 20u) << "the corpus script failed";
    double worst_mean[2] = {0, 0};
    int worst_max[2] = {0, 0};
    const char* reference_suffix[2] = {".int.pnm", ".fast.pnm"};
    for (const std::string& name : names) {
        std::vector<uint8_t> bytes = read_file_bytes(corpus_dir + "/" + name + ".jpg");
        for (int accelerated = 0; accelerated < 2; ++accelerated) {
            SCOPED_TRACE(name + (accelerated ? " (AAN)" : " (exact)"));
            decoded_picture ours = decode_jpeg(bytes, accelerated != 0);
            pnm_picture reference = read_pnm(corpus_dir + "/" + name + reference_suffix[accelerated]);
            ASSERT_EQ(ours.error_code, 0);
            ASSERT_EQ(ours.width, reference.width);
            ASSERT_EQ(ours.height, reference.height);
            ASSERT_EQ(ours.channels, reference.channels);
            EXPECT_EQ(ours.rows_read, ours.height);
            EXPECT_EQ(ours.last_row_result, 1);
            picture_difference d = compare_pictures(ours, reference);
            EXPECT_LE(d.mean, 1.0);
            EXPECT_LE(d.max, 6);
            if (d.mean > worst_mean[accelerated]) worst_mean[accelerated] = d.mean;
            if (d.max > worst_max[accelerated]) worst_max[accelerated] = d.max;
        }
    }
    std::printf("exact vs djpeg -dct int:  worst mean %.4f, worst max %d over %zu files\n", worst_mean[0],
                worst_max[0], names.size());
    std::printf("AAN   vs djpeg -dct fast: worst mean %.4f, worst max %d over %zu files\n", worst_mean[1],
                worst_max[1], names.size());
}

// The show's own textures, decoded as the loaders decode them (AAN transform).
TEST(JpegOracle, ShowTexturesMatchDjpeg) {
    for (const char* name : {"noise", "blob41b"}) {
        SCOPED_TRACE(name);
        std::string source = std::string(VELMORIA_SOURCE_DIR) + "/data/textures/" + name + ".jpg";
        std::string reference = std::string(VELMORIA_BINARY_DIR) + "/jpeg_show_" + name + ".pnm";
        std::string command = "djpeg -nosmooth -dct fast -pnm -outfile " + reference + " " + source;
        ASSERT_EQ(std::system(command.c_str()), 0);
        decoded_picture ours = decode_jpeg(read_file_bytes(source), true);
        ASSERT_EQ(ours.error_code, 0);
        picture_difference d = compare_pictures(ours, read_pnm(reference));
        EXPECT_LE(d.mean, 1.0);
        EXPECT_LE(d.max, 6);
        std::printf("%s: mean %.4f, max %d\n", name, d.mean, d.max);
    }
}

}  // namespace
