#include "editor/file_actions.hpp"

#include <filesystem>
#include <optional>
#include <utility>

#include "editor/level_files.hpp"
#include "editor/status_text.hpp"
#include "runtime/support/program.hpp"

namespace editor {

namespace fs = std::filesystem;

namespace {

// Runs then once the dialog gives a file name; the dialog goes either way.
void WhenFileChosen(GtkWidget* dialog, std::function<void(std::string)> then) {
    auto* pending = new std::function<void(std::string)>(std::move(then));
    g_signal_connect_data(
        dialog, "response", G_CALLBACK(+[](GtkDialog* d, int response, gpointer data) {
            // Taken before the dialog goes, and its handler data with it.
            const auto next = *static_cast<std::function<void(std::string)>*>(data);
            std::string chosen;
            if (response == GTK_RESPONSE_ACCEPT) {
                if (gchar* name = gtk_file_chooser_get_filename(GTK_FILE_CHOOSER(d))) {
                    chosen = name;
                    g_free(name);
                }
            }
            gtk_widget_destroy(GTK_WIDGET(d));
            if (!chosen.empty()) next(chosen);
        }),
        pending,
        +[](gpointer data, GClosure*) {
            delete static_cast<std::function<void(std::string)>*>(data);
        },
        GConnectFlags(0));
    gtk_widget_show(dialog);
}

// The game program for a game folder: the one in it, else the one beside the editor (an
// installed editor runs in the player's own game folder, which holds no program).
fs::path GameProgram(const std::string& gameFolder) {
    std::error_code ec;
    const fs::path inFolder = fs::path(gameFolder) / "tessaly";
    if (fs::is_regular_file(inFolder, ec)) return inFolder;
    const fs::path editor = fs::read_symlink("/proc/self/exe", ec);
    return ec ? inFolder : editor.parent_path() / "tessaly";
}

}  // namespace

FileActions::FileActions(std::string gameFolder, LevelDocument& document, Hooks hooks)
    : gameFolder_(std::move(gameFolder)), document_(document), hooks_(std::move(hooks)) {}

void FileActions::ShowError(const std::string& headline, const std::string& detail) {
    GtkWidget* dialog = gtk_message_dialog_new(
        parent_, GtkDialogFlags(GTK_DIALOG_MODAL | GTK_DIALOG_DESTROY_WITH_PARENT),
        GTK_MESSAGE_ERROR, GTK_BUTTONS_CLOSE, "%s", headline.c_str());
    gtk_message_dialog_format_secondary_text(GTK_MESSAGE_DIALOG(dialog), "%s", detail.c_str());
    g_signal_connect(dialog, "response", G_CALLBACK(gtk_widget_destroy), nullptr);
    gtk_widget_show(dialog);
}

// Where the file dialogs start: the level's own folder, else the game's levels/.
std::string FileActions::StartFolder() const {
    std::error_code ec;
    if (!path_.empty()) {
        const fs::path folder = fs::absolute(path_, ec).parent_path();
        if (!ec && fs::is_directory(folder, ec)) return folder.string();
    }
    const fs::path levelsFolder = fs::path(gameFolder_) / "levels";
    if (fs::is_directory(levelsFolder, ec)) return levelsFolder.string();
    return gameFolder_;
}

GtkWidget* FileActions::FileDialog(const char* title, GtkFileChooserAction action,
                                   const char* accept) {
    GtkWidget* dialog =
        gtk_file_chooser_dialog_new(title, parent_, action, "_Cancel", GTK_RESPONSE_CANCEL, accept,
                                    GTK_RESPONSE_ACCEPT, nullptr);
    gtk_window_set_modal(GTK_WINDOW(dialog), TRUE);
    gtk_window_set_destroy_with_parent(GTK_WINDOW(dialog), TRUE);
    GtkFileFilter* levelFiles = gtk_file_filter_new();
    gtk_file_filter_set_name(levelFiles, "Level files (*.lvl)");
    gtk_file_filter_add_pattern(levelFiles, "*.lvl");
    gtk_file_chooser_add_filter(GTK_FILE_CHOOSER(dialog), levelFiles);
    GtkFileFilter* all = gtk_file_filter_new();
    gtk_file_filter_set_name(all, "All files");
    gtk_file_filter_add_pattern(all, "*");
    gtk_file_chooser_add_filter(GTK_FILE_CHOOSER(dialog), all);
    gtk_file_chooser_set_current_folder(GTK_FILE_CHOOSER(dialog), StartFolder().c_str());
    return dialog;
}

bool FileActions::SaveTo(const std::string& target) {
    std::string error;
    if (!SaveLevel(document_, target, error)) {
        ShowError("The level could not be saved.", error);
        return false;
    }
    path_ = target;
    document_.MarkSaved();
    hooks_.saved();
    return true;
}

void FileActions::SaveAs(std::function<void()> then) {
    GtkWidget* dialog = FileDialog("Save Level As", GTK_FILE_CHOOSER_ACTION_SAVE, "_Save");
    gtk_file_chooser_set_do_overwrite_confirmation(GTK_FILE_CHOOSER(dialog), TRUE);
    gtk_file_chooser_set_current_name(GTK_FILE_CHOOSER(dialog),
                                      path_.empty() ? "my_level.lvl" : LevelName(path_).c_str());
    WhenFileChosen(dialog, [this, then = std::move(then)](std::string chosen) {
        // A name typed without an ending gets the one the launcher lists.
        if (fs::path(chosen).extension().empty()) chosen += ".lvl";
        if (SaveTo(chosen) && then) then();
    });
}

void FileActions::Save(std::function<void()> then) {
    hooks_.takeTyping();
    if (path_.empty()) {
        SaveAs(std::move(then));
        return;
    }
    if (SaveTo(path_) && then) then();
}

// Differs: the editor's Play starts the game on the level (docs/differences.md, Launcher)
void FileActions::Play() {
    Save([this] { StartGame(); });
}

void FileActions::StartGame() {
    std::error_code ec;
    const fs::path level = fs::absolute(path_, ec);
    const fs::path program = GameProgram(gameFolder_);
    // The game runs in its game folder; the level's name is whole, so it is found from there.
    if (ec ||
        runtime::support::StartProgramIn(gameFolder_, program.string(), {level.string()}) == 0)
        ShowError("The game could not be started.",
                  program.string() + " could not be run in " + gameFolder_ + ".");
}

void FileActions::WhenChangesSettled(const char* discardLabel, std::function<void()> then) {
    if (!document_.Modified()) {
        then();
        return;
    }
    const std::string name = LevelName(path_);
    GtkWidget* dialog = gtk_message_dialog_new(
        parent_, GtkDialogFlags(GTK_DIALOG_MODAL | GTK_DIALOG_DESTROY_WITH_PARENT),
        GTK_MESSAGE_QUESTION, GTK_BUTTONS_NONE, "Save the changes to \u201c%s\u201d?",
        name.c_str());
    gtk_message_dialog_format_secondary_text(GTK_MESSAGE_DIALOG(dialog),
                                             "Your changes will be lost if you do not save them.");
    gtk_dialog_add_buttons(GTK_DIALOG(dialog), discardLabel, GTK_RESPONSE_REJECT, "_Cancel",
                           GTK_RESPONSE_CANCEL, "_Save", GTK_RESPONSE_ACCEPT, nullptr);
    gtk_dialog_set_default_response(GTK_DIALOG(dialog), GTK_RESPONSE_ACCEPT);
    struct Pending {
        FileActions* self;
        std::function<void()> then;
    };
    g_signal_connect_data(
        dialog, "response", G_CALLBACK(+[](GtkDialog* d, int response, gpointer data) {
            auto* pending = static_cast<Pending*>(data);
            FileActions* self = pending->self;
            std::function<void()> then = pending->then;
            gtk_widget_destroy(GTK_WIDGET(d));
            if (response == GTK_RESPONSE_REJECT)
                then();
            else if (response == GTK_RESPONSE_ACCEPT)
                self->Save(then);
        }),
        new Pending{this, std::move(then)},
        +[](gpointer data, GClosure*) { delete static_cast<Pending*>(data); }, GConnectFlags(0));
    gtk_widget_show(dialog);
}

void FileActions::Replace(LevelDocument fresh, std::string freshPath) {
    document_ = std::move(fresh);
    path_ = std::move(freshPath);
    hooks_.replaced();
}

bool FileActions::Open(const std::string& target) {
    std::error_code ec;
    if (!fs::exists(fs::symlink_status(target, ec))) {
        // A new level that will be saved under the name given.
        Replace(LevelDocument(), target);
        return true;
    }
    std::string error;
    std::optional<Level> level = OpenLevel(target, error);
    if (!level) {
        ShowError("The level could not be opened.", error);
        return false;
    }
    Replace(LevelDocument(std::move(*level)), target);
    return true;
}

void FileActions::New() {
    WhenChangesSettled("_Discard Changes", [this] { Replace(LevelDocument(), {}); });
}

void FileActions::ChooseAndOpen() {
    WhenChangesSettled("_Discard Changes", [this] {
        GtkWidget* dialog = FileDialog("Open Level", GTK_FILE_CHOOSER_ACTION_OPEN, "_Open");
        WhenFileChosen(dialog, [this](std::string chosen) { Open(chosen); });
    });
}

}  // namespace editor
