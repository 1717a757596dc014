// The JPEG texture loaders of RenderContext: decode a file, report it to the asset
// hook, and upload it (or the normal map of its red channel) as an RGB texture
// into a slot. A file that cannot be read or decoded gives back its box caption
// and the reason, and nothing is uploaded.
#include "render/jpeg_decoder.h"
#include "render/jpeg_errors.h"
#include "render/jpeg_stream.h"
#include "render/normal_map.h"
#include "render/render_context.h"

#include <cstring>
#include <optional>
#include <vector>

namespace {

struct decoded_texture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;  // bottom row first, 3 bytes per pixel
};

// Why a load failed: the failure box's caption and the reason behind it (the
// system's text for a file that cannot be opened, else the decoder's message).
struct load_failure {
    const char* caption = nullptr;
    const char* detail = nullptr;
};

const char* decoder_reason(const jpeg_scan_decoder& decoder) {
    return jpeg_error_message(decoder.error_code != 0 ? decoder.error_code : jpeg_corrupt_data);
}

// Steps shared by both loaders: open, decode, report the asset, read every row
// bottom-first. Any failure gives back the reason instead of a picture, so no row
// that was not delivered is ever used.
std::optional<decoded_texture> decode_texture_file(const RenderContext& context, const char* file_name, int slot,
                                                   const char* open_caption, load_failure& failure) {
    jpeg_decoder_file_stream stream;
    if (stream.open(file_name)) {
        failure = {open_caption, std::strerror(stream.open_error())};
        return std::nullopt;
    }
    jpeg_scan_decoder decoder(&stream, true);
    failure.caption = texture_load_reason::undecodable;
    if (decoder.error_code) {
        failure.detail = decoder_reason(decoder);
        return std::nullopt;
    }

    decoded_texture picture;
    picture.width = decoder.width;
    picture.height = decoder.height;
    if (context.asset_callback) context.asset_callback(file_name, slot, picture.width, picture.height);
    failure.detail = decoder_reason(decoder);
    if (decoder.prepare() != 0) return std::nullopt;

    std::size_t row_size = static_cast<std::size_t>(picture.width) * 3;
    picture.rgb.resize(row_size * static_cast<std::size_t>(picture.height));
    for (int y = 0; y < picture.height; ++y) {
        const uint8_t* row = nullptr;
        uint32_t row_bytes = 0;
        const bool delivered = decoder.read_row(row, row_bytes) == 0 &&
                               row_bytes >= static_cast<uint32_t>(picture.width * decoder.bytes_per_pixel);
        failure.detail = decoder_reason(decoder);
        if (!delivered) return std::nullopt;
        uint8_t* out = picture.rgb.data() + static_cast<std::size_t>(picture.height - 1 - y) * row_size;
        assemble_rgb_row(row, picture.width, decoder.bytes_per_pixel, out);
    }
    if (decoder.input_cut_short() && context.load_notice_callback)
        context.load_notice_callback(file_name, jpeg_error_message(jpeg_cut_short));
    return picture;
}

// The result of a failed load: the file, the reason and the caption of its box.
outcome failed_load(const char* file_name, const load_failure& failure) {
    return outcome::file_failed(file_name, failure.detail, failure.caption);
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

outcome RenderContext::load_jpeg_texture(const char* file_name, int slot) {
    report_progress(0.1);
    load_failure failure;
    std::optional<decoded_texture> picture =
        decode_texture_file(*this, file_name, slot, texture_load_reason::unreadable, failure);
    if (!picture) return failed_load(file_name, failure);
    upload_rgb_texture(*this, slot, *picture, picture->rgb);
    return {};
}

outcome RenderContext::load_jpeg_normal_map(const char* file_name, int slot) {
    report_progress(0.1);
    load_failure failure;
    std::optional<decoded_texture> picture =
        decode_texture_file(*this, file_name, slot, texture_load_reason::undecodable, failure);
    if (!picture) return failed_load(file_name, failure);
    std::vector<uint8_t> top_first = flip_rows(picture->rgb, picture->width, picture->height);
    std::vector<uint8_t> normals = sobel_normal_map(top_first, picture->width, picture->height);
    upload_rgb_texture(*this, slot, *picture, flip_rows(normals, picture->width, picture->height));
    return {};
}
