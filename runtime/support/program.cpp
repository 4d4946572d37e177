#include "runtime/support/program.hpp"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <string>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "runtime/support/directory.hpp"
#include "runtime/support/files.hpp"
#include "runtime/support/path.hpp"

extern char** environ;

namespace runtime::support {
namespace {

std::vector<std::pair<ShutdownStage, void (*)()>> releases;
bool waitsSkipped = false;
// Set from a signal handler, so it has to be an atomic that needs no lock.
std::atomic<bool> waitsCut{false};
static_assert(std::atomic<bool>::is_always_lock_free);
constexpr std::chrono::milliseconds kWaitStep{10};

}  // namespace

void WaitMilliseconds(int milliseconds) {
    // Differs: a negative wait returns at once
    // (docs/differences.md, Files, text and programs)
    if (milliseconds <= 0 || waitsSkipped) return;
    // Slept in short steps: a signal may land on another thread and not wake this one.
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (!waitsCut.load(std::memory_order_relaxed)) {
        const auto left = end - std::chrono::steady_clock::now();
        if (left <= std::chrono::steady_clock::duration::zero()) break;
        std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(left, kWaitStep));
    }
}

void CutWaitsShort() {
    waitsCut.store(true, std::memory_order_relaxed);
}

void SkipWaits(bool skip) {
    waitsSkipped = skip;
}

int StartProgram(std::string_view fileName) {
    std::string program = PlatformPath(fileName);
    if (program.empty()) return 0;
    // The program runs in the folder named before its last separator; a name without
    // one (the editor) runs in the current directory.
    const std::size_t cut = program.find_last_of('/');
    const bool hasFolder = cut != std::string::npos && cut > 0;
    return StartProgramIn(hasFolder ? program.substr(0, cut + 1) : std::string(), program, {});
}

int StartProgramIn(const std::string& folder, std::string program,
                   const std::vector<std::string>& arguments) {
    if (program.empty()) return 0;
    if (!folder.empty() && program.front() != '/') {
        // The child changes folder before it starts the program, so a relative name has
        // to be made absolute first.
        char* here = getcwd(nullptr, 0);
        if (here == nullptr) return 0;
        program = std::string(here) + "/" + program;
        free(here);
    }

    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    posix_spawn_file_actions_init(&actions);
    posix_spawnattr_init(&attributes);
    if (!folder.empty()) posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    // Differs: the editor starts with default signals and no game files
    // (docs/differences.md, Files, text and programs)
    // The new program starts with default signal handling, whatever the game set up.
    sigset_t none, all;
    sigemptyset(&none);
    sigfillset(&all);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &all);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    std::vector<std::string> words{program};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int result =
        posix_spawn(&pid, program.c_str(), &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (result != 0) return 0;

    // Nobody waits for the program, but its exit is collected so no zombie process stays.
    // If no thread can be made the program still runs; only its exit stays uncollected.
    try {
        std::thread([pid] {
            while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
            }
        }).detach();
    } catch (const std::system_error&) {
    }
    return int(pid);
}

void AddShutdownRelease(ShutdownStage stage, void (*release)()) {
    if (release == nullptr) return;
    const auto entry = std::make_pair(stage, release);
    if (std::find(releases.begin(), releases.end(), entry) != releases.end()) return;
    releases.push_back(entry);
}

void ReleaseAllServices() {
    // Taken out first, so a release that adds another one cannot disturb the walk.
    auto pending = std::move(releases);
    releases.clear();
    std::stable_sort(pending.begin(), pending.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const auto& [stage, release] : pending)
        release();
    CloseAllDirectoryScans();
    CloseAllFiles();
}

void EndProgram() {
    ReleaseAllServices();
    std::exit(0);
}

}  // namespace runtime::support
