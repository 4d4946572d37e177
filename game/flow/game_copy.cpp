#include "game/flow/game_copy.hpp"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace game::flow {
namespace {

namespace fs = std::filesystem;

std::string g_copy;

void RemoveCopy() {
    std::error_code ec;
    if (!g_copy.empty()) fs::remove_all(g_copy, ec);
}

}  // namespace

bool enterGameCopy(const std::string& folder, std::string& error) {
    std::error_code ec;
    const fs::path from = fs::absolute(folder, ec);
    std::string pattern = (fs::temp_directory_path(ec) / "tessaly-game-XXXXXX").string();
    if (ec || mkdtemp(pattern.data()) == nullptr) {
        error = "cannot make a folder for the game's copy: " + std::string(std::strerror(errno));
        return false;
    }
    g_copy = pattern;
    std::atexit(RemoveCopy);
    const fs::path to = g_copy;
    fs::create_directory(to / "data", ec);
    for (const auto& entry : fs::directory_iterator(from / "data", ec)) {
        const fs::path name = entry.path().filename();
        if (name.extension() == ".pak")
            fs::create_symlink(entry.path(), to / "data" / name, ec);
        else if (entry.is_regular_file())
            fs::copy_file(entry.path(), to / "data" / name, ec);
        if (ec) break;
    }
    for (const char* linked : {"sfx", "levels", "editor"})
        if (!ec && fs::exists(from / linked)) fs::create_symlink(from / linked, to / linked, ec);
    if (ec) {
        error = "cannot copy the game folder into " + g_copy + ": " + ec.message();
        return false;
    }
    if (chdir(g_copy.c_str()) != 0) {
        error = g_copy + ": cannot enter: " + std::strerror(errno);
        return false;
    }
    return true;
}

}  // namespace game::flow
