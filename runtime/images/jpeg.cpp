// The JPEG decoder, built on libjpeg. libjpeg reports fatal errors through a handler that
// must not return, so ours jumps back with longjmp into the function that set the trap.
// Those functions keep no C++ objects with destructors alive across setjmp, and all state
// lives in one static record, so the jump skips nothing that needs cleaning up.

#include <csetjmp>
#include <cstdio>
#include <vector>

// jpeglib.h needs size_t and FILE declared before it.
#include <jpeglib.h>

#include "runtime/images/decoders.hpp"

namespace runtime::images {
namespace {

struct ErrorTrap {
    jpeg_error_mgr manager;  // first, so libjpeg's pointer to it is a pointer to the trap
    std::jmp_buf jump;
};

// The one image being decoded: prepared by recognise, consumed by decode.
struct JpegState {
    jpeg_decompress_struct info;
    ErrorTrap trap;
    bool created = false;
    JSAMPARRAY row = nullptr;
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> fileCopy;  // the whole file, when recognise was given one
};

JpegState& State() {
    static JpegState state;
    return state;
}

// More scans than any real progressive picture uses; a hostile stream can otherwise make
// every one of thousands of scans walk the whole image.
constexpr long kMaxScans = 256;

// A named file is read whole; anything this large is not a picture of ours.
constexpr std::size_t kMaxFileBytes = std::size_t(64) << 20;

[[noreturn]] void JumpBack(j_common_ptr info) {
    std::longjmp(reinterpret_cast<ErrorTrap*>(info->err)->jump, 1);
}

// The game shows no messages: libjpeg's warnings and errors go nowhere.
void StaySilent(j_common_ptr) {}

void LimitScans(j_common_ptr info) {
    auto* decompress = reinterpret_cast<j_decompress_ptr>(info);
    if (decompress->input_scan_number > kMaxScans) JumpBack(info);
}

jpeg_progress_mgr& ScanLimiter() {
    static jpeg_progress_mgr progress{LimitScans, 0, 0, 0, 0};
    return progress;
}

void Release(JpegState& state) {
    if (state.created) jpeg_destroy_decompress(&state.info);
    state.created = false;
    state.row = nullptr;
    state.fileCopy.clear();
    state.fileCopy.shrink_to_fit();
}

// Reads the header and starts decompression under the error trap. 1 when the image is ready
// for decoding, 0 (with everything released) otherwise.
int PrepareTrapped(JpegState& state, const std::uint8_t* bytes, std::size_t size) {
    state.info.err = jpeg_std_error(&state.trap.manager);
    state.trap.manager.error_exit = JumpBack;
    state.trap.manager.output_message = StaySilent;
    state.trap.manager.trace_level = 0;
    if (setjmp(state.trap.jump) != 0) {
        Release(state);
        return 0;
    }
    jpeg_create_decompress(&state.info);
    state.created = true;
    state.info.progress = &ScanLimiter();
    // The real length: a stream without its end marker stops at the last byte given.
    jpeg_mem_src(&state.info, bytes, static_cast<unsigned long>(size));
    if (jpeg_read_header(&state.info, TRUE) != JPEG_HEADER_OK) {
        Release(state);
        return 0;
    }
    if (state.info.image_width > JDIMENSION(kMaxImageSide) ||
        state.info.image_height > JDIMENSION(kMaxImageSide) ||
        std::size_t(state.info.image_width) * state.info.image_height > kMaxImagePixels) {
        Release(state);
        return 0;
    }
    if (state.info.jpeg_color_space == JCS_GRAYSCALE) state.info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&state.info);
    // Differs: CMYK JPEGs are refused (docs/differences.md, Pictures)
    // CMYK pictures come out with four samples a pixel; read as three they would be a
    // smear of wrong colours, so they are refused.
    if (state.info.output_components != 3 || state.info.output_width == 0 ||
        state.info.output_height == 0) {
        Release(state);
        return 0;
    }
    const JDIMENSION samples = (state.info.output_width * 3 + 3) / 4 * 4;
    state.row = (*state.info.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&state.info),
                                                JPOOL_IMAGE, samples, 1);
    state.width = int(state.info.output_width);
    state.height = int(state.info.output_height);
    return 1;
}

// Writes every scan line as blue, green, red under the error trap. A fatal error stops the
// loop; the rows not reached keep whatever the destination held.
void DecodeTrapped(JpegState& state, std::uint8_t* destination, std::size_t rowStride) {
    if (setjmp(state.trap.jump) != 0) {
        Release(state);
        return;
    }
    while (state.info.output_scanline < state.info.output_height) {
        const JDIMENSION line = state.info.output_scanline;
        if (jpeg_read_scanlines(&state.info, state.row, 1) != 1) break;
        const JSAMPLE* in = state.row[0];
        std::uint8_t* out = destination + std::size_t(line) * rowStride;
        for (JDIMENSION x = 0; x < state.info.output_width; ++x, in += 3, out += 3) {
            out[0] = in[2];
            out[1] = in[1];
            out[2] = in[0];
        }
    }
    jpeg_finish_decompress(&state.info);
    Release(state);
}

int Recognise(std::FILE* file, const std::uint8_t* bytes, std::size_t size) {
    JpegState& state = State();
    // A picture recognised but never decoded is dropped here.
    Release(state);
    state.width = state.height = 0;

    if (file != nullptr) {
        std::vector<std::uint8_t>& copy = state.fileCopy;
        std::uint8_t chunk[4096];
        std::size_t got;
        while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
            if (copy.size() + got > kMaxFileBytes) {
                Release(state);
                return 0;
            }
            copy.insert(copy.end(), chunk, chunk + got);
        }
        bytes = copy.data();
        size = copy.size();
    }
    // Only a start-of-image marker gets as far as libjpeg.
    if (bytes == nullptr || size < 2 || bytes[0] != 0xFF || bytes[1] != 0xD8) {
        Release(state);
        return 0;
    }
    return PrepareTrapped(state, bytes, size);
}

void Decode(std::uint8_t* destination, std::size_t rowStride, int) {
    JpegState& state = State();
    if (!state.created || state.row == nullptr || destination == nullptr) {
        Release(state);
        return;
    }
    DecodeTrapped(state, destination, rowStride);
}

int Width() {
    return State().width;
}
int Height() {
    return State().height;
}

}  // namespace

void RegisterJpegDecoder() {
    static bool registered = false;
    if (registered) return;
    registered = true;
    RegisterDecoder(ImageDecoder{Recognise, Decode, Width, Height});
}

}  // namespace runtime::images
