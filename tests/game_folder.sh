# Sourced by the script tests that read a game folder: need_game_folder FOLDER ends the test
# when FOLDER has no data/level1.pak, with exit code 77 (the test's skip) or, where the run
# requires the folder (TESSALY_REQUIRE_GAME_FOLDER=1, as in scripts/test), as a failure.
need_game_folder() {
    [ -f "$1/data/level1.pak" ] && return 0
    if [ "${TESSALY_REQUIRE_GAME_FOLDER:-0}" = 1 ]; then
        echo "FAILED: no game folder at $1, and this build's tests require one"
        exit 1
    fi
    echo "SKIPPED: no game folder at $1 (build the assets)"
    exit 77
}
