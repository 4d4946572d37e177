#pragma once

#include <gtk/gtk.h>

#include <functional>
#include <memory>
#include <string>

#include "editor/level_document.hpp"
#include "editor/level_pictures.hpp"
#include "editor/status_text.hpp"

// The level editor's window: the level drawn as the game shows it, the brick palette, the
// background, hazard and bricks-left settings, the file commands and a status line. Its
// parts are built in editor_widgets, its file commands are file_actions, and what its
// status line says is status_text.
namespace editor {

class EditorWindow {
  public:
    // Builds the window, not yet shown, for the game folder (whose levels/ the file
    // dialogs start in) with the pictures read from it.
    EditorWindow(std::string gameFolder, LevelPictures pictures);
    ~EditorWindow();
    EditorWindow(const EditorWindow&) = delete;
    EditorWindow& operator=(const EditorWindow&) = delete;

    GtkWindow* window() const;
    void Show();

    // Opens a level file. A path with no file behind it starts a new, empty level that is
    // saved there. False, with a message box naming the file, when it cannot be read; the
    // level shown before stays.
    bool Open(const std::string& path);
    // Saves to the level's file, or asks for a name first when it has none.
    void Save();

    const LevelDocument& document() const;
    const std::string& path() const;  // empty for a level never saved
    std::string Title() const;
    std::string StatusText() const;  // the counts per brick code
    std::string CellText() const;    // what the status line shows of the cell under the pointer

    // The drawing of the level, and where the middle of a cell (row and column from 0)
    // lies on it, in the drawing's own pixels.
    GtkWidget* canvas() const;
    void CellCentre(int row, int column, double& x, double& y) const;

    // Asks to close, as the close box does: with unsaved changes the player is asked
    // first. closed runs once the window has gone.
    void RequestClose();
    void OnClosed(std::function<void()> closed);

    struct Impl;

  private:
    std::unique_ptr<Impl> impl_;
};

}  // namespace editor
