// Text in the bitmap font: one keyed glyph per character code, 32 pixels apart.
#include "game/presentation/font.hpp"

#include <gtest/gtest.h>

#include <filesystem>

#include "runtime/screen/screen.hpp"
#include "runtime/sprites/sprites.hpp"
#include "tests/game/presentation/headless_screen.hpp"
#include "tests/game_folder.hpp"

namespace {

using game::presentation::DrawText;
using game::presentation::LoadFont;
using runtime::screen::FillTarget;
using runtime::sprites::FindSprite;

TEST(Font, DrawsEachCharacterAsTheSpriteOfItsCodeInCellsOf32) {
    StartQuietScreen();
    for (int c = 0; c < 256; ++c)
        runtime::sprites::DiscardSprite(c);
    // Glyphs '1' to '5' in five colours, each with a black (see-through) right half.
    for (int k = 0; k < 5; ++k) {
        MakeSolidSprite('1' + k, 32, 32, 0x100000u * std::uint32_t(k + 1) + 0x40u);
        runtime::sprites::SelectTarget('1' + k);
        runtime::sprites::MakeBlankSprite(990, 16, 32);
        runtime::sprites::DrawSprite(990, 16, 0);
        runtime::sprites::SelectTarget(-1);
    }
    FillTarget(0, 0, 200);
    DrawText(470, 183, "12345");
    for (int k = 0; k < 5; ++k) {
        SCOPED_TRACE(k);
        EXPECT_EQ(ScreenColour(470 + 32 * k, 183), 0x100000u * std::uint32_t(k + 1) + 0x40u);
        EXPECT_EQ(ScreenColour(470 + 32 * k + 15, 214), 0x100000u * std::uint32_t(k + 1) + 0x40u);
        EXPECT_EQ(ScreenColour(470 + 32 * k + 16, 183), 0xC80000u);  // keyed: background
    }
    EXPECT_EQ(ScreenColour(469, 183), 0xC80000u);
    EXPECT_EQ(ScreenColour(470, 182), 0xC80000u);

    // A space, a character with no sprite and an empty text draw nothing but the space
    // and the unknown character still take their cells.
    FillTarget(0, 0, 0);
    DrawText(0, 0, "");
    DrawText(10, 300, "1 ?2");
    EXPECT_EQ(ScreenColour(10, 300), 0x100040u);
    EXPECT_EQ(ScreenColour(42, 300), 0u);
    EXPECT_EQ(ScreenColour(74, 300), 0u);
    EXPECT_EQ(ScreenColour(106, 300), 0x200040u);
    std::size_t lit = 0;
    for (const std::uint32_t p : runtime::screen::BackBuffer().pixels)
        lit += (p & 0xFFFFFFu) != 0;
    EXPECT_EQ(lit, 2u * 16 * 32);
}

TEST(Font, LoadsDigitsLettersAndABlankSpace) {
    StartQuietScreen();
    for (int c = 0; c < 256; ++c)
        runtime::sprites::DiscardSprite(c);
    const auto here = std::filesystem::current_path();
    // Without the pack only the blank space is made, and text draws nothing.
    const auto empty = std::filesystem::temp_directory_path() / "tessaly-font-test";
    std::filesystem::create_directories(empty);
    std::filesystem::current_path(empty);
    LoadFont();
    EXPECT_NE(FindSprite(' '), nullptr);
    EXPECT_EQ(FindSprite('0'), nullptr);
    FillTarget(0, 0, 0);
    DrawText(0, 0, "abc 123");
    for (const std::uint32_t p : runtime::screen::BackBuffer().pixels)
        ASSERT_EQ(p & 0xFFFFFFu, 0u);
    std::filesystem::current_path(here);

    ENTER_PLAY_FOLDER();
    LoadFont();
    std::filesystem::current_path(here);
    for (int c = 0; c < 256; ++c) {
        const bool glyph = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || c == ' ';
        EXPECT_EQ(FindSprite(c) != nullptr, glyph) << c;
    }
    const auto* space = FindSprite(' ');
    ASSERT_NE(space, nullptr);
    EXPECT_EQ(space->fullWidth, 32);
    EXPECT_EQ(space->fullHeight, 32);
    for (const std::uint32_t p : space->surface->pixels)
        ASSERT_EQ(p & 0xFFFFFFu, 0u);
}

}  // namespace
