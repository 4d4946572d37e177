#pragma once

// Small BMP and JPEG files made on the spot for the image tests.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

// jpeglib.h needs size_t and FILE declared before it.
#include <jpeglib.h>

namespace tessaly::testing {

inline void PutU32(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = std::uint8_t(value >> (8 * i));
}

// A BMP with a 40-byte or larger info header. Rows are given bottom row first, without
// padding; each is padded with 0xEE bytes, which must never show up in a picture.
inline std::vector<std::uint8_t> MakeBmp(int width, int height, int bits,
                                         const std::vector<std::vector<std::uint8_t>>& rows,
                                         const std::vector<std::uint32_t>& palette = {},
                                         std::uint32_t colorsUsed = 0,
                                         std::uint32_t infoSize = 40) {
    const std::size_t pixelsAt = 14 + infoSize + palette.size() * 4;
    std::vector<std::uint8_t> bytes(pixelsAt, 0);
    bytes[0] = 'B';
    bytes[1] = 'M';
    PutU32(bytes, 10, std::uint32_t(pixelsAt));
    PutU32(bytes, 14, infoSize);
    PutU32(bytes, 18, std::uint32_t(width));
    PutU32(bytes, 22, std::uint32_t(height));
    bytes[26] = 1;
    bytes[28] = std::uint8_t(bits);
    PutU32(bytes, 46, colorsUsed);
    for (std::size_t i = 0; i < palette.size(); ++i)
        PutU32(bytes, 14 + infoSize + 4 * i, palette[i]);
    for (const auto& row : rows) {
        bytes.insert(bytes.end(), row.begin(), row.end());
        while ((bytes.size() - pixelsAt) % 4 != 0)
            bytes.push_back(0xEE);
    }
    return bytes;
}

// A JPEG of 1 (gray), 3 (red, green, blue) or 4 (CMYK) samples per pixel, all pixels alike.
inline std::vector<std::uint8_t> MakeJpeg(int width, int height,
                                          const std::vector<std::uint8_t>& pixel) {
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* out = nullptr;
    unsigned long outSize = 0;
    jpeg_mem_dest(&info, &out, &outSize);
    info.image_width = JDIMENSION(width);
    info.image_height = JDIMENSION(height);
    info.input_components = int(pixel.size());
    info.in_color_space = pixel.size() == 1   ? JCS_GRAYSCALE
                          : pixel.size() == 4 ? JCS_CMYK
                                              : JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 100, TRUE);
    jpeg_start_compress(&info, TRUE);
    std::vector<std::uint8_t> row;
    for (int x = 0; x < width; ++x)
        row.insert(row.end(), pixel.begin(), pixel.end());
    JSAMPROW rowPointer = row.data();
    while (info.next_scanline < info.image_height)
        jpeg_write_scanlines(&info, &rowPointer, 1);
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::vector<std::uint8_t> bytes(out, out + outSize);
    std::free(out);
    return bytes;
}

}  // namespace tessaly::testing
