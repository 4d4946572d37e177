#include "runtime/images/decoders.hpp"

#include <unistd.h>

#include <cstdio>
#include <string>

#include "runtime/support/path.hpp"
#include "runtime/support/regular_file.hpp"

namespace runtime::images {
namespace {

DecoderRegistry& Registry() {
    static DecoderRegistry registry;
    return registry;
}

// The file FindDecoder opened for the current decoder; DecodeWithCurrent closes it.
std::FILE*& OpenFile() {
    static std::FILE* file = nullptr;
    return file;
}

void CloseOpenFile() {
    if (OpenFile() != nullptr) {
        std::fclose(OpenFile());
        OpenFile() = nullptr;
    }
}

}  // namespace

const DecoderRegistry& Decoders() {
    return Registry();
}

void RegisterDecoder(const ImageDecoder& decoder) {
    Registry().decoders.push_back(decoder);
}

int FindDecoder(const char* fileName, const std::uint8_t* bytes, std::size_t size) {
    DecoderRegistry& registry = Registry();
    // A file left open by a find that was never followed by a decode is not needed any more.
    CloseOpenFile();
    registry.current = -1;

    if (fileName != nullptr) {
        // Differs: a picture is read only from a regular file (docs/differences.md, Pictures)
        // Only a regular file: a pipe in a picture's place would hold the game up for ever.
        const int fd = runtime::support::OpenRegularFile(runtime::support::PlatformPath(fileName));
        if (fd < 0) return 0;
        std::FILE* file = ::fdopen(fd, "rb");
        if (file == nullptr) {
            ::close(fd);
            return 0;
        }
        for (std::size_t i = 0; i < registry.decoders.size(); ++i) {
            std::rewind(file);
            if (registry.decoders[i].recognise(file, nullptr, 0) != 0) {
                registry.current = int(i);
                OpenFile() = file;
                return 1;
            }
        }
        std::fclose(file);
        return 0;
    }

    if (bytes == nullptr || size == 0) return 0;
    for (std::size_t i = 0; i < registry.decoders.size(); ++i) {
        if (registry.decoders[i].recognise(nullptr, bytes, size) != 0) {
            registry.current = int(i);
            return 1;
        }
    }
    return 0;
}

void DecodeWithCurrent(std::uint8_t* destination, std::size_t rowStride, int flags) {
    DecoderRegistry& registry = Registry();
    if (registry.current >= 0) {
        registry.decoders[std::size_t(registry.current)].decode(destination, rowStride, flags);
    }
    CloseOpenFile();
}

int CurrentWidth() {
    const DecoderRegistry& registry = Registry();
    return registry.current < 0 ? 0 : registry.decoders[std::size_t(registry.current)].width();
}

int CurrentHeight() {
    const DecoderRegistry& registry = Registry();
    return registry.current < 0 ? 0 : registry.decoders[std::size_t(registry.current)].height();
}

}  // namespace runtime::images
