// imagegen: the show's two procedural images as binary PPM files, for cjpeg to encode.
//   imagegen noise OUT.ppm [SIZE]  tileable multi-octave gradient noise (grey), SIZE >= 512
//   imagegen blob OUT.ppm [SIZE]   a soft round sprite on black, black at every border
#include "tools/imagegen/image_patterns.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

bool write_ppm(const std::string& path, const velmoria_images::rgb_image& image) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    std::fprintf(f, "P6\n%d %d\n255\n", image.width, image.height);
    const bool ok = std::fwrite(image.pixels.data(), 1, image.pixels.size(), f) == image.pixels.size();
    return std::fclose(f) == 0 && ok;
}

int usage() {
    std::fprintf(stderr, "usage: imagegen noise|blob OUT.ppm [SIZE]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3 || argc > 4) return usage();
    const bool noise = std::strcmp(argv[1], "noise") == 0;
    if (!noise && std::strcmp(argv[1], "blob") != 0) return usage();
    const int size = argc == 4 ? std::atoi(argv[3]) : (noise ? 512 : 256);
    if (size < (noise ? 512 : 32) || size > 8192) return usage();
    const velmoria_images::rgb_image image =
        noise ? velmoria_images::noise_image(size) : velmoria_images::blob_image(size);
    if (!write_ppm(argv[2], image)) {
        std::fprintf(stderr, "cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
