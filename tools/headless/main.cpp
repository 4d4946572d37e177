// tessaly-headless: plays the game's levels with no window and no sound device, from a
// script or with the autopilot, and times frames. See the README for the options.
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "game/flow/game_copy.hpp"
#include "game/flow/program.hpp"
#include "game/replays/replay_file.hpp"
#include "runtime/input/headless/script_input.hpp"
#include "runtime/support/path.hpp"
#include "tools/headless/game_run.hpp"

namespace fs = std::filesystem;
using tools::headless::PlayOptions;

namespace {

const char kUsage[] =
    "usage: tessaly-headless game [--data DIR] [--single PATH.lvl | --level N] [--seed S]\n"
    "                             [--input SCRIPT] [--autopilot] [--frames F]\n"
    "                             [--shot FRAME:FILE.bmp]... [--replays DIR]\n"
    "       tessaly-headless play [--data DIR] [--level N | --file PATH.lvl] [--seed S]\n"
    "                             [--frames F] [--input SCRIPT] [--autopilot]\n"
    "                             [--trace FILE] [--shot FRAME:FILE.bmp]...\n"
    "       tessaly-headless bench [--data DIR] [--frames F]\n"
    "       tessaly-headless replay FILE [--data DIR] [--shot FRAME:FILE.bmp]...\n"
    "                               [--frames-to DIR]\n"
    "       tessaly-headless --help | --version\n";

const char kCommands[] =
    "\n"
    "The real game code with no window and no sound device.\n"
    "\n"
    "game   runs the program's phases from the opened full screen, as after the pacing\n"
    "       choice: the full game, or one level file with --single. It runs in a copy of\n"
    "       the game folder, so its own scores and screenshots never change. Prints\n"
    "       \"phase=NAME f=N score=S level=V\" as each phase is entered (N frames shown so\n"
    "       far) and \"exit=0 frames=N\" last; ends when the menu's Quit is chosen or\n"
    "       after F frames.\n"
    "play   plays levels without the fixed waits from a start of three lives and score 0;\n"
    "       a cleared built-in level goes straight to the next one. Stops after F frames,\n"
    "       when the game is lost, on Escape, when a level file is cleared or after\n"
    "       level 15. Prints \"outcome=Cleared|Lost|Paused|None frames=N score=S level=V\".\n"
    "bench  plays level 1, level 7, level 12 and a busy scene with the autopilot and times\n"
    "       the phases around play; prints the CPU time per frame of each scene: median,\n"
    "       99th percentile and maximum, in milliseconds; level1-recorded is level 1\n"
    "       with the game's recording of its input on.\n"
    "replay plays a recorded game (the game's replays/ folder, docs/replays.md) again in\n"
    "       a copy of the game folder, printing its phases (f counts frames from the\n"
    "       game's start) and last \"score=S level=V frames=N recorded-score=R\"; exit\n"
    "       status 0 when the score is the recorded one, 1 when it is not (or a picture\n"
    "       could not be written), 2 when the file cannot be read as a replay.\n"
    "\n"
    "--data DIR         the game folder, with data/ and sfx/ (default: the current folder)\n"
    "--level N          built-in level 1 to 15 that every game (game) or the run (play)\n"
    "                   starts at; default 1\n"
    "--single PATH.lvl  game: plays this level file in the single-level mode\n"
    "--file PATH.lvl    play: plays this level file\n"
    "--seed S           seeds the game's random numbers, 0 to 4294967295; default 1\n"
    "--frames F         stops after F frames shown; default 100000 (bench: F frames a\n"
    "                   scene, default 3000)\n"
    "--input SCRIPT     input events from a file, one a line (below)\n"
    "--autopilot        moves the paddle under the ball and keeps the button down; in\n"
    "                   game also skips the introduction, starts games from the menu,\n"
    "                   resumes from pauses and leaves the ending, game over and credits\n"
    "--trace FILE       play: writes a line per frame: f=N score=S lives=L bricks=B\n"
    "                   level=V ball=X,Y,DX,DY,P paddle=X capsules=K (P is 1 while the\n"
    "                   ball flies, K the falling capsules)\n"
    "--shot FRAME:FILE.bmp  saves the screen after that frame; may be given again\n"
    "--replays DIR      game: records every game into DIR, as the game does in replays/\n"
    "--frames-to DIR    replay: saves every frame of the game as DIR/000001.bmp and on\n"
    "\n"
    "Script lines (\"#\" starts a comment; an event of frame N comes before that frame's\n"
    "reads in play, once N frames have been shown in game):\n"
    "  FRAME key K down|up       K a key number, a PC scan code of set 1: 1 Escape,\n"
    "                            28 Return, 31 S, 57 Space, 200 Up, 208 Down\n"
    "  FRAME mouse DX DY         mouse movement, -100000 to 100000 each\n"
    "  FRAME button B down|up    1 left, 2 right, 3 middle\n"
    "  FRAME wheel STEPS         mouse wheel steps\n"
    "  FRAME focus in|out        game: another window takes the keyboard, or gives it back\n"
    "  FRAME close               game: the player closes the window\n"
    "\n"
    "  FRAME+R ...               any line: at the R-th read after the frame's first\n"
    "                            (game and replay; play takes it as FRAME)\n"
    "\n"
    "Exit status (replay: above): 0 done; 1 a picture or the trace could not be written, or the "
    "game\n"
    "folder could not be copied; 2 wrong usage, or a game folder, level file or script\n"
    "that cannot be used (the message names it).\n";

// Wrong usage: what is wrong, then how the commands are written.
int Usage(const std::string& message) {
    std::cerr << "tessaly-headless: " << message << '\n'
              << kUsage << "(tessaly-headless --help says what each command and option does)\n";
    return 2;
}

// A file or folder that cannot be used: it is named, the usage is not in the way.
int Refuse(const std::string& message) {
    std::cerr << "tessaly-headless: " << message << '\n';
    return 2;
}

template <typename T>
bool Number(const std::string& text, T& value, T low, T high) {
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && ptr == end && value >= low && value <= high;
}

// Names given on the command line are taken from where the program was started, before
// it moves into the game folder.
std::string Absolute(const std::string& path) {
    std::error_code ec;
    const fs::path full = fs::absolute(path, ec);
    return ec ? path : full.string();
}

bool ReadWhole(const std::string& path, std::string& text, std::string& error) {
    // A script may come through a pipe; a folder would read as an empty script.
    if (const auto kind = runtime::support::KindOfPath(path);
        runtime::support::NothingToRead(kind)) {
        error = path + ": " + runtime::support::PathKindWords(kind);
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = path + ": cannot read: " + std::strerror(errno);
        return false;
    }
    std::ostringstream all;
    all << in.rdbuf();
    text = all.str();
    return true;
}

bool CheckGameFolder(const std::string& data, std::string& error) {
    using runtime::support::PathKind;
    if (const PathKind kind = runtime::support::KindOfPath(data); kind != PathKind::Folder) {
        error =
            data + ": not a game folder (it " +
            (kind == PathKind::PlainFile ? "is a file" : runtime::support::PathKindWords(kind)) +
            ")";
        return false;
    }
    // The game's own check: without data/ it would run on nothing at all. The music may be
    // missing here, as nothing is heard.
    const std::vector<std::string> missing = game::flow::missingGameFolders(data);
    if (std::find(missing.begin(), missing.end(), "data/") != missing.end()) {
        error = data + ": not a game folder (no data/ folder in " + Absolute(data) + ")";
        return false;
    }
    std::error_code ec;
    if (!fs::is_regular_file(fs::path(data) / "data" / "level1.pak", ec)) {
        error = data + ": not a game folder (data/level1.pak is missing)";
        return false;
    }
    return true;
}

bool EnterGameFolder(const std::string& data, std::string& error) {
    if (!CheckGameFolder(data, error)) return false;
    if (chdir(data.c_str()) != 0) {
        error = data + ": cannot enter: " + std::strerror(errno);
        return false;
    }
    return true;
}

bool ParseShot(const std::string& v, std::vector<tools::headless::RunOptions::Shot>& shots) {
    const std::size_t colon = v.find(':');
    std::uint64_t frame = 0;
    if (colon == std::string::npos || colon + 1 == v.size() ||
        !Number<std::uint64_t>(v.substr(0, colon), frame, 1, 100'000'000))
        return false;
    shots.push_back({frame, Absolute(v.substr(colon + 1))});
    return true;
}

bool ReadInputScript(const std::string& path, std::vector<tools::headless::InputEvent>& events,
                     std::string& error) {
    std::string text;
    if (!ReadWhole(path, text, error)) return false;
    if (tools::headless::ParseInput(text, events, error)) return true;
    error = path + ": " + error;
    return false;
}

// Only a plain file is read as a level: a pipe or a device would never end, a folder has
// no lines. What the name is instead is said.
bool CheckLevelFile(const std::string& path, std::string& error) {
    using runtime::support::PathKind;
    const PathKind kind = runtime::support::KindOfPath(path);
    const int why = errno;
    if (kind != PathKind::PlainFile) {
        error = path + ": " + runtime::support::PathKindWords(kind);
        if (kind != PathKind::Missing) error += ", not a level file";
        if (kind == PathKind::Unreachable) error += std::string(" (") + std::strerror(why) + ")";
        return false;
    }
    std::ifstream probe(path, std::ios::binary);
    if (!probe) {
        error = path + ": cannot read: " + std::strerror(errno);
        return false;
    }
    return true;
}

// How the game and play commands differ in their options: the flag that names a level
// file, the fewest frames (game shows at least one) and the trace, which play writes.
struct Command {
    const char* fileFlag;
    std::uint64_t fewestFrames;
    bool traces;
    bool records;
};
constexpr Command kGameCommand{"--single", 1, false, true};
constexpr Command kPlayCommand{"--file", 0, true, false};

// The files and folders the options name besides the run's own options.
struct Places {
    std::string data = ".";  // the game folder
    std::string trace;       // play's trace, if asked for
    std::string replays;     // game's recordings, if asked for
};

// The one option loop of game and play. The level and a level file exclude each other
// (wrong usage); the script and the level file must read. Returns the exit code of a
// refusal, or 0.
int ReadRunOptions(const std::vector<std::string>& args, const Command& command,
                   tools::headless::RunOptions& options, Places& places) {
    std::string inputPath;
    bool levelGiven = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--autopilot") {
            options.autopilot = true;
            continue;
        }
        if (i + 1 >= args.size()) return Usage("missing value after " + a);
        const std::string& v = args[++i];
        if (a == "--data") {
            places.data = v;
        } else if (a == "--level") {
            if (!Number(v, options.level, 1, 15))
                return Usage("--level takes a level from 1 to 15");
            levelGiven = true;
        } else if (a == "--seed") {
            if (!Number<std::uint32_t>(v, options.seed, 0, 0xFFFFFFFFu))
                return Usage("--seed takes a number from 0 to 4294967295");
        } else if (a == "--frames") {
            if (!Number<std::uint64_t>(v, options.frames, command.fewestFrames, 100'000'000))
                return Usage("--frames takes a number from " +
                             std::to_string(command.fewestFrames) + " to 100000000");
        } else if (a == "--input") {
            inputPath = v;
        } else if (a == "--shot") {
            if (!ParseShot(v, options.shots))
                return Usage("--shot takes FRAME:FILE.bmp with FRAME 1 or more");
        } else if (a == command.fileFlag) {
            options.levelFile = Absolute(v);
        } else if (a == "--trace" && command.traces) {
            places.trace = Absolute(v);
        } else if (a == "--replays" && command.records) {
            places.replays = Absolute(v);
        } else {
            return Usage("unknown option " + a);
        }
    }
    if (levelGiven && !options.levelFile.empty())
        return Usage(std::string("--level and ") + command.fileFlag + " cannot be used together");
    std::string error;
    if (!inputPath.empty() && !ReadInputScript(inputPath, options.input, error))
        return Refuse(error);
    if (!options.levelFile.empty() && !CheckLevelFile(options.levelFile, error))
        return Refuse(error);
    return 0;
}

int RunGame(const std::vector<std::string>& args) {
    tools::headless::GameOptions options;
    Places places;
    if (const int refused = ReadRunOptions(args, kGameCommand, options, places)) return refused;
    std::string error;
    if (!CheckGameFolder(places.data, error)) return Refuse(error);
    if (!game::flow::enterGameCopy(places.data, error)) {
        std::cerr << "tessaly-headless: " << error << '\n';
        return 1;
    }
    options.out = &std::cout;
    options.replays = places.replays;
    tools::headless::RunGame(options);
}

int RunReplay(const std::vector<std::string>& args) {
    tools::headless::ReplayOptions options;
    std::string data = ".";
    std::string path;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (!a.starts_with("--")) {
            if (!path.empty()) return Usage("replay takes one file");
            path = a;
            continue;
        }
        if (i + 1 >= args.size()) return Usage("missing value after " + a);
        const std::string& v = args[++i];
        if (a == "--data") {
            data = v;
        } else if (a == "--shot") {
            if (!ParseShot(v, options.shots))
                return Usage("--shot takes FRAME:FILE.bmp with FRAME 1 or more");
        } else if (a == "--frames-to") {
            options.framesFolder = Absolute(v);
        } else {
            return Usage("unknown option " + a);
        }
    }
    if (path.empty()) return Usage("replay needs the recorded game's file");
    std::string text;
    std::string error;
    std::error_code ec;
    if (const auto size = fs::file_size(path, ec); !ec && size > game::replays::kLargestReplayFile)
        return Refuse(path + ": not a replay (" + std::to_string(size) +
                      " bytes is far too large)");
    if (!ReadWhole(path, text, error)) return Refuse(error);
    game::replays::Replay replay;
    game::replays::ReplayError why;
    if (!game::replays::ReadReplay(text, replay, why))
        return Refuse(path + ": line " + std::to_string(why.line) + ": " + why.what);
    runtime::input::headless::ScriptError bad;
    if (!runtime::input::headless::ReadScript(replay.input, options.input, bad,
                                              runtime::input::headless::WindowLines(),
                                              {0, replay.end.frames, replay.inputFirstLine}))
        return Refuse(path + ": line " + std::to_string(bad.line) + ": " + bad.expected);
    if (!options.framesFolder.empty()) {
        fs::create_directories(options.framesFolder, ec);
        if (!fs::is_directory(options.framesFolder, ec))
            return Refuse(options.framesFolder + ": cannot make the folder for the frames");
    }
    if (!CheckGameFolder(data, error)) return Refuse(error);
    if (!game::flow::enterGameCopy(data, error)) {
        std::cerr << "tessaly-headless: " << error << '\n';
        return 1;
    }
    if (replay.header.mode == game::state::PlayMode::SingleLevel) {
        options.levelFilePath = (fs::current_path(ec) / "replayed.lvl").string();
        std::ofstream level(options.levelFilePath, std::ios::binary | std::ios::trunc);
        level << game::replays::LevelFileText(replay.header.levelLines);
        if (!level.flush()) return Refuse(options.levelFilePath + ": cannot write the level file");
    }
    options.replay = &replay;
    options.out = &std::cout;
    tools::headless::RunReplay(options);
}

int RunBench(const std::vector<std::string>& args) {
    std::string data = ".";
    std::uint64_t frames = 3000;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (i + 1 >= args.size()) return Usage("missing value after " + a);
        const std::string& v = args[++i];
        if (a == "--data") {
            data = v;
        } else if (a == "--frames") {
            if (!Number<std::uint64_t>(v, frames, 1, 10'000'000))
                return Usage("--frames takes a number from 1 to 10000000");
        } else {
            return Usage("unknown option " + a);
        }
    }
    std::string error;
    if (!EnterGameFolder(data, error)) return Refuse(error);
    std::printf("CPU time per frame, %llu frames a scene (ms)\n", (unsigned long long)frames);
    std::printf("%-18s %10s %10s %10s\n", "scene", "median", "p99", "max");
    for (auto& scene : tools::headless::Bench(frames)) {
        auto& t = scene.milliseconds;
        std::sort(t.begin(), t.end());
        const double median = t[t.size() / 2];
        const double p99 = t[std::min(t.size() - 1, t.size() * 99 / 100)];
        std::printf("%-18s %10.3f %10.3f %10.3f\n", scene.scene.c_str(), median, p99, t.back());
    }
    return 0;
}

int RunPlay(const std::vector<std::string>& args) {
    PlayOptions options;
    Places places;
    if (const int refused = ReadRunOptions(args, kPlayCommand, options, places)) return refused;
    const std::string& tracePath = places.trace;
    std::string error;
    std::ofstream trace;
    if (!tracePath.empty()) {
        trace.open(tracePath, std::ios::binary | std::ios::trunc);
        if (!trace) return Refuse(tracePath + ": cannot write: " + std::strerror(errno));
        options.trace = &trace;
    }
    if (!EnterGameFolder(places.data, error)) return Refuse(error);

    const auto result = tools::headless::Play(options);
    if (options.trace) {
        trace.flush();
        if (!trace) {
            std::cerr << "tessaly-headless: " << tracePath << ": write failed\n";
            return 1;
        }
    }
    std::printf("outcome=%s frames=%llu score=%d level=%d\n", result.outcome.c_str(),
                (unsigned long long)result.frames, result.score, result.level);
    if (!result.shotsWritten) {
        std::cerr << "tessaly-headless: a --shot picture could not be written\n";
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    // Help is given wherever it is asked for, as the other tools do.
    for (const std::string& arg : args) {
        if (arg == "--help" || arg == "-h") {
            std::cout << kUsage << kCommands;
            return 0;
        }
        if (arg == "--version") {
            std::cout << "tessaly-headless " << TESSALY_VERSION << '\n';
            return 0;
        }
    }
    if (args.empty()) return Usage("no command given");
    const std::string command = args.front();
    args.erase(args.begin());
    if (command == "play") return RunPlay(args);
    if (command == "bench") return RunBench(args);
    if (command == "game") return RunGame(args);
    if (command == "replay") return RunReplay(args);
    return Usage("unknown command " + command);
}
