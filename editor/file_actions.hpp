#pragma once

#include <gtk/gtk.h>

#include <functional>
#include <string>

#include "editor/level_document.hpp"

// The editor's file commands with their dialogs: New, Open, Save and Save As, and the
// question about unsaved changes before a level is let go.
namespace editor {

class FileActions {
  public:
    // What the window does around the commands.
    struct Hooks {
        std::function<void()> takeTyping;  // before a save: a value typed but not yet taken
        std::function<void()> replaced;    // another level is shown (opened or new)
        std::function<void()> saved;       // the level went to its file
    };

    // The document is the window's, edited in place; levels/ in the game folder is where the
    // file dialogs start for a level never saved.
    FileActions(std::string gameFolder, LevelDocument& document, Hooks hooks);
    FileActions(const FileActions&) = delete;
    FileActions& operator=(const FileActions&) = delete;

    // The window the dialogs and messages belong to.
    void SetParent(GtkWindow* parent) { parent_ = parent; }

    const std::string& path() const { return path_; }  // empty for a level never saved

    // Opens a level file. A path with no file behind it starts a new, empty level that is
    // saved there. False, with a message box naming the file, when it cannot be read; the
    // level shown before stays.
    bool Open(const std::string& target);
    // A new, empty level, once unsaved changes are settled.
    void New();
    // The open dialog, once unsaved changes are settled.
    void ChooseAndOpen();
    // Saves to the level's file, or asks for a name first when it has none; then runs once
    // the file is written.
    void Save(std::function<void()> then);
    void SaveAs(std::function<void()> then);

    // Saves the level (asking for a name when it has none), then starts the game on it from
    // the game folder, as the launcher starts the editor: not waited for. A message says
    // when the game cannot be started.
    void Play();

    // Runs then when nothing unsaved would be lost: at once, or after the player chose to
    // save or to let the changes go (the button named discardLabel). Cancel runs nothing.
    void WhenChangesSettled(const char* discardLabel, std::function<void()> then);

  private:
    void ShowError(const std::string& headline, const std::string& detail);
    std::string StartFolder() const;
    GtkWidget* FileDialog(const char* title, GtkFileChooserAction action, const char* accept);
    bool SaveTo(const std::string& target);
    void Replace(LevelDocument fresh, std::string freshPath);
    void StartGame();

    std::string gameFolder_;
    LevelDocument& document_;
    Hooks hooks_;
    GtkWindow* parent_ = nullptr;
    std::string path_;
};

}  // namespace editor
