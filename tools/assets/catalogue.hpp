#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

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

// Every pack the game reads, with exactly the entries it reads, in the order it reads them.
std::vector<PackSpec> Catalogue();

// Entry helpers for the makers.
EntrySpec Sprite(int number, std::function<std::vector<std::uint8_t>()> make,
                 EntryKind kind = EntryKind::Bmp);
EntrySpec Texture(int number, std::function<std::vector<std::uint8_t>()> make);
EntrySpec Sound(int number, std::function<std::vector<std::uint8_t>()> make);

// The sound effects, from the audio makers.
std::vector<std::uint8_t> LevelSound(int number);
std::vector<std::uint8_t> GameOverSound(int number);

// The packs, one maker per pack. The play packs live in play/, the sequence packs in
// sequences/.
namespace play {
std::vector<EntrySpec> Level1Entries();
std::vector<EntrySpec> ScoreDigitEntries();
std::vector<EntrySpec> FontEntries();
std::vector<EntrySpec> BackgroundEntries(int group);  // 1: levels 1-5, 2: 6-10, 3: 11-15
}  // namespace play

namespace sequences {
std::vector<EntrySpec> WinEntries();        // pacing-choice window
std::vector<EntrySpec> LogoEntries();       // logo and introduction
std::vector<EntrySpec> IntroduceEntries();  // title menu
std::vector<EntrySpec> WatEntries();        // title animation, 30 frames
std::vector<EntrySpec> TheEndEntries();     // ending
std::vector<EntrySpec> GameOverEntries();   // game over and name entry
std::vector<EntrySpec> CreditsEntries();    // credits
}  // namespace sequences

}  // namespace tools::assets
