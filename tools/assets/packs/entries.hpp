#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// What every pack maker hands the builder: the entries of a pack, each with what the game
// reads it into and how to make its bytes.
namespace tools::assets {

// What an entry holds, as the game's loaders tell it from the first bytes.
enum class EntryKind { Bmp, Jpeg, Wave };

// One entry of a resource pack: what the game reads it into, and how to make it.
struct EntrySpec {
    std::string target;  // e.g. "sprite 100", "texture 6", "sound 3" (shown on the contact sheet)
    EntryKind kind;
    std::function<std::vector<std::uint8_t>()> make;
};

// One pack of data/, its entries in file order.
struct PackSpec {
    std::string name;  // file name inside data/, e.g. "level1.pak"
    std::vector<EntrySpec> entries;
};

// Entry helpers for the makers.
EntrySpec Sprite(int number, std::function<std::vector<std::uint8_t>()> make,
                 EntryKind kind = EntryKind::Bmp);
EntrySpec Texture(int number, std::function<std::vector<std::uint8_t>()> make);
EntrySpec Sound(int number, std::function<std::vector<std::uint8_t>()> make);

// The sound effects, from the audio makers.
std::vector<std::uint8_t> LevelSound(int number);
std::vector<std::uint8_t> GameOverSound(int number);

}  // namespace tools::assets
