#include "tools/assets/art/canvas.hpp"

#include <jpeglib.h>

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

#include "runtime/support/bytes.hpp"

namespace tools::assets::art {

namespace {

void PutLe16(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v) {
    out[at] = std::uint8_t(v);
    out[at + 1] = std::uint8_t(v >> 8);
}

void PutLe32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out[at + i] = std::uint8_t(v >> (8 * i));
}

using runtime::support::ReadLe32;

// One premultiplied ARGB pixel turned into the colour the game will hold.
std::uint32_t FinishPixel(std::uint32_t argb, Finish finish) {
    int a = int(argb >> 24);
    int r = int((argb >> 16) & 0xFF);
    int g = int((argb >> 8) & 0xFF);
    int b = int(argb & 0xFF);
    switch (finish) {
        case Finish::Glow:
            break;
        case Finish::Opaque:
            if (r == 0 && g == 0 && b == 0) r = g = b = 1;
            break;
        case Finish::Keyed: {
            // Below a quarter coverage the pixel is background; above it the colour fades
            // with coverage, gently, so glows die away instead of ending in a hard rim.
            if (a < 64) return 0;
            double scale = std::pow(a / 255.0, 0.6) * (255.0 / a);
            r = std::min(255, int(r * scale + 0.5));
            g = std::min(255, int(g * scale + 0.5));
            b = std::min(255, int(b * scale + 0.5));
            r = std::max(r, 1);
            g = std::max(g, 1);
            b = std::max(b, 1);
            break;
        }
    }
    return (std::uint32_t(r) << 16) | (std::uint32_t(g) << 8) | std::uint32_t(b);
}

struct JpegError {
    jpeg_error_mgr mgr;
    std::jmp_buf jump;
};

void JpegFail(j_common_ptr info) {
    auto* err = reinterpret_cast<JpegError*>(info->err);
    std::longjmp(err->jump, 1);
}

void JpegQuiet(j_common_ptr, int) {}

void BoxBlurPass(std::vector<int>& src, std::vector<int>& dst, int w, int h, int radius,
                 bool horizontal) {
    int n = horizontal ? w : h;
    int lines = horizontal ? h : w;
    int window = 2 * radius + 1;
    for (int line = 0; line < lines; ++line) {
        for (int ch = 0; ch < 4; ++ch) {
            auto at = [&](int i) -> int& {
                int x = horizontal ? i : line;
                int y = horizontal ? line : i;
                return src[(std::size_t(y) * w + x) * 4 + ch];
            };
            auto put = [&](int i) -> int& {
                int x = horizontal ? i : line;
                int y = horizontal ? line : i;
                return dst[(std::size_t(y) * w + x) * 4 + ch];
            };
            int sum = 0;
            for (int i = -radius; i <= radius; ++i)
                sum += (i >= 0 && i < n) ? at(i) : 0;
            for (int i = 0; i < n; ++i) {
                put(i) = sum / window;
                int out = i - radius;
                int in = i + radius + 1;
                if (out >= 0) sum -= at(out);
                if (in < n) sum += at(in);
            }
        }
    }
}

}  // namespace

Canvas::Canvas(int width, int height)
    : width_(width),
      height_(height),
      surface_(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height)),
      cr_(cairo_create(surface_)) {
    cairo_set_antialias(cr_, CAIRO_ANTIALIAS_GRAY);
}

Canvas::~Canvas() {
    cairo_destroy(cr_);
    cairo_surface_destroy(surface_);
}

std::vector<std::uint32_t> Canvas::Pixels(Finish finish) const {
    cairo_surface_flush(surface_);
    const unsigned char* data = cairo_image_surface_get_data(surface_);
    int stride = cairo_image_surface_get_stride(surface_);
    std::vector<std::uint32_t> out(std::size_t(width_) * height_);
    for (int y = 0; y < height_; ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(data + std::size_t(y) * stride);
        for (int x = 0; x < width_; ++x)
            out[std::size_t(y) * width_ + x] = FinishPixel(row[x], finish);
    }
    return out;
}

std::vector<std::uint8_t> Canvas::Bmp(Finish finish) const {
    std::vector<std::uint32_t> px = Pixels(finish);
    std::size_t rowBytes = (std::size_t(width_) * 3 + 3) & ~std::size_t(3);
    std::size_t imageBytes = rowBytes * height_;
    std::vector<std::uint8_t> out(54 + imageBytes, 0);
    out[0] = 'B';
    out[1] = 'M';
    PutLe32(out, 2, std::uint32_t(out.size()));
    PutLe32(out, 10, 54);
    PutLe32(out, 14, 40);
    PutLe32(out, 18, std::uint32_t(width_));
    PutLe32(out, 22, std::uint32_t(height_));
    PutLe16(out, 26, 1);
    PutLe16(out, 28, 24);
    PutLe32(out, 34, std::uint32_t(imageBytes));
    PutLe32(out, 38, 2835);  // 72 dots per inch, as paint programs write it
    PutLe32(out, 42, 2835);
    for (int y = 0; y < height_; ++y) {
        std::uint8_t* row = out.data() + 54 + std::size_t(height_ - 1 - y) * rowBytes;
        for (int x = 0; x < width_; ++x) {
            std::uint32_t c = px[std::size_t(y) * width_ + x];
            row[x * 3] = std::uint8_t(c);
            row[x * 3 + 1] = std::uint8_t(c >> 8);
            row[x * 3 + 2] = std::uint8_t(c >> 16);
        }
    }
    return out;
}

std::vector<std::uint8_t> Canvas::Jpeg(int quality) const {
    std::vector<std::uint32_t> px = Pixels(Finish::Opaque);
    jpeg_compress_struct info{};
    JpegError err{};
    info.err = jpeg_std_error(&err.mgr);
    err.mgr.error_exit = JpegFail;
    err.mgr.emit_message = JpegQuiet;
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    std::vector<std::uint8_t> row(std::size_t(width_) * 3);
    if (setjmp(err.jump)) {
        jpeg_destroy_compress(&info);
        std::free(buffer);
        throw std::runtime_error("JPEG encoding failed");
    }
    jpeg_create_compress(&info);
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = JDIMENSION(width_);
    info.image_height = JDIMENSION(height_);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    info.dct_method = JDCT_ISLOW;
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        const std::uint32_t* src = px.data() + std::size_t(info.next_scanline) * width_;
        for (int x = 0; x < width_; ++x) {
            row[x * 3] = std::uint8_t(src[x] >> 16);
            row[x * 3 + 1] = std::uint8_t(src[x] >> 8);
            row[x * 3 + 2] = std::uint8_t(src[x]);
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    std::vector<std::uint8_t> out(buffer, buffer + size);
    jpeg_destroy_compress(&info);
    std::free(buffer);
    return out;
}

void Canvas::Blur(int radius) {
    if (radius < 1) return;
    cairo_surface_flush(surface_);
    unsigned char* data = cairo_image_surface_get_data(surface_);
    int stride = cairo_image_surface_get_stride(surface_);
    std::vector<int> a(std::size_t(width_) * height_ * 4), b(a.size());
    for (int y = 0; y < height_; ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(data + std::size_t(y) * stride);
        for (int x = 0; x < width_; ++x) {
            std::size_t i = (std::size_t(y) * width_ + x) * 4;
            for (int ch = 0; ch < 4; ++ch)
                a[i + ch] = int((row[x] >> (8 * ch)) & 0xFF);
        }
    }
    for (int pass = 0; pass < 3; ++pass) {
        BoxBlurPass(a, b, width_, height_, radius, true);
        BoxBlurPass(b, a, width_, height_, radius, false);
    }
    for (int y = 0; y < height_; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(data + std::size_t(y) * stride);
        for (int x = 0; x < width_; ++x) {
            std::size_t i = (std::size_t(y) * width_ + x) * 4;
            std::uint32_t alpha = std::uint32_t(std::clamp(a[i + 3], 0, 255));
            std::uint32_t v = alpha << 24;
            for (int ch = 0; ch < 3; ++ch)
                v |= std::uint32_t(std::clamp(a[i + ch], 0, int(alpha))) << (8 * ch);
            row[x] = v;
        }
    }
    cairo_surface_mark_dirty(surface_);
}

void Canvas::Paint(const Canvas& other, double x, double y, double alpha, cairo_operator_t op) {
    cairo_save(cr_);
    cairo_set_operator(cr_, op);
    cairo_set_source_surface(cr_, other.surface_, x, y);
    cairo_paint_with_alpha(cr_, alpha);
    cairo_restore(cr_);
}

bool DecodePicture(const std::vector<std::uint8_t>& bytes, int& width, int& height,
                   std::vector<std::uint32_t>& pixels) {
    if (bytes.size() >= 54 && bytes[0] == 'B' && bytes[1] == 'M') {
        std::uint32_t offset = ReadLe32(&bytes[10]);
        int w = int(ReadLe32(&bytes[18]));
        int h = int(ReadLe32(&bytes[22]));
        int bpp = bytes[28] | (bytes[29] << 8);
        if (bpp != 24 || w <= 0 || h <= 0 || w > 8192 || h > 8192) return false;
        std::size_t rowBytes = (std::size_t(w) * 3 + 3) & ~std::size_t(3);
        if (offset > bytes.size() || bytes.size() - offset < rowBytes * h) return false;
        width = w;
        height = h;
        pixels.assign(std::size_t(w) * h, 0);
        for (int y = 0; y < h; ++y) {
            const std::uint8_t* row = bytes.data() + offset + std::size_t(h - 1 - y) * rowBytes;
            for (int x = 0; x < w; ++x)
                pixels[std::size_t(y) * w + x] = (std::uint32_t(row[x * 3 + 2]) << 16) |
                                                 (std::uint32_t(row[x * 3 + 1]) << 8) | row[x * 3];
        }
        return true;
    }
    if (bytes.size() < 4 || bytes[0] != 0xFF || bytes[1] != 0xD8) return false;
    jpeg_decompress_struct info{};
    JpegError err{};
    info.err = jpeg_std_error(&err.mgr);
    err.mgr.error_exit = JpegFail;
    err.mgr.emit_message = JpegQuiet;
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, bytes.data(), static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    width = int(info.output_width);
    height = int(info.output_height);
    pixels.assign(std::size_t(width) * height, 0);
    std::vector<std::uint8_t> row(std::size_t(width) * 3);
    while (info.output_scanline < info.output_height) {
        int y = int(info.output_scanline);
        JSAMPROW rows[1] = {row.data()};
        jpeg_read_scanlines(&info, rows, 1);
        for (int x = 0; x < width; ++x)
            pixels[std::size_t(y) * width + x] = (std::uint32_t(row[x * 3]) << 16) |
                                                 (std::uint32_t(row[x * 3 + 1]) << 8) |
                                                 row[x * 3 + 2];
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}

cairo_surface_t* SurfaceFromPixels(int width, int height,
                                   const std::vector<std::uint32_t>& pixels) {
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    cairo_surface_flush(s);
    unsigned char* data = cairo_image_surface_get_data(s);
    int stride = cairo_image_surface_get_stride(s);
    for (int y = 0; y < height; ++y)
        std::memcpy(data + std::size_t(y) * stride, pixels.data() + std::size_t(y) * width,
                    std::size_t(width) * 4);
    cairo_surface_mark_dirty(s);
    return s;
}

}  // namespace tools::assets::art
