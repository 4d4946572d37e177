#include "runtime/images/images.hpp"

#include <algorithm>
#include <memory>

#include "runtime/support/numbered_limits.hpp"
#include "runtime/support/numbered_table.hpp"
#include "runtime/support/program.hpp"

namespace runtime::images {
namespace {

std::uint32_t Pixel(std::uint8_t blue, std::uint8_t green, std::uint8_t red) {
    return std::uint32_t(blue) | std::uint32_t(green) << 8 | std::uint32_t(red) << 16;
}

// 5-bit components widen to 8 bits with their top bits repeated below, so 31 becomes 255
// and 0 stays 0 (black must stay the transparent colour).
std::uint8_t Widen5(unsigned v) {
    return std::uint8_t(v << 3 | v >> 2);
}

std::uint32_t PaletteColour(const std::uint8_t* bytes, const BmpHeader& header, unsigned index) {
    // Indices past a short colour table have no colour of their own: black.
    if (index >= header.paletteEntries) return 0;
    const std::uint8_t* entry = bytes + header.paletteOffset + std::size_t(index) * 4;
    return Pixel(entry[0], entry[1], entry[2]);
}

void DecodeBmpRows(const std::uint8_t* bytes, const BmpHeader& header,
                   runtime::screen::Surface& out) {
    out = runtime::screen::Surface(header.width, header.height);
    for (int y = 0; y < header.height; ++y) {
        // Rows are stored bottom row first.
        const std::uint8_t* in =
            bytes + header.pixelOffset + std::size_t(header.height - 1 - y) * header.rowStride;
        std::uint32_t* row = out.Row(y);
        for (int x = 0; x < header.width; ++x) {
            switch (header.bitsPerPixel) {
                case 1:
                    row[x] = PaletteColour(bytes, header, (in[x / 8] >> (7 - x % 8)) & 1);
                    break;
                case 4:  // high nibble is the left pixel
                    row[x] = PaletteColour(bytes, header, (in[x / 2] >> (x % 2 ? 0 : 4)) & 15);
                    break;
                case 8:
                    row[x] = PaletteColour(bytes, header, in[x]);
                    break;
                case 16: {
                    const unsigned v = unsigned(in[2 * x]) | unsigned(in[2 * x + 1]) << 8;
                    row[x] = Pixel(Widen5(v & 31), Widen5(v >> 5 & 31), Widen5(v >> 10 & 31));
                    break;
                }
                case 24:
                    row[x] = Pixel(in[3 * x], in[3 * x + 1], in[3 * x + 2]);
                    break;
                default:  // 32: the fourth byte carries nothing the game uses
                    row[x] = Pixel(in[4 * x], in[4 * x + 1], in[4 * x + 2]);
                    break;
            }
        }
    }
}

// Any registered format: decoded into a zeroed 24-bit row buffer (height + 1 rows, the extra
// one spare), then widened to 32 bits. Rows a damaged picture never reached stay black.
bool DecodeWithRegistry(const std::uint8_t* bytes, std::size_t size,
                        runtime::screen::Surface& out) {
    if (FindDecoder(nullptr, bytes, size) == 0) return false;
    const int width = CurrentWidth();
    const int height = CurrentHeight();
    if (width <= 0 || height <= 0 || width > kMaxImageSide || height > kMaxImageSide ||
        std::size_t(width) * std::size_t(height) > kMaxImagePixels) {
        DecodeWithCurrent(nullptr, 0, 0);  // lets the decoder drop what it prepared
        return false;
    }
    const std::size_t stride = RowStride24(width);
    std::vector<std::uint8_t> buffer(stride * (std::size_t(height) + 1), 0);
    DecodeWithCurrent(buffer.data(), stride, 0);

    runtime::screen::Surface decoded(width, height);
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* in = buffer.data() + std::size_t(y) * stride;
        std::uint32_t* row = decoded.Row(y);
        for (int x = 0; x < width; ++x, in += 3)
            row[x] = Pixel(in[0], in[1], in[2]);
    }
    out = std::move(decoded);
    return true;
}

std::vector<std::unique_ptr<Image>>& ImageTable() {
    static std::vector<std::unique_ptr<Image>> table(10);
    return table;
}

}  // namespace

bool DecodePicture(const std::uint8_t* bytes, std::size_t size, runtime::screen::Surface& out,
                   int* sourceBits) {
    if (bytes == nullptr || size == 0) return false;
    if (LooksLikeBmp(bytes, size)) {
        BmpHeader header;
        if (!ReadBmpHeader(bytes, size, header)) return false;
        DecodeBmpRows(bytes, header, out);
        if (sourceBits != nullptr) *sourceBits = header.bitsPerPixel;
        return true;
    }
    if (!DecodeWithRegistry(bytes, size, out)) return false;
    if (sourceBits != nullptr) *sourceBits = 24;
    return true;
}

bool DecodeBmpIndexed(const std::uint8_t* bytes, std::size_t size, std::vector<std::uint8_t>& out,
                      int& width, int& height) {
    BmpHeader header;
    if (!ReadBmpHeader(bytes, size, header) || header.bitsPerPixel != 8) return false;
    const std::size_t w = std::size_t(header.width);
    out.assign(w * std::size_t(header.height), 0);
    for (int y = 0; y < header.height; ++y) {
        const std::uint8_t* in =
            bytes + header.pixelOffset + std::size_t(header.height - 1 - y) * header.rowStride;
        std::copy(in, in + w, out.begin() + std::ptrdiff_t(std::size_t(y) * w));
    }
    width = header.width;
    height = header.height;
    return true;
}

const Image* LoadImageFromMemory(int imageNumber, const std::uint8_t* bytes, std::size_t size) {
    if (!runtime::support::UsableNumber(imageNumber, runtime::support::limits::kHighestImageNumber))
        return nullptr;
    runtime::support::AddShutdownRelease(runtime::support::ShutdownStage::ImageObjects,
                                         ReleaseImages);
    auto image = std::make_unique<Image>();
    // Differs: icon files are not supported as images
    // (docs/differences.md, Pictures)
    // BMPs of any depth we read, or a registered format; icon files are neither and fail here.
    if (!DecodePicture(bytes, size, image->pixels, &image->bitsPerPixel)) return nullptr;
    image->width = image->pixels.width;
    image->height = image->pixels.height;

    auto& table = ImageTable();
    runtime::support::GrowToHold(table, imageNumber);
    table[std::size_t(imageNumber)] = std::move(image);
    return table[std::size_t(imageNumber)].get();
}

const Image* FindImage(int imageNumber) {
    const auto& table = ImageTable();
    if (imageNumber < 0 || std::size_t(imageNumber) >= table.size()) return nullptr;
    return table[std::size_t(imageNumber)].get();
}

void ReleaseImages() {
    auto& table = ImageTable();
    table.clear();
    table.resize(10);
}

}  // namespace runtime::images
