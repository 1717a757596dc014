// The JPEG texture loaders of RenderContext: decode a file, record it in the asset
// list, and upload it (or the normal map of its red channel) as an RGB texture
// into a slot. A file that cannot be read or decoded ends the process after a
// message box naming it.
#include "app/app_record.h"
#include "platform/message_box.h"
#include "render/jpeg_decoder.h"
#include "render/jpeg_stream.h"
#include "render/normal_map.h"
#include "render/render_context.h"

#include <cstdlib>
#include <vector>

namespace {

struct decoded_texture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;  // bottom row first, 3 bytes per pixel
};

[[noreturn]] void fail_with_box(const char* file_name, const char* caption) {
    show_message_box(file_name, caption, message_icon::information);
    std::exit(1);
}

// Steps shared by both loaders: open, decode, record, read every row bottom-first.
// A failure in prepare or read_row ends the process like a failed decoder
// construction, so no row that was not delivered is ever used.
decoded_texture decode_texture_file(const char* file_name, int slot, const char* open_caption) {
    jpeg_decoder_file_stream stream;
    if (stream.open(file_name)) fail_with_box(file_name, open_caption);
    jpeg_scan_decoder decoder(&stream, true);
    if (decoder.error_code) fail_with_box(file_name, "Jpg !");

    decoded_texture picture;
    picture.width = decoder.width;
    picture.height = decoder.height;
    app.asset_records.push_back(asset_record{file_name, slot, picture.width, picture.height, asset_jpeg_texture});
    if (decoder.prepare() != 0) fail_with_box(file_name, "Jpg !");

    std::size_t row_size = static_cast<std::size_t>(picture.width) * 3;
    picture.rgb.resize(row_size * static_cast<std::size_t>(picture.height));
    for (int y = 0; y < picture.height; ++y) {
        const uint8_t* row = nullptr;
        uint32_t row_bytes = 0;
        if (decoder.read_row(row, row_bytes) != 0) fail_with_box(file_name, "Jpg !");
        if (row_bytes < static_cast<uint32_t>(picture.width * decoder.bytes_per_pixel)) fail_with_box(file_name, "Jpg !");
        uint8_t* out = picture.rgb.data() + static_cast<std::size_t>(picture.height - 1 - y) * row_size;
        assemble_rgb_row(row, picture.width, decoder.bytes_per_pixel, out);
    }
    return picture;
}

// Generates a new texture name into the slot (an older texture there stays alive)
// and uploads tightly packed RGB rows with linear filtering.
void upload_rgb_texture(RenderContext& context, int slot, const decoded_texture& picture,
                        const std::vector<uint8_t>& rgb) {
    GLuint& name = context.texture_ids[slot + context.texture_base];
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    if (context.generate_mipmaps) {
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_GENERATE_MIPMAP, GL_TRUE);
    }
    // Rows of 3-byte pixels are not 4-byte aligned for most widths.
    GLint alignment = 4;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, 3, picture.width, picture.height, 0, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
}

}  // namespace

void RenderContext::load_jpeg_texture(const char* file_name, int slot) {
    report_progress(0.1);
    decoded_texture picture = decode_texture_file(file_name, slot, "Jpg");
    upload_rgb_texture(*this, slot, picture, picture.rgb);
}

void RenderContext::load_jpeg_normal_map(const char* file_name, int slot) {
    report_progress(0.1);
    decoded_texture picture = decode_texture_file(file_name, slot, "Jpg !");
    std::vector<uint8_t> top_first = flip_rows(picture.rgb, picture.width, picture.height);
    std::vector<uint8_t> normals = sobel_normal_map(top_first, picture.width, picture.height);
    upload_rgb_texture(*this, slot, picture, flip_rows(normals, picture.width, picture.height));
}
