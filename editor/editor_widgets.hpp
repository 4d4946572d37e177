#pragma once

#include <gtk/gtk.h>

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "editor/level_document.hpp"
#include "editor/level_view.hpp"

// The parts of the editor's window, each built with what it shows and the actions it asks
// for: the toolbar, the side panel, the status line and the bar naming unreadable pictures.
// The window (editor_window.cpp) lays them out and wires the actions to the level.
namespace editor {

// What the palette offers, in the order of its keys 0 to 7: an empty cell, then the seven
// bricks.
inline constexpr std::array<int, 8> kPaletteCodes = {0, 100, 101, 102, 103, 104, 105, 106};

// Runs action each time instance emits signal, for signals whose handler takes nothing but
// the instance; the action lives as long as the connection.
void OnSignal(gpointer instance, const char* signal, std::function<void()> action);

// The file commands, undo and redo, and the mirror switch.
class Toolbar {
  public:
    struct Actions {
        std::function<void()> newLevel, open, save, saveAs, undo, redo, play;
        std::function<void(bool)> mirror;  // the switch turned on or off
    };
    explicit Toolbar(Actions actions);
    Toolbar(const Toolbar&) = delete;
    Toolbar& operator=(const Toolbar&) = delete;

    GtkWidget* widget() const { return toolbar_; }
    // Undo and redo as far as the document allows them.
    void Show(const LevelDocument& document);
    void ShowMirror(bool on);

  private:
    GtkToolItem* AddButton(const char* icon, const char* label, const char* tip,
                           std::function<void()> clicked);

    Actions actions_;
    GtkWidget* toolbar_ = nullptr;
    GtkToolItem* undo_ = nullptr;
    GtkToolItem* redo_ = nullptr;
    GtkToolItem* mirror_ = nullptr;
};

// The brick palette, the backgrounds, the hazards, and the bricks to clear with the warning
// about them.
class SidePanel {
  public:
    struct Actions {
        std::function<void(int)> pick;            // the palette's code to paint with
        std::function<void(int)> background;      // a background code, or kNoBackground
        std::function<void(bool)> barrier;        // the moving barrier on or off
        std::function<void(bool)> descent;        // the creeping bricks on or off
        std::function<void()> countBricksLeft;    // "Count from the grid"
        std::function<void()> bricksLeftByHand;   // "Set by hand"
        std::function<void(int)> typeBricksLeft;  // the value set by hand
    };
    // The pictures of bricks and backgrounds are the painter's, drawn as the game draws them.
    SidePanel(const LevelPainter& painter, Actions actions);
    SidePanel(const SidePanel&) = delete;
    SidePanel& operator=(const SidePanel&) = delete;

    GtkWidget* widget() const { return panel_; }
    // Presses the palette button of a code.
    void ShowPaintCode(int code);
    // Shows the document's settings; the panel's own signals are ignored meanwhile, so only
    // the player's changes reach the actions.
    void Show(const LevelDocument& document);
    // A number typed into the bricks-left field but not yet taken counts.
    void TakeTyping();

  private:
    GtkWidget* PaletteButton(GtkWidget* groupMember, int index);
    GtkWidget* BackgroundButton(GtkWidget* groupMember, int code);
    GtkWidget* HazardCheck(const char* label, const char* tip,
                           const std::function<void(bool)>& apply);
    void AddBricksLeftSettings();

    const LevelPainter& painter_;
    Actions actions_;
    bool syncing_ = false;
    GtkWidget* panel_ = nullptr;
    std::array<GtkWidget*, 8> paletteButtons_{};
    std::array<GtkWidget*, 7> backgroundButtons_{};  // none, then 200 to 205
    GtkWidget* barrierCheck_ = nullptr;
    GtkWidget* descentCheck_ = nullptr;
    GtkWidget* countedRadio_ = nullptr;
    GtkWidget* byHandRadio_ = nullptr;
    GtkWidget* bricksLeftSpin_ = nullptr;
    GtkWidget* warningBox_ = nullptr;
    GtkWidget* warningLabel_ = nullptr;
};

// The counts on the left, the cell under the pointer on the right.
class StatusLine {
  public:
    StatusLine();
    GtkWidget* widget() const { return box_; }
    // hoverRow is -1 when the pointer is over no cell.
    void Show(const LevelDocument& document, int hoverRow, int hoverColumn);
    std::string CellText() const;

  private:
    GtkWidget* box_ = nullptr;
    GtkWidget* counts_ = nullptr;
    GtkWidget* cell_ = nullptr;
};

// The bar above the level naming the pictures that could not be read; its close button
// hides it.
GtkWidget* ProblemsBar(const std::vector<std::string>& problems);

}  // namespace editor
