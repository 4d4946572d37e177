#include "tools/headless/runner.hpp"

#include <time.h>

#include <algorithm>
#include <ostream>
#include <sstream>

#include "game/flow/session.hpp"
#include "game/levels/bricks.hpp"
#include "game/play/level_loop.hpp"
#include "game/play/play_state.hpp"
#include "game/presentation/dot_models.hpp"
#include "game/presentation/sequences/sequences.hpp"
#include "game/presentation/star_field.hpp"
#include "game/scores/high_scores.hpp"
#include "game/state/game_state.hpp"
#include "runtime/images/decoders.hpp"
#include "runtime/input/input.hpp"
#include "runtime/input/read_log.hpp"
#include "runtime/quads/quads.hpp"
#include "runtime/screen/headless/headless_display.hpp"
#include "runtime/screen/screen.hpp"
#include "runtime/sound/headless/headless_sound.hpp"
#include "runtime/sound/sound.hpp"
#include "runtime/sprites/sprites.hpp"
#include "runtime/support/program.hpp"
#include "runtime/support/random.hpp"

namespace tools::headless {

using game::play::LevelOutcome;
using game::play::Play;
using game::state::Game;
using game::state::PlayMode;

namespace {

// The sprite the --shot pictures are captured into, clear of the game's own numbers.
constexpr int kShotSprite = 990;

const char* OutcomeName(LevelOutcome outcome) {
    switch (outcome) {
        case LevelOutcome::Cleared:
            return "Cleared";
        case LevelOutcome::Lost:
            return "Lost";
        case LevelOutcome::Paused:
            return "Paused";
        case LevelOutcome::None:
            break;
    }
    return "None";
}

// Starts a game the way the full game or a level file does from the opened screen, at the
// chosen built-in level.
void StartGame(const PlayOptions& options) {
    const bool levelFile = !options.levelFile.empty();
    // Every run starts from the program's start values, so replays in one process do not
    // see what an earlier run left behind.
    game::flow::prepareGame(levelFile ? PlayMode::SingleLevel : PlayMode::FullGame,
                            options.levelFile);
    runtime::support::SeedRandom(options.seed);
    game::flow::startGame();
    if (!levelFile) Game().levelNumber = options.level;
    game::flow::setUpLevel();
    game::play::levelStart();
}

double CpuMilliseconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

}  // namespace

// Moves the paddle under the ball that will come down first, catching it with the
// paddle's left end (which turns it back left) when it is right of the bricks still to
// break, and holds the button (serve, gun and rocket).
void Autopilot() {
    const game::play::PlayState& s = Play();
    const game::play::Ball* ball = &s.ball;
    if (s.ball.active && s.ball.dy < 0) {
        for (const game::play::Ball* extra : {&s.extraA, &s.extraB})
            if (s.multiBall && extra->active && extra->dy > 0 &&
                (ball->dy < 0 || extra->y > ball->y))
                ball = extra;
    }
    int width = 52;
    if (const auto* paddle = runtime::sprites::FindSprite(s.paddleSprite))
        width = paddle->shownWidth;
    const int nextX = ball->x + ball->dx;
    // Send the ball towards the bricks still to break: the middle of those left.
    long long sum = 0;
    int count = 0;
    for (const game::levels::Brick& brick : game::levels::Bricks()) {
        if (!game::levels::IsBrickCode(brick.code) || brick.code == game::levels::kSteelBrick)
            continue;
        sum += brick.x + 15;
        ++count;
    }
    const int aimX = count > 0 ? int(sum / count) : 400;
    // A ball caught in a side wall's band turns every frame and creeps along the wall; it
    // only gets out when it leaves the paddle fast, so aim to send it into the wall.
    int want;
    if (nextX < 23 || (nextX >= aimX && nextX <= 760))
        want = nextX - 4;  // on the left end: turned back left
    else if (nextX > 760)
        want = nextX - 30;  // right of the left end: keeps going right
    else
        want = nextX + 6 - width / 2;
    want = std::clamp(want, 1, 725);
    int move = want - s.paddleX;
    if (s.reversedControls) move = -move;
    runtime::input::PostMouseMotion(move, 0);
    runtime::input::PostMouseButton(1, true);
}

bool SaveShot(const std::string& file) {
    if (runtime::sprites::CaptureSprite(kShotSprite, 0, 0, 800, 600) == 0) return false;
    const int saved = runtime::sprites::SaveSpriteBitmap(kShotSprite, file.c_str());
    runtime::sprites::DiscardSprite(kShotSprite);
    return saved == 1;
}

void Apply(const InputEvent& event) {
    if (event.kind != InputEvent::Kind::Extra) {
        runtime::input::headless::DeliverScriptEvent(event);
    } else if (event.a == runtime::input::headless::kFocusLine) {
        // As the desktop backend does: a window without the keyboard has no keys held.
        const bool focused = event.b == runtime::input::headless::kFocusIn;
        runtime::screen::headless::SetHeadlessFocus(focused);
        auto& screen = runtime::screen::State();
        if (screen.mode == runtime::screen::ScreenMode::FullScreen) screen.active = focused ? 1 : 0;
        if (!focused) runtime::input::PostAllKeysUp();
    } else if (event.a == runtime::input::headless::kCloseLine) {
        runtime::screen::State().quitRequested = true;
    }
}

bool ParseInput(std::string_view text, std::vector<InputEvent>& out, std::string& error) {
    runtime::input::headless::ScriptError why;
    if (runtime::input::headless::ReadScript(text, out, why,
                                             runtime::input::headless::WindowLines(), {1}))
        return true;
    error = "line " + std::to_string(why.line) + ": " + why.expected;
    return false;
}

void StartHeadlessRuntime() {
    static bool started = false;
    if (started) return;
    started = true;
    runtime::screen::headless::UseHeadlessDisplay(false);
    runtime::sound::headless::UseHeadlessSound(true);
    runtime::support::SkipWaits(true);
    runtime::input::SetEventPump(nullptr);
    runtime::screen::InitSpriteEngine();
    runtime::quads::InitQuadSprites();
    runtime::input::InitKeyboardInput();
    runtime::sound::InitMediaPlayer();
    runtime::input::InitMouseInput();
    runtime::sound::InitSoundOutput();
    runtime::images::RegisterJpegDecoder();
    runtime::screen::OpenFullScreen(800, 600, 32, "");
}

std::string TraceLine(std::uint64_t frame) {
    const auto& game = Game();
    const auto& s = Play();
    int capsules = 0;
    for (int i = 1; i <= game::play::kCapsuleSlots; ++i)
        capsules += s.capsules[i].active ? 1 : 0;
    std::ostringstream line;
    line << "f=" << frame << " score=" << game.score << " lives=" << game.lives
         << " bricks=" << game.bricksLeft << " level=" << game.levelNumber << " ball=" << s.ball.x
         << ',' << s.ball.y << ',' << s.ball.dx << ',' << s.ball.dy << ','
         << (s.ball.active ? 1 : 0) << " paddle=" << s.paddleX << " capsules=" << capsules;
    return line.str();
}

std::uint64_t BackBufferChecksum() {
    std::uint64_t hash = 1469598103934665603ull;
    for (const std::uint32_t pixel : runtime::screen::BackBuffer().pixels) {
        hash ^= pixel & 0xFFFFFFu;
        hash *= 1099511628211ull;
    }
    return hash;
}

PlayResult Play(const PlayOptions& options) {
    StartHeadlessRuntime();
    runtime::input::PostAllKeysUp();
    for (int button = 1; button <= 3; ++button)
        runtime::input::PostMouseButton(button, false);
    runtime::input::ReadKeyboard();
    runtime::input::ReadMouse();
    StartGame(options);

    PlayResult result;
    std::size_t next = 0;
    LevelOutcome outcome = LevelOutcome::None;
    std::uint64_t frame = 0;
    while (frame < options.frames) {
        ++frame;
        while (next < options.input.size() && options.input[next].frame <= frame)
            Apply(options.input[next++]);
        if (options.autopilot) Autopilot();
        outcome = game::play::playFrame();
        if (options.trace) *options.trace << TraceLine(frame) << '\n';
        for (const auto& shot : options.shots)
            if (shot.frame == frame && !SaveShot(shot.file)) result.shotsWritten = false;
        if (options.afterFrame) options.afterFrame(frame);
        if (outcome == LevelOutcome::Cleared) {
            // A level file is one level; the full game goes on until level 15 is done.
            if (Game().playMode == PlayMode::SingleLevel ||
                game::flow::setUpLevel() == game::flow::SetUpResult::AllLevelsDone)
                break;
            game::play::levelStart();
            outcome = LevelOutcome::None;
            continue;
        }
        if (outcome != LevelOutcome::None) break;
    }
    result.outcome = OutcomeName(outcome);
    result.frames = frame;
    result.score = Game().score;
    result.level = Game().levelNumber;
    return result;
}

namespace {

// The phases around play, timed frame by frame: the CPU time from one shown frame to the
// next, loading before a phase's first frame left out. After the wanted number of frames
// the phase's way out is held.
struct PhaseBench {
    std::vector<double>* times = nullptr;
    double last = -1;
    std::uint64_t frames = 0;
    std::uint64_t wanted = 0;
    int exitKey = 0;
} g_phaseBench;

void PhaseFrameShown() {
    PhaseBench& b = g_phaseBench;
    const double now = CpuMilliseconds();
    if (b.last >= 0) b.times->push_back(now - b.last);
    b.last = now;
    if (++b.frames >= b.wanted) runtime::input::PostKey(b.exitKey, true);
}

SceneTimes TimePhase(const char* name, void (*phase)(), int exitKey, std::uint64_t frames) {
    SceneTimes times{name, {}};
    // A button still held from play would be a click in the menu.
    runtime::input::PostMouseButton(1, false);
    runtime::input::ReadMouse();
    g_phaseBench = PhaseBench{&times.milliseconds, -1, 0, frames, exitKey};
    runtime::screen::SetFrameHook(&PhaseFrameShown);
    phase();
    runtime::screen::SetFrameHook(nullptr);
    runtime::input::PostKey(exitKey, false);
    runtime::input::ReadKeyboard();
    return times;
}

}  // namespace

std::vector<SceneTimes> Bench(std::uint64_t framesPerScene) {
    struct Scene {
        const char* name;
        int level;
        bool busy;
        bool recorded = false;  // with the game's recording of its reads on
    };
    const Scene scenes[] = {{"level1", 1, false},
                            {"level1-recorded", 1, false, true},
                            {"level7-barrier", 7, false},
                            {"level12-descent", 12, false},
                            {"busy", 1, true}};
    std::string recording;
    std::vector<SceneTimes> all;
    for (const Scene& scene : scenes) {
        PlayOptions options;
        options.level = scene.level;
        options.frames = 0;
        Play(options);  // sets the game up without running a frame
        SceneTimes times{scene.name, {}};
        auto& s = game::play::Play();
        if (scene.recorded) runtime::input::StartReadLog(recording);
        for (std::uint64_t f = 0; f < framesPerScene; ++f) {
            if (scene.busy) {
                // Everything at once: three balls, the gun, double score with the sparks.
                s.introCounter = 300;
                if (!s.multiBall && s.ball.active) {
                    s.multiBall = true;
                    s.extraA = s.ball;
                    s.extraA.dy = -5;
                    s.extraB = s.ball;
                    s.extraB.dx = -s.ball.dx;
                    s.extraB.dy = -5;
                    s.extraA.active = s.extraB.active = true;
                }
                if (s.ammunition < 2) {
                    s.gunOn = true;
                    s.ammunition = 15;
                    s.paddleSprite = 25;
                }
                if (s.gauge < 184) s.gauge = 184;
            }
            Autopilot();
            const double start = CpuMilliseconds();
            const LevelOutcome outcome = game::play::playFrame();
            times.milliseconds.push_back(CpuMilliseconds() - start);
            if (outcome != LevelOutcome::None) {
                // Play the scene's level again from its start.
                Game().lives = 3;
                Game().levelNumber = scene.level;
                game::flow::setUpLevel();
                game::play::levelStart();
            }
        }
        runtime::input::StopReadLog();
        all.push_back(std::move(times));
    }

    namespace presentation = game::presentation;
    using runtime::input::KeyEscape;
    using runtime::input::KeySpace;
    presentation::createStarField();
    presentation::createDotModels();
    const std::uint64_t n = framesPerScene;
    // The level-complete sequence follows the level scenes, whose pictures it shows; the
    // logo ends by itself after about 508 frames, the sequence after a level after 333.
    all.push_back(TimePhase("level-complete", presentation::runLevelComplete, KeySpace, n));
    all.push_back(TimePhase("logo", presentation::runLogo, KeySpace, n));
    all.push_back(TimePhase("intro", presentation::runIntro, KeySpace, n));
    all.push_back(TimePhase(
        "menu",
        [] {
            presentation::enterMenu();
            presentation::runMenu();
        },
        KeyEscape, n));
    all.push_back(TimePhase("ending", presentation::runEnding, KeyEscape, n));
    all.push_back(TimePhase("credits", presentation::runCredits, KeyEscape, n));
    all.push_back(TimePhase("game-over", game::scores::runGameOver, KeyEscape, n));
    return all;
}

}  // namespace tools::headless
