#include "tests/runtime/sound/test_waves.hpp"

#include <lame/lame.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>

namespace tessaly_test {
namespace {

void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out.push_back(std::uint8_t(v >> (8 * i)));
}
void Put16(std::vector<std::uint8_t>& out, std::uint16_t v) {
    out.push_back(std::uint8_t(v));
    out.push_back(std::uint8_t(v >> 8));
}
void PutTag(std::vector<std::uint8_t>& out, const std::string& tag) {
    out.insert(out.end(), tag.begin(), tag.end());
}

}  // namespace

std::vector<std::uint8_t> MakeWave(const WaveRecipe& recipe) {
    std::vector<std::uint8_t> out;
    PutTag(out, "RIFF");
    Put32(out, 0);
    PutTag(out, "WAVE");
    PutTag(out, "fmt ");
    Put32(out, 16);
    Put16(out, 1);
    Put16(out, std::uint16_t(recipe.channels));
    Put32(out, std::uint32_t(recipe.rate));
    Put32(out, std::uint32_t(recipe.rate * recipe.channels * recipe.bits / 8));
    Put16(out, std::uint16_t(recipe.channels * recipe.bits / 8));
    Put16(out, std::uint16_t(recipe.bits));
    if (!recipe.extraId.empty()) {
        PutTag(out, recipe.extraId);
        Put32(out, std::uint32_t(recipe.extraBody.size()));
        out.insert(out.end(), recipe.extraBody.begin(), recipe.extraBody.end());
        if (recipe.extraBody.size() % 2) out.push_back(0);
    }
    PutTag(out, "data");
    Put32(out, std::uint32_t(recipe.data.size()));
    out.insert(out.end(), recipe.data.begin(), recipe.data.end());
    const std::uint32_t riff = std::uint32_t(out.size() - 8);
    for (int i = 0; i < 4; ++i)
        out[std::size_t(4 + i)] = std::uint8_t(riff >> (8 * i));
    return out;
}

std::vector<std::uint8_t> Pcm16(const std::vector<std::int16_t>& samples) {
    std::vector<std::uint8_t> out;
    for (std::int16_t s : samples)
        Put16(out, std::uint16_t(s));
    return out;
}

std::vector<std::int16_t> Signature(std::size_t frames, int seed) {
    std::vector<std::int16_t> out(frames * 2);
    std::uint32_t x = 2463534242u + std::uint32_t(seed);
    for (auto& s : out) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        s = std::int16_t(1000 + (x % 20000));  // 1000..20999, never silence
    }
    return out;
}

std::vector<std::int16_t> Tone(std::size_t frames, double hertz, int peak) {
    std::vector<std::int16_t> out(frames * 2);
    for (std::size_t i = 0; i < frames; ++i) {
        out[2 * i] = out[2 * i + 1] =
            std::int16_t(std::lround(peak * std::sin(2 * M_PI * hertz * double(i) / 44100.0)));
    }
    return out;
}

bool WriteMp3(const std::string& path, double seconds, int peak) {
    lame_global_flags* lame = lame_init();
    if (lame == nullptr) return false;
    lame_set_in_samplerate(lame, 44100);
    lame_set_num_channels(lame, 1);
    lame_set_mode(lame, MONO);
    lame_set_brate(lame, 64);
    if (lame_init_params(lame) < 0) {
        lame_close(lame);
        return false;
    }
    const int count = int(seconds * 44100);
    std::vector<short> pcm(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        pcm[std::size_t(i)] = short(peak * std::sin(2 * M_PI * 440 * i / 44100.0));
    }
    std::vector<unsigned char> mp3(std::size_t(count) * 5 / 4 + 7200 + 7200);
    int size = lame_encode_buffer(lame, pcm.data(), pcm.data(), count, mp3.data(), int(mp3.size()));
    if (size >= 0) {
        const int tail = lame_encode_flush(lame, mp3.data() + size, int(mp3.size()) - size);
        size = tail >= 0 ? size + tail : -1;
    }
    lame_close(lame);
    if (size <= 0) return false;
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(mp3.data()), size);
    return bool(file);
}

std::string TempFolder(const std::string& name) {
    const auto folder = std::filesystem::temp_directory_path() /
                        ("tessaly-" + name + "-" + std::to_string(getpid()));
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    return folder.string();
}

}  // namespace tessaly_test
