#include "game/scores/high_scores.hpp"

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>

#include "game/presentation/font.hpp"
#include "runtime/screen/screen.hpp"
#include "runtime/sprites/sprites.hpp"
#include "runtime/support/file_set.hpp"
#include "runtime/support/files.hpp"
#include "runtime/support/text.hpp"

namespace game::scores {

using namespace runtime::support;
using runtime::sprites::DrawSprite;
using runtime::sprites::SelectTarget;
using runtime::sprites::SetSpriteClip;

namespace {

constexpr const char* kScoreFile = "data\\number.bin";
constexpr const char* kNameFile = "data\\name.bin";
// Differs: the table is saved whole behind a commit mark (docs/differences.md, High scores)
// A new table is written beside the old one and the two files are put in place together
// (runtime::support::FileSet), so a full disk or a program killed while saving leaves the
// old table or the new one, never new scores beside old names. The mark exists only while
// a save puts the files in place.
constexpr const char* kCommitMark = "data\\highscores.commit";

constexpr int kPlaces = 10;
// More than any score or name needs; the rest of a longer line is read past.
constexpr std::size_t kLineLimit = 1024;
// The name column holds ten characters before the scores begin.
constexpr std::size_t kNameLength = 10;

constexpr int kTablePicture = 200;
constexpr int kScrollerWindow = 201;

std::array<HighScoreEntry, kPlaces> readTable;  // file order
std::array<HighScoreEntry, kPlaces> orderedTable;

int scrollerRow = 0;
int scrollerDivider = 0;  // 0 to 2: the window moves every third frame
int windowPhase = 0;      // 0 to 500

// Differs: a score file's name shows only what the font draws, ten at most
// (docs/differences.md, High scores)
// The font has glyphs for digits, small letters and the space only, and any other byte
// would draw whatever sprite happens to have its number. A name from a damaged or
// hand-edited file keeps what the font can show (capitals as small letters), and no more
// characters than the name column holds. The game's own names pass unchanged.
std::string ShownName(std::string_view raw) {
    std::string name;
    for (const char c : raw) {
        if (name.size() == kNameLength) break;
        if (c >= 'A' && c <= 'Z')
            name.push_back(char(c - 'A' + 'a'));
        else if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == ' ')
            name.push_back(c);
    }
    return name;
}

runtime::support::FileSet ScoreFiles() {
    return runtime::support::FileSet({kScoreFile, kNameFile}, kCommitMark);
}

// Differs: showing the table never creates score files
// (docs/differences.md, High scores)
// Ten lines of the file; a missing file reads as ten empty lines, and so do the lines a
// short file lacks. Nothing when the file is there but cannot be read as a plain file.
std::optional<std::array<std::string, kPlaces>> ReadLines(const char* fileName) {
    std::array<std::string, kPlaces> lines;
    if (OpenFileForReading(0, fileName) == 0) {
        if (FileIsMissing(fileName)) return lines;
        return std::nullopt;
    }
    for (std::string& line : lines)
        line = ReadTextLine(kLineLimit);
    CloseFileNumber(0);
    return lines;
}

// Writes the new file of member `index` of the set; true only when every line reached the
// disk.
bool WriteLines(runtime::support::FileSet& files, std::size_t index,
                const std::array<std::string, kPlaces>& lines) {
    if (files.CreateReplacement(index, 0) == 0) return false;
    bool written = true;
    for (const std::string& line : lines)
        written = written && WriteTextLine(line) == int(line.size()) + 2;
    return FinishFileNumber(0) == 1 && written;
}

// Differs: a read-only or unreadable score file is kept as it is
// (docs/differences.md, High scores)
// Both files change together or not at all. A score file that is read-only, or there but
// unreadable (its scores never reached the table), is the player's and is kept; so is the
// table while another game is saving it.
void WriteTable(const std::array<std::string, kPlaces>& scoreLines,
                const std::array<std::string, kPlaces>& nameLines) {
    runtime::support::FileSet files = ScoreFiles();
    if (files.Hold() && files.CanReplace() && WriteLines(files, 0, scoreLines) &&
        WriteLines(files, 1, nameLines))
        files.ReplaceAll();
}

}  // namespace

void LoadHighScores() {
    std::optional<std::array<std::string, kPlaces>> scores, names;
    {
        // A save that another game is making is waited for, and one that was cut short is
        // finished first, so the two files read belong together.
        runtime::support::FileSet files = ScoreFiles();
        files.Hold();
        scores = ReadLines(kScoreFile);
        names = ReadLines(kNameFile);
    }
    // Half a table would pair its scores with names they do not belong to.
    if (!scores || !names) scores = names = std::array<std::string, kPlaces>{};
    for (int i = 0; i < kPlaces; ++i) {
        // Differs: a negative score in a damaged file counts as 0
        // (docs/differences.md, High scores)
        // The game never writes a score below 0; a damaged file's negative number counts
        // as 0 (its minus sign has no glyph either).
        readTable[i].score = std::max<std::int32_t>(0, TextNumber((*scores)[i]));
        readTable[i].name = ShownName((*names)[i]);
    }
    OrderHighScores();
}

void OrderHighScores() {
    // Highest score first; equal scores keep their file order.
    orderedTable = readTable;
    std::stable_sort(
        orderedTable.begin(), orderedTable.end(),
        [](const HighScoreEntry& a, const HighScoreEntry& b) { return a.score > b.score; });
}

const std::array<HighScoreEntry, 10>& orderedHighScores() {
    return orderedTable;
}

bool scoreQualifies(std::int32_t score) {
    return std::any_of(orderedTable.begin(), orderedTable.end(),
                       [score](const HighScoreEntry& entry) { return entry.score < score; });
}

void DrawHighScoreTable() {
    // Without the picture the text would land on the screen instead.
    if (runtime::sprites::FindSprite(kTablePicture) == nullptr) return;
    SelectTarget(kTablePicture);
    runtime::screen::FillTarget(0, 0, 0);
    for (int place = 1; place <= kPlaces; ++place) {
        const HighScoreEntry& entry = orderedTable[place - 1];
        const int y = 150 + 33 * place;
        game::presentation::DrawText(470, y, NumberText(entry.score));
        game::presentation::DrawText(130, y, entry.name);
    }
    SelectTarget(-1);
}

void makeHighScorePictures() {
    runtime::sprites::MakeBlankSprite(kTablePicture, 800, 600);
    runtime::sprites::MakeBlankSprite(kScrollerWindow, 800, 270);
    for (const int sprite : {kTablePicture, kScrollerWindow}) {
        if (SelectTarget(sprite) != 0) runtime::screen::FillTarget(0, 0, 0);
    }
    SelectTarget(-1);
    DrawHighScoreTable();
}

void StepHighScoreScroller() {
    if (++scrollerDivider == 3) {
        scrollerDivider = 0;
        ++scrollerRow;
        if (runtime::sprites::FindSprite(kScrollerWindow) != nullptr) {
            // The window moves up one row and the table's next row comes in at the bottom.
            // Kept: rows 600 and 601 lie below the picture and bring in nothing. The clip stays
            // on the window, which is then shown from its second row.
            SelectTarget(kScrollerWindow);
            SetSpriteClip(kScrollerWindow, 0, 1, 800, 270);
            DrawSprite(kScrollerWindow, 0, 0);
            SetSpriteClip(kTablePicture, 0, scrollerRow, 800, 1);
            DrawSprite(kTablePicture, 0, 269);
            SelectTarget(-1);
        }
    }
    if (scrollerRow > 600) scrollerRow = 0;
    runtime::sprites::DrawSpriteKeyed(kScrollerWindow, 0, 265);
}

void setHighScoreScrollerRow(int row) {
    scrollerRow = row;
}

void restartHighScoreScroller(int row) {
    scrollerRow = row;
    scrollerDivider = 0;
}

int highScoreScrollerRow() {
    return scrollerRow;
}

void SaveHighScore(std::int32_t score, std::string_view name) {
    std::string entered = ShownName(name);
    if (entered.empty()) entered = "unknown";
    // The new entry takes the tenth place and is written last, so it comes below an equal
    // score already in the table.
    orderedTable[kPlaces - 1] = {score, entered};
    std::array<std::string, kPlaces> scoreLines, nameLines;
    for (int i = 0; i < kPlaces; ++i) {
        scoreLines[i] = NumberText(orderedTable[i].score);
        nameLines[i] = orderedTable[i].name;
    }
    WriteTable(scoreLines, nameLines);
    // The table shown is always the one on the disk.
    LoadHighScores();
    DrawHighScoreTable();
}

namespace {

constexpr int kPanelWidth = 800;
constexpr int kPanelHeight = 268;

// One row of the turned panel: every pixel from one to its right, and the leftmost pixel
// twice at the right-hand end.
void TurnedRow(std::uint32_t* to, const std::uint32_t* from) {
    std::memcpy(to, from + 1, (kPanelWidth - 2) * sizeof(std::uint32_t));
    to[kPanelWidth - 2] = from[0];
    to[kPanelWidth - 1] = from[0];
}

// The panel turned in one pass over its pixels, with the same outcome as the four copies
// of the sprite onto itself below: up, the top row comes back as the last two rows; down,
// the bottom row comes back as the first two; each row moves one pixel to the left with
// its leftmost pixel as the last two.
bool TurnPanel(int sprite, bool up) {
    runtime::sprites::SpriteRecord* r = runtime::sprites::FindSprite(sprite);
    if (!r || !r->surface || r->fullWidth != kPanelWidth || r->fullHeight != kPanelHeight ||
        r->surface->width != kPanelWidth || r->surface->height != kPanelHeight)
        return false;
    runtime::screen::Surface& p = *r->surface;
    std::array<std::uint32_t, kPanelWidth> back;
    if (up) {
        std::memcpy(back.data(), p.Row(0), sizeof back);
        for (int y = 0; y < kPanelHeight - 2; ++y)
            TurnedRow(p.Row(y), p.Row(y + 1));
        TurnedRow(p.Row(kPanelHeight - 2), back.data());
        TurnedRow(p.Row(kPanelHeight - 1), back.data());
    } else {
        std::memcpy(back.data(), p.Row(kPanelHeight - 1), sizeof back);
        for (int y = kPanelHeight - 1; y >= 2; --y)
            TurnedRow(p.Row(y), p.Row(y - 1));
        TurnedRow(p.Row(1), back.data());
        TurnedRow(p.Row(0), back.data());
    }
    runtime::sprites::SpritePixelsChanged(sprite);
    return true;
}

}  // namespace

void scrollWindowBackground(int sprite) {
    if (TurnPanel(sprite, windowPhase < 250)) {
        // The clip the copies leave stays on the sprite for its next drawing.
        SetSpriteClip(sprite, 1, 0, kPanelWidth, kPanelHeight);
        SelectTarget(-1);
    } else if (SelectTarget(sprite) != 0) {
        // Each copy of the sprite onto itself goes through a temporary. Kept: the last clip
        // stays on the sprite for its next drawing.
        if (windowPhase < 250) {
            SetSpriteClip(sprite, 0, 0, 800, 1);
            DrawSprite(sprite, 0, 267);
            SetSpriteClip(sprite, 0, 1, 800, 268);
            DrawSprite(sprite, 0, 0);
        } else {
            SetSpriteClip(sprite, 0, 267, 800, 1);
            DrawSprite(sprite, 0, 0);
            SetSpriteClip(sprite, 0, 0, 800, 267);
            DrawSprite(sprite, 0, 1);
        }
        SetSpriteClip(sprite, 0, 0, 1, 268);
        DrawSprite(sprite, 799, 0);
        SetSpriteClip(sprite, 1, 0, 800, 268);
        DrawSprite(sprite, 0, 0);
        SelectTarget(-1);
    }
    if (++windowPhase > 500) windowPhase = 0;
}

void resetWindowPhase() {
    windowPhase = 0;
}

}  // namespace game::scores
