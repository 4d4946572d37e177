#include "game/scores/high_scores.hpp"

#include <algorithm>

#include "game/presentation/font.hpp"
#include "runtime/screen/screen.hpp"
#include "runtime/sprites/sprites.hpp"
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
// A new table is written beside the old one and then put in its place, so a full disk or
// a program killed while writing leaves the old table whole.
constexpr const char* kScoreTemp = "data\\number.bin.tmp";
constexpr const char* kNameTemp = "data\\name.bin.tmp";

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

// Ten lines of the file; a file that is missing, unreadable or not a plain file reads as
// ten empty lines, and so do the lines a short file lacks.
std::array<std::string, kPlaces> ReadLines(const char* fileName) {
    std::array<std::string, kPlaces> lines;
    if (OpenFileForReading(0, fileName) == 0) return lines;
    for (std::string& line : lines)
        line = ReadTextLine(kLineLimit);
    CloseFileNumber(0);
    return lines;
}

// True only when every line reached the disk.
bool WriteLines(const char* fileName, const std::array<std::string, kPlaces>& lines) {
    if (CreateFileForWriting(0, fileName) == 0) return false;
    bool written = true;
    for (const std::string& line : lines)
        written = written && WriteTextLine(line) == int(line.size()) + 2;
    return FinishFileNumber(0) == 1 && written;
}

}  // namespace

void LoadHighScores() {
    const auto scores = ReadLines(kScoreFile);
    const auto names = ReadLines(kNameFile);
    for (int i = 0; i < kPlaces; ++i) {
        // The game never writes a score below 0; a damaged file's negative number counts
        // as 0 (its minus sign has no glyph either).
        readTable[i].score = std::max<std::int32_t>(0, TextNumber(scores[i]));
        readTable[i].name = ShownName(names[i]);
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
            // Rows 600 and 601 lie below the picture and bring in nothing. The clip stays
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
    // Both files change together or not at all: a folder in the way of either is found
    // before anything is replaced.
    const bool saved = WriteLines(kScoreTemp, scoreLines) && WriteLines(kNameTemp, nameLines) &&
                       FileCanBeReplaced(kScoreFile) && FileCanBeReplaced(kNameFile) &&
                       ReplaceFile(kScoreTemp, kScoreFile) && ReplaceFile(kNameTemp, kNameFile);
    if (!saved) {
        DeleteFile(kScoreTemp);
        DeleteFile(kNameTemp);
    }
    // The table shown is always the one on the disk.
    LoadHighScores();
    DrawHighScoreTable();
}

void scrollWindowBackground(int sprite) {
    if (SelectTarget(sprite) != 0) {
        // Each copy of the sprite onto itself goes through a temporary; the last clip stays
        // on the sprite for its next drawing, on purpose.
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
