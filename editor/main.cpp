// The level editor: `editor [FILE.lvl]`. The launcher starts it in the game folder; a file
// manager's "Open with" gives it the file to open.
#include <gtk/gtk.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "editor/editor_window.hpp"
#include "editor/level_pictures.hpp"

namespace {

constexpr const char* kUsage =
    "Usage: editor [FILE.lvl]\n"
    "Opens the Tessaly level editor, with the level file if one is given (a name with no\n"
    "file behind it starts a new level saved under that name).\n";

}  // namespace

int main(int argc, char** argv) {
    std::string file;
    bool options = true;
    for (int i = 1; i < argc; ++i) {
        // "--" ends the options, so a level may be named "-x.lvl".
        if (options && std::strcmp(argv[i], "--") == 0) {
            options = false;
            continue;
        }
        if (options && (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0)) {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (options && std::strcmp(argv[i], "--version") == 0) {
            std::printf("Tessaly level editor %s\n", TESSALY_VERSION);
            return 0;
        }
        if ((options && argv[i][0] == '-') || !file.empty()) {
            std::fprintf(stderr, "editor: unexpected argument \"%s\"\n%s", argv[i], kUsage);
            return 2;
        }
        file = argv[i];
    }
    if (!gtk_init_check(nullptr, nullptr)) {
        std::fputs("editor: no display to open the window on\n", stderr);
        return 1;
    }
    g_set_application_name("Tessaly Level Editor");
    g_set_prgname("tessaly-editor");

    const std::string gameFolder = editor::FindGameFolder();
    editor::EditorWindow window(gameFolder, editor::LoadLevelPictures(gameFolder));
    window.OnClosed([] { gtk_main_quit(); });
    window.Show();
    if (!file.empty()) window.Open(file);
    gtk_main();
    return 0;
}
