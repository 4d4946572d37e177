// A game that only saves one replay into a folder: the program the replay save test stops
// at each of its system calls in turn.
// Usage: replay_save_probe FOLDER NAME TEXT
#include <csignal>
#include <string>

#include "game/replays/replay_folder.hpp"

int main(int argc, char** argv) {
    if (argc != 4) return 2;
    // SIGUSR1 is ignored, but a tracer sees it: the save starts here.
    std::signal(SIGUSR1, SIG_IGN);
    std::raise(SIGUSR1);
    std::string error;
    return game::replays::SaveReplay(argv[1], argv[2], argv[3], error) ? 0 : 1;
}
