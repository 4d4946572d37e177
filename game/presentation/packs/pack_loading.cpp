#include "game/presentation/packs/pack_loading.hpp"

#include "game/presentation/packs/pack.hpp"
#include "runtime/sound/sound.hpp"
#include "runtime/sprites/sprites.hpp"

namespace game::presentation {

namespace {

void Load(const PackTarget& target, const PackContent& content) {
    // Differs: a pack entry that cannot be read empties its picture
    // (docs/differences.md, Resource packs)
    // A missing, damaged or oversized entry empties its picture's number, so the phase runs
    // without that picture rather than with whatever an earlier phase left there. A sound
    // number keeps its sound, as it does for a damaged sound.
    if (!content) {
        if (target.kind != PackTarget::Sound)
            runtime::sprites::LoadSpriteFromMemory(target.number, nullptr, 0, 0);
        return;
    }
    switch (target.kind) {
        case PackTarget::Sprite:
            runtime::sprites::LoadSpriteFromMemory(target.number, content.bytes, content.size, 0);
            break;
        case PackTarget::Texture:
            runtime::sprites::LoadSpriteFromMemory(target.number, content.bytes, content.size,
                                                   runtime::sprites::Texture);
            break;
        case PackTarget::Sound:
            runtime::sound::LoadSoundFromMemory(target.number, content.bytes, content.size);
            break;
    }
}

}  // namespace

void LoadPackInto(std::string_view pack, std::span<const PackTarget> targets) {
    OpenPack(pack);
    for (const PackTarget& target : targets)
        Load(target, NextPackEntry());
    ClosePack();
}

void LoadPackSprites(std::string_view pack, int first, int count) {
    OpenPack(pack);
    for (int i = 0; i < count; ++i)
        Load({PackTarget::Sprite, first + i}, NextPackEntry());
    ClosePack();
}

}  // namespace game::presentation
