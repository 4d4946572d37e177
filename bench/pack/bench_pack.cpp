// Pack compression against zlib level 9 on the same contents, in the same run: stored size
// and decode speed. Uses the entries of build/game/data/*.pak when the assets are built,
// otherwise pictures and a sound made here in the game's style.

#include <benchmark/benchmark.h>
#include <zlib.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "game/presentation/packs/pack.hpp"
#include "tools/pack/pack_writer.hpp"

namespace {

using Bytes = std::vector<std::uint8_t>;

struct Sample {
    std::string name;
    Bytes content;
};

void PutLe(Bytes* out, std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out->push_back(std::uint8_t(v >> (8 * i)));
}

Bytes BmpHeader(int width, int height) {
    const int row = (width * 3 + 3) & ~3;
    Bytes bmp = {'B', 'M'};
    PutLe(&bmp, 54 + row * height, 4);
    PutLe(&bmp, 0, 4);
    PutLe(&bmp, 54, 4);
    PutLe(&bmp, 40, 4);
    PutLe(&bmp, width, 4);
    PutLe(&bmp, height, 4);
    PutLe(&bmp, 1 | 24 << 16, 4);
    for (int i = 0; i < 6; ++i)
        PutLe(&bmp, 0, 4);
    return bmp;
}

template <typename Pixel>
Bytes Bmp(int width, int height, Pixel pixel) {
    Bytes bmp = BmpHeader(width, height);
    for (int y = height - 1; y >= 0; --y) {
        for (int x = 0; x < width; ++x) {
            auto [r, g, b] = pixel(x, y);
            bmp.push_back(std::uint8_t(std::clamp(b, 0, 255)));
            bmp.push_back(std::uint8_t(std::clamp(g, 0, 255)));
            bmp.push_back(std::uint8_t(std::clamp(r, 0, 255)));
        }
        for (int pad = width * 3; pad % 4 != 0; ++pad)
            bmp.push_back(0);
    }
    return bmp;
}

struct Rgb {
    int r, g, b;
};

// A menu background: a diagonal gradient, bevelled panels and two soft glows.
Bytes Background() {
    return Bmp(800, 600, [](int x, int y) {
        double t = (x + y) / 1400.0;
        double glow = std::max(0.0, 1.0 - std::hypot(x - 220, y - 160) / 180.0) +
                      std::max(0.0, 1.0 - std::hypot(x - 600, y - 420) / 140.0);
        Rgb c{int(10 + 40 * t + 200 * glow * glow), int(20 + 60 * t + 120 * glow * glow),
              int(60 + 120 * t + 80 * glow)};
        for (auto [x0, y0, x1, y1] :
             {std::array<int, 4>{100, 380, 360, 520}, std::array<int, 4>{450, 60, 740, 200}}) {
            if (x >= x0 && x < x1 && y >= y0 && y < y1) {
                int edge = std::min({x - x0, x1 - 1 - x, y - y0, y1 - 1 - y});
                bool light = (x - x0 < 4 || y - y0 < 4) && edge < 4;
                int shade = edge < 4 ? (light ? 200 : 50) : 110 + (y - y0) / 3;
                c = {shade, shade, shade + 20};
            }
        }
        return c;
    });
}

// A sprite strip: 17 bricks of 30 x 27 with shaded faces on a black background.
Bytes SpriteStrip() {
    return Bmp(510, 27, [](int x, int y) {
        int cell = x % 30, brick = x / 30;
        if (cell < 2 || cell > 27 || y < 1 || y > 25) return Rgb{0, 0, 0};
        int base = 90 + (brick * 37) % 120;
        int shade = (cell < 5 || y < 4) ? 60 : (cell > 24 || y > 22) ? -50 : (y * 2 - cell);
        return Rgb{base + shade, (base * 2) % 200 + shade, 255 - base + shade};
    });
}

// JPEG data is close to noise once past its tables.
Bytes JpegLike() {
    Bytes jpeg = {0xFF, 0xD8, 0xFF, 0xE0};
    std::mt19937 random(11);
    for (int i = 0; i < 60000; ++i) {
        std::uint8_t b = std::uint8_t(random());
        jpeg.push_back(b);
        if (b == 0xFF) jpeg.push_back(0);
    }
    jpeg.push_back(0xFF);
    jpeg.push_back(0xD9);
    return jpeg;
}

// A short effect: a decaying tone with some noise, 16-bit mono.
Bytes Wave() {
    const int samples = 22050;
    Bytes wave = {'R', 'I', 'F', 'F'};
    PutLe(&wave, 36 + samples * 2, 4);
    for (char c : std::string("WAVEfmt "))
        wave.push_back(std::uint8_t(c));
    PutLe(&wave, 16, 4);
    PutLe(&wave, 1 | 1 << 16, 4);
    PutLe(&wave, 22050, 4);
    PutLe(&wave, 44100, 4);
    PutLe(&wave, 2 | 16 << 16, 4);
    for (char c : std::string("data"))
        wave.push_back(std::uint8_t(c));
    PutLe(&wave, samples * 2, 4);
    std::mt19937 random(3);
    for (int i = 0; i < samples; ++i) {
        double v = 12000 * std::exp(-i / 6000.0) * std::sin(i * 0.05 * (1 + i / 40000.0));
        PutLe(&wave, std::uint32_t(std::int16_t(int(v) + int(random() % 64) - 32)) & 0xFFFF, 2);
    }
    return wave;
}

std::vector<Sample> LoadSamples() {
    std::vector<Sample> samples;
    namespace fs = std::filesystem;
    fs::path data = fs::path(TESSALY_GAME_DIR) / "data";
    std::error_code ec;
    if (fs::is_directory(data, ec)) {
        std::vector<fs::path> packs;
        for (const auto& file : fs::directory_iterator(data, ec)) {
            if (file.path().extension() == ".pak") packs.push_back(file.path());
        }
        std::sort(packs.begin(), packs.end());
        // All entries of a pack as one sample, so the figures stay readable.
        for (const fs::path& pack : packs) {
            game::presentation::PackScanner scanner;
            if (!scanner.Open(pack.string())) continue;
            Sample sample{pack.filename().string(), {}};
            std::vector<Bytes> entries;
            for (;;) {
                auto entry = scanner.Next();
                if (entry.step == game::presentation::PackStep::End) break;
                if (entry.step != game::presentation::PackStep::Entry) continue;
                sample.content.insert(sample.content.end(), entry.content.bytes,
                                      entry.content.bytes + entry.content.size);
            }
            if (!sample.content.empty()) samples.push_back(std::move(sample));
        }
    }
    if (samples.empty()) {
        samples.push_back({"background_800x600_bmp", Background()});
        samples.push_back({"sprite_strip_510x27_bmp", SpriteStrip()});
        samples.push_back({"jpeg_like", JpegLike()});
        samples.push_back({"wave_16bit", Wave()});
    }
    return samples;
}

Bytes Zlib9(const Bytes& content) {
    uLongf size = compressBound(uLong(content.size()));
    Bytes out(size);
    compress2(out.data(), &size, content.data(), uLong(content.size()), 9);
    out.resize(size);
    return out;
}

void SetSizes(benchmark::State& state, const Bytes& content, std::size_t ours, std::size_t zlib) {
    state.counters["original"] = double(content.size());
    state.counters["ours"] = double(ours);
    state.counters["zlib9"] = double(zlib);
    state.counters["ours/zlib9"] = double(ours) / double(zlib);
}

// The stored size the game would see: a block, or the raw content when that is not smaller.
std::size_t StoredSize(const Bytes& content, const Bytes& block) {
    return std::min(block.size(), content.size());
}

void RegisterSample(const Sample& sample) {
    const Bytes& content = sample.content;
    Bytes block = tools::pack::CompressBlock(content);
    Bytes deflated = Zlib9(content);
    std::size_t ours = StoredSize(content, block);

    benchmark::RegisterBenchmark(("Compress/ours/" + sample.name).c_str(),
                                 [content, ours, deflated](benchmark::State& state) {
                                     for (auto _ : state) {
                                         Bytes b = tools::pack::CompressBlock(content);
                                         benchmark::DoNotOptimize(b.data());
                                     }
                                     state.SetBytesProcessed(std::int64_t(state.iterations()) *
                                                             std::int64_t(content.size()));
                                     SetSizes(state, content, ours, deflated.size());
                                 })
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("Compress/zlib9/" + sample.name).c_str(),
                                 [content, ours, deflated](benchmark::State& state) {
                                     for (auto _ : state) {
                                         Bytes b = Zlib9(content);
                                         benchmark::DoNotOptimize(b.data());
                                     }
                                     state.SetBytesProcessed(std::int64_t(state.iterations()) *
                                                             std::int64_t(content.size()));
                                     SetSizes(state, content, ours, deflated.size());
                                 })
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("Decode/ours/" + sample.name).c_str(),
                                 [content, block, ours, deflated](benchmark::State& state) {
                                     Bytes out(content.size());
                                     for (auto _ : state) {
                                         std::size_t n = game::presentation::UnpackBlock(
                                             block.data(), block.size(), out.data(), out.size());
                                         benchmark::DoNotOptimize(n);
                                     }
                                     if (out != content) state.SkipWithError("decoded wrong");
                                     state.SetBytesProcessed(std::int64_t(state.iterations()) *
                                                             std::int64_t(content.size()));
                                     SetSizes(state, content, ours, deflated.size());
                                 })
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark(("Decode/zlib9/" + sample.name).c_str(), [content, ours, deflated](
                                                                              benchmark::State&
                                                                                  state) {
        Bytes out(content.size());
        for (auto _ : state) {
            uLongf size = uLongf(out.size());
            uncompress(out.data(), &size, deflated.data(), uLong(deflated.size()));
            benchmark::DoNotOptimize(size);
        }
        if (out != content) state.SkipWithError("decoded wrong");
        state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(content.size()));
        SetSizes(state, content, ours, deflated.size());
    })->Unit(benchmark::kMicrosecond);
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    for (const Sample& sample : LoadSamples())
        RegisterSample(sample);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
