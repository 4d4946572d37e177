#include "runtime/sound/wave.hpp"

#include <cstring>

#include "runtime/support/bytes.hpp"
namespace runtime::sound {
namespace {

using runtime::support::ReadLe16;
using runtime::support::ReadLe32;

bool Tag(const std::uint8_t* p, const char* tag) {
    return std::memcmp(p, tag, 4) == 0;
}

constexpr std::uint16_t FormatPcm = 1;
constexpr std::uint16_t FormatExtensible = 0xFFFE;

// Rates outside this range are not sounds anyone made on purpose; refusing them also keeps
// the conversion to the output rate from blowing up a tiny file into a huge one.
constexpr std::uint32_t LowestRate = 1000;
constexpr std::uint32_t HighestRate = 384000;

}  // namespace

bool ParseWave(const std::uint8_t* bytes, std::size_t size, Wave& wave) {
    if (bytes == nullptr || size < 20) return false;
    if (!Tag(bytes, "RIFF") || !Tag(bytes + 8, "WAVE") || !Tag(bytes + 12, "fmt ")) return false;

    const std::uint32_t fmtSize = ReadLe32(bytes + 16);
    if (fmtSize < 16 || fmtSize > size - 20) return false;
    const std::uint8_t* fmt = bytes + 20;
    std::uint16_t tag = ReadLe16(fmt);
    if (tag == FormatExtensible && fmtSize >= 40) tag = ReadLe16(fmt + 24);  // sub-format GUID
    const std::uint16_t channels = ReadLe16(fmt + 2);
    const std::uint32_t rate = ReadLe32(fmt + 4);
    const std::uint16_t bits = ReadLe16(fmt + 14);
    if (tag != FormatPcm || (channels != 1 && channels != 2) || (bits != 8 && bits != 16) ||
        rate < LowestRate || rate > HighestRate) {
        return false;
    }

    // Differs: extra blocks before the samples are stepped over
    // (docs/differences.md, Sound and music)
    // Chunks are word-aligned; anything between "fmt " and "data" (LIST, fact, ...) is
    // stepped over rather than played as noise.
    std::size_t pos = 20 + std::size_t(fmtSize) + (fmtSize & 1);
    while (pos <= size && size - pos >= 8) {
        const std::uint32_t chunkSize = ReadLe32(bytes + pos + 4);
        const std::size_t body = pos + 8;
        if (chunkSize > size - body) return false;  // a chunk running past the end
        if (Tag(bytes + pos, "data")) {
            const std::size_t frameBytes = std::size_t(channels) * (bits / 8);
            const std::size_t whole = chunkSize - chunkSize % frameBytes;
            if (whole == 0) return false;
            wave.channels = channels;
            wave.rate = int(rate);
            wave.bits = bits;
            wave.samples = bytes + body;
            wave.size = whole;
            return true;
        }
        pos = body + chunkSize + (chunkSize & 1);
    }
    return false;
}

namespace {

int SampleAt(const Wave& wave, std::size_t frame, int channel) {
    const int c = wave.channels == 2 ? channel : 0;
    if (wave.bits == 8) {
        return (int(wave.samples[frame * std::size_t(wave.channels) + std::size_t(c)]) - 128) * 256;
    }
    const std::uint8_t* p =
        wave.samples + (frame * std::size_t(wave.channels) + std::size_t(c)) * 2;
    return std::int16_t(ReadLe16(p));
}

}  // namespace

std::vector<std::int16_t> ConvertWave(const Wave& wave, int rate) {
    std::vector<std::int16_t> out;
    if (wave.samples == nullptr || wave.channels < 1 || wave.rate <= 0 || rate <= 0) return out;
    const std::size_t frames =
        wave.size / (std::size_t(wave.channels) * std::size_t(wave.bits / 8));
    if (frames == 0) return out;

    if (wave.rate == rate) {
        out.resize(frames * 2);
        for (std::size_t f = 0; f < frames; ++f) {
            out[f * 2] = std::int16_t(SampleAt(wave, f, 0));
            out[f * 2 + 1] = std::int16_t(SampleAt(wave, f, 1));
        }
        return out;
    }

    // Linear interpolation between neighbouring source frames, positions in 32.32 fixed
    // point so long sounds do not drift.
    const std::uint64_t outFrames =
        (std::uint64_t(frames) * std::uint64_t(rate) + std::uint64_t(wave.rate) - 1) /
        std::uint64_t(wave.rate);
    const std::uint64_t step = (std::uint64_t(wave.rate) << 32) / std::uint64_t(rate);
    out.resize(std::size_t(outFrames) * 2);
    std::uint64_t position = 0;
    for (std::size_t f = 0; f < outFrames; ++f, position += step) {
        const std::size_t i = std::size_t(position >> 32);
        const std::int64_t fraction = std::int64_t(position & 0xFFFFFFFFu);
        const std::size_t j = i + 1 < frames ? i + 1 : i;
        for (int c = 0; c < 2; ++c) {
            const std::int64_t a = SampleAt(wave, i < frames ? i : frames - 1, c);
            const std::int64_t b = SampleAt(wave, j, c);
            out[f * 2 + std::size_t(c)] = std::int16_t(a + (((b - a) * fraction) >> 32));
        }
    }
    return out;
}

}  // namespace runtime::sound
