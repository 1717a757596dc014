// The committed data is what the generators make now: meshgen rewrites the five OBJ
// files byte for byte, and imagegen's pictures match the committed JPEGs to within
// their compression error (djpeg decodes them, as a black-box reference).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

namespace fs = std::filesystem;

const char* font_file = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";

std::string read_all(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A fresh scratch folder, removed at the end of the test.
struct scratch_dir {
    fs::path path;
    scratch_dir() {
        static int made = 0;
        path = fs::temp_directory_path() /
               ("velmoria_assets_" + std::to_string(::getpid()) + "_" + std::to_string(++made));
        fs::create_directories(path);
    }
    ~scratch_dir() { fs::remove_all(path); }
};

// Pixels of a binary PPM (after its three header numbers).
std::vector<uint8_t> ppm_pixels(const std::string& text) {
    int width = 0, height = 0, maxval = 0, consumed = 0;
    if (std::sscanf(text.c_str(), "P6 %d %d %d%n", &width, &height, &maxval, &consumed) != 3) return {};
    const size_t start = static_cast<size_t>(consumed) + 1, size = static_cast<size_t>(width) * height * 3;
    if (text.size() < start + size) return {};
    return {text.begin() + static_cast<long>(start), text.begin() + static_cast<long>(start + size)};
}

double mean_difference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    double sum = 0;
    for (size_t k = 0; k < a.size(); ++k) sum += std::abs(a[k] - b[k]);
    return sum / static_cast<double>(a.size());
}

}  // namespace

TEST(AssetRegeneration, MeshgenRewritesTheCommittedMeshesExactly) {
    if (!fs::exists(font_file)) GTEST_SKIP() << "font missing: " << font_file;
    scratch_dir out;
    const std::string command = std::string(MESHGEN_PATH) + " '" + out.path.string() + "' " + font_file + " >/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0) << "meshgen failed or broke a promise";
    for (const char* file : {"quorrel.obj", "quorrels.obj", "wings.obj", "transf3.obj", "credits.obj"}) {
        const std::string fresh = read_all(out.path / file);
        ASSERT_FALSE(fresh.empty()) << file;
        EXPECT_TRUE(fresh == read_all(fs::path("neomeshes") / file)) << file << " is stale: run tools/regenerate-assets.sh";
    }
}

TEST(AssetRegeneration, ImagegenPicturesMatchTheCommittedJpegs) {
    if (std::system("djpeg -version >/dev/null 2>&1") != 0) GTEST_SKIP() << "djpeg not installed";
    scratch_dir out;
    struct image {
        const char* kind;
        const char* size;
        const char* jpeg;
    };
    for (const image& i : {image{"noise", "512", "textures/noise.jpg"}, image{"blob", "256", "textures/blob41b.jpg"}}) {
        SCOPED_TRACE(i.jpeg);
        const fs::path fresh = out.path / (std::string(i.kind) + ".ppm"), decoded = out.path / "decoded.ppm";
        ASSERT_EQ(std::system((std::string(IMAGEGEN_PATH) + " " + i.kind + " '" + fresh.string() + "' " + i.size).c_str()), 0);
        ASSERT_EQ(std::system(("djpeg -pnm -outfile '" + decoded.string() + "' " + i.jpeg).c_str()), 0);
        const std::vector<uint8_t> a = ppm_pixels(read_all(fresh)), b = ppm_pixels(read_all(decoded));
        ASSERT_FALSE(a.empty());
        ASSERT_EQ(a.size(), b.size());
        EXPECT_LT(mean_difference(a, b), 1.5) << "stale: run tools/regenerate-assets.sh";
    }
}
