// A game that only loads the high-score table of a folder and then saves a score into it,
// or shows it: the program the save test stops at each of its system calls in turn.
// Usage: score_save_probe FOLDER save SCORE NAME | score_save_probe FOLDER show
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "game/scores/high_scores.hpp"

int main(int argc, char** argv) {
    if (argc < 3 || chdir(argv[1]) != 0) return 2;
    const std::string command = argv[2];
    game::scores::LoadHighScores();
    if (command == "save" && argc == 5) {
        // SIGUSR1 is ignored, but a tracer sees it: the save starts here.
        std::signal(SIGUSR1, SIG_IGN);
        std::raise(SIGUSR1);
        game::scores::SaveHighScore(std::atoi(argv[3]), argv[4]);
        return 0;
    }
    if (command != "show") return 2;
    for (const game::scores::HighScoreEntry& entry : game::scores::orderedHighScores())
        std::printf("%d %s\n", int(entry.score), entry.name.c_str());
    return 0;
}
