#include "picture_files.hpp"

#include <cstdio>
#include <cstdlib>

// jpeglib.h needs size_t and FILE declared before it.
#include <jpeglib.h>

namespace tessaly::testing {

void PutU32(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = std::uint8_t(value >> (8 * i));
}

std::vector<std::uint8_t> MakeBmp(const BmpLayout& layout,
                                  const std::vector<std::vector<std::uint8_t>>& rows) {
    const std::size_t paletteAt = 14 + layout.infoSize;
    const std::size_t pixelsAt = paletteAt + layout.palette.size() * 4;
    std::vector<std::uint8_t> bytes(pixelsAt, 0);
    bytes[0] = 'B';
    bytes[1] = 'M';
    PutU32(bytes, 10, std::uint32_t(pixelsAt));
    PutU32(bytes, 14, layout.infoSize);
    PutU32(bytes, 18, std::uint32_t(layout.width));
    PutU32(bytes, 22, std::uint32_t(layout.height));
    bytes[26] = 1;
    bytes[28] = std::uint8_t(layout.bits);
    PutU32(bytes, 30, layout.compression);
    PutU32(bytes, 46, layout.colorsUsed);
    for (std::size_t i = 0; i < layout.palette.size(); ++i) {
        PutU32(bytes, paletteAt + 4 * i, layout.palette[i] & 0xFFFFFF);
    }
    for (const auto& row : rows) {
        bytes.insert(bytes.end(), row.begin(), row.end());
        while ((bytes.size() - pixelsAt) % 4 != 0)
            bytes.push_back(layout.padding);
    }
    PutU32(bytes, 2, std::uint32_t(bytes.size()));
    return bytes;
}

std::vector<std::uint8_t> MakeJpeg(int width, int height, int components,
                                   const std::vector<std::uint8_t>& samples, int quality) {
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* out = nullptr;
    unsigned long outSize = 0;
    jpeg_mem_dest(&info, &out, &outSize);
    info.image_width = JDIMENSION(width);
    info.image_height = JDIMENSION(height);
    info.input_components = components;
    info.in_color_space = components == 1 ? JCS_GRAYSCALE : components == 4 ? JCS_CMYK : JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<JSAMPLE*>(samples.data() +
                                            std::size_t(info.next_scanline) * width * components);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::vector<std::uint8_t> bytes(out, out + outSize);
    std::free(out);
    return bytes;
}

}  // namespace tessaly::testing
