#include <lame/lame.h>

#include <algorithm>
#include <cstring>

#include "tools/assets/audio/internal.hpp"

namespace tools::assets::audio {

std::vector<std::uint8_t> EncodeMp3(const std::vector<std::int16_t>& interleaved, int rate) {
    lame_global_flags* lame = lame_init();
    if (!lame) return {};
    lame_set_in_samplerate(lame, rate);
    lame_set_out_samplerate(lame, rate);
    lame_set_num_channels(lame, 2);
    lame_set_mode(lame, JOINT_STEREO);
    lame_set_VBR(lame, vbr_off);
    lame_set_brate(lame, 160);
    lame_set_quality(lame, 3);
    // The info tag tells players the exact length, so they can drop the encoder's delay.
    lame_set_bWriteVbrTag(lame, 1);
    lame_set_write_id3tag_automatic(lame, 0);
    if (lame_init_params(lame) < 0) {
        lame_close(lame);
        return {};
    }

    std::vector<std::uint8_t> out;
    const int chunk = 8192;  // frames per call
    std::vector<unsigned char> buffer(static_cast<std::size_t>(1.25 * chunk + 7200));
    std::vector<short> block(2 * chunk);
    const std::size_t frames = interleaved.size() / 2;
    bool failed = false;
    for (std::size_t at = 0; at < frames && !failed; at += chunk) {
        int count = static_cast<int>(std::min<std::size_t>(chunk, frames - at));
        std::copy_n(interleaved.begin() + 2 * at, 2 * count, block.begin());
        int written = lame_encode_buffer_interleaved(lame, block.data(), count, buffer.data(),
                                                     static_cast<int>(buffer.size()));
        if (written < 0)
            failed = true;
        else
            out.insert(out.end(), buffer.begin(), buffer.begin() + written);
    }
    if (!failed) {
        int written = lame_encode_flush(lame, buffer.data(), static_cast<int>(buffer.size()));
        if (written < 0)
            failed = true;
        else
            out.insert(out.end(), buffer.begin(), buffer.begin() + written);
    }
    if (!failed) {
        // The first frame was left empty for the tag, which is only known now.
        std::size_t size = lame_get_lametag_frame(lame, buffer.data(), buffer.size());
        if (size > 0 && size <= buffer.size() && size <= out.size()) {
            std::memcpy(out.data(), buffer.data(), size);
        }
    }
    lame_close(lame);
    if (failed) return {};
    return out;
}

}  // namespace tools::assets::audio
