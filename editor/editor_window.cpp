#include "editor/editor_window.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <utility>
#include <vector>

#include "editor/level_files.hpp"
#include "editor/level_view.hpp"
#include "game/levels/bricks.hpp"
#include "game/levels/level_file.hpp"

namespace editor {

namespace fs = std::filesystem;
namespace levels = game::levels;

namespace {

constexpr const char* kProgramTitle = "Tessaly Level Editor";

// What the palette offers: an empty cell, then the seven bricks.
constexpr int kPaletteCodes[8] = {0, 100, 101, 102, 103, 104, 105, 106};

const char* BrickBehaviour(int code) {
    switch (code) {
        case 0:
            return "empty cell";
        case levels::kThreeHitBrick:
            return "three hits";
        case levels::kSteelBrick:
            return "indestructible";
        default:
            return "one hit";
    }
}

char BrickLetter(int code) {
    return char('d' + (code - levels::kFirstBrickCode));
}

// A picture for a button: the cairo surface scaled into a w x h pixbuf.
GdkPixbuf* PixbufOf(cairo_surface_t* surface, int w, int h) {
    cairo_surface_t* scaled = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    cairo_t* cr = cairo_create(scaled);
    cairo_scale(cr, double(w) / cairo_image_surface_get_width(surface),
                double(h) / cairo_image_surface_get_height(surface));
    cairo_set_source_surface(cr, surface, 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
    cairo_paint(cr);
    cairo_destroy(cr);
    GdkPixbuf* pixbuf = gdk_pixbuf_get_from_surface(scaled, 0, 0, w, h);
    cairo_surface_destroy(scaled);
    return pixbuf;
}

GtkWidget* SectionTitle(const char* text) {
    GtkWidget* label = gtk_label_new(nullptr);
    gchar* markup = g_markup_printf_escaped("<b>%s</b>", text);
    gtk_label_set_markup(GTK_LABEL(label), markup);
    g_free(markup);
    gtk_widget_set_halign(label, GTK_ALIGN_START);
    gtk_widget_set_margin_top(label, 8);
    return label;
}

std::string FileName(const std::string& path) {
    return fs::path(path).filename().string();
}

}  // namespace

std::string ShownLine(std::string_view line) {
    std::string shown;
    std::size_t at = 0;
    for (std::size_t count = 0; at < line.size() && count < kShownLineLength; ++count) {
        const char* here = line.data() + at;
        const gunichar c = g_utf8_get_char_validated(here, gssize(line.size() - at));
        // Only whole, printable characters go to the label as they are.
        const bool whole = c != gunichar(-1) && c != gunichar(-2) && c != 0;
        const std::size_t length = whole ? std::size_t(g_utf8_skip[std::uint8_t(*here)]) : 1;
        if (whole && g_unichar_isprint(c)) {
            shown.append(here, length);
        } else {
            for (std::size_t i = 0; i < length; ++i) {
                char escape[5];
                std::snprintf(escape, sizeof escape, "\\x%02X", unsigned(std::uint8_t(here[i])));
                shown += escape;
            }
        }
        at += length;
    }
    if (at < line.size()) shown += "\u2026";
    return shown;
}

struct EditorWindow::Impl {
    std::string gameFolder;
    LevelPictures pictures;
    LevelDocument document;
    std::string path;
    std::function<void()> closed;

    std::unique_ptr<LevelPainter> painter;

    GtkWidget* window = nullptr;
    GtkWidget* canvas = nullptr;
    GtkToolItem* undoButton = nullptr;
    GtkToolItem* redoButton = nullptr;
    GtkToolItem* mirrorButton = nullptr;
    std::array<GtkWidget*, 8> paletteButtons{};
    std::array<GtkWidget*, 7> backgroundButtons{};  // none, then 200 to 205
    GtkWidget* barrierCheck = nullptr;
    GtkWidget* descentCheck = nullptr;
    GtkWidget* countedRadio = nullptr;
    GtkWidget* byHandRadio = nullptr;
    GtkWidget* bricksLeftSpin = nullptr;
    GtkWidget* warningBox = nullptr;
    GtkWidget* warningLabel = nullptr;
    GtkWidget* countsLabel = nullptr;
    GtkWidget* cellLabel = nullptr;

    int paintCode = 100;
    bool mirror = false;
    bool stroking = false;
    guint strokeButton = 0;  // the button that paints the stroke
    int strokeCode = 0;
    int lastRow = -1, lastColumn = -1;   // the cell the stroke painted last
    int hoverRow = -1, hoverColumn = -1;  // the cell under the pointer
    bool syncing = false;                 // widgets being set from the document
    bool closing = false;

    // ---- The drawing ----

    ViewPlacement CurrentView() const {
        return PlaceView(gtk_widget_get_allocated_width(canvas),
                         gtk_widget_get_allocated_height(canvas));
    }

    void Draw(cairo_t* cr) {
        painter->DrawLevel(cr, gtk_widget_get_allocated_width(canvas),
                           gtk_widget_get_allocated_height(canvas), document.level(),
                           {mirror, hoverRow, hoverColumn});
    }

    // ---- Changes and what shows them ----

    void PaintAt(int row, int column) {
        if (mirror)
            document.MirrorPaint(row, column, strokeCode);
        else
            document.Paint(row, column, strokeCode);
        lastRow = row;
        lastColumn = column;
        Refresh();
    }

    // Motion events come merged when the pointer moves fast: every cell on the way from
    // the last painted one is painted too, so a quick drag leaves no gaps.
    void PaintAlong(int row, int column) {
        if (lastRow < 0) {
            PaintAt(row, column);
            return;
        }
        const int fromRow = lastRow, fromColumn = lastColumn;
        const int steps = std::max(std::abs(row - fromRow), std::abs(column - fromColumn));
        for (int step = 1; step <= steps; ++step)
            PaintAt(fromRow + int(std::lround(double(row - fromRow) * step / steps)),
                    fromColumn + int(std::lround(double(column - fromColumn) * step / steps)));
    }

    void SetPaintCode(int code) {
        paintCode = code;
        for (int i = 0; i < 8; ++i)
            if (kPaletteCodes[i] == code)
                gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(paletteButtons[std::size_t(i)]),
                                             TRUE);
    }

    void SetMirror(bool on) {
        mirror = on;
        if (gtk_toggle_tool_button_get_active(GTK_TOGGLE_TOOL_BUTTON(mirrorButton)) != on)
            gtk_toggle_tool_button_set_active(GTK_TOGGLE_TOOL_BUTTON(mirrorButton), on);
        gtk_widget_queue_draw(canvas);
    }

    std::string CellText(int row, int column) const {
        const Cell& cell = document.cell(row, column);
        std::string text =
            "Row " + std::to_string(row + 1) + ", column " + std::to_string(column + 1) + ": ";
        if (cell.odd) {
            const levels::LevelCell read = levels::ReadLevelCell(*cell.odd);
            // The line may be a thousand characters of anything: its beginning says enough.
            text += "line \"" + ShownLine(*cell.odd) + "\", kept as it is (";
            if (read.empty || read.code == 0)
                text += "plays as an empty cell)";
            else if (levels::IsBrickCode(read.code))
                text += std::string("plays as brick ") + BrickLetter(read.code) + " " +
                        std::to_string(read.code) + ")";
            else
                text += "code " + std::to_string(read.code) + ", no brick the game knows)";
        } else if (cell.code == 0) {
            text += "empty";
        } else {
            text += std::string("brick ") + BrickLetter(cell.code) + " " +
                    std::to_string(cell.code) + ", " + BrickBehaviour(cell.code);
        }
        return text;
    }

    std::string DisplayName() const { return path.empty() ? "Untitled level" : FileName(path); }

    std::string Title() const {
        const std::string name = DisplayName();
        return (document.Modified() ? "*" : "") + name + " \u2013 " + kProgramTitle;
    }

    std::string StatusText() const {
        const BrickCounts counts = document.Counts();
        std::string text;
        for (int i = 0; i < 7; ++i) {
            const int code = levels::kFirstBrickCode + i;
            text += std::string(1, BrickLetter(code)) + " " + std::to_string(code) + ": " +
                    std::to_string(counts.perCode[std::size_t(i)]) + "   ";
        }
        if (counts.odd > 0) text += "kept lines: " + std::to_string(counts.odd) + "   ";
        text += "   " + std::to_string(counts.destructible) + " bricks to destroy";
        return text;
    }

    std::string WarningText() const {
        const int left = document.BricksLeft();
        const int destructible = document.Counts().destructible;
        switch (document.BricksLeftWarning()) {
            case Warning::CannotBeWon:
                if (destructible == 0) return "This level cannot be won: it has no brick to destroy.";
                return "This level cannot be won: it asks for " + std::to_string(left) +
                       " bricks, but only " + std::to_string(destructible) +
                       " can be destroyed.";
            case Warning::WonByFirstBrick:
                return "With " + std::to_string(left) +
                       " bricks to clear, the first brick destroyed wins the level.";
            case Warning::None:
                break;
        }
        return {};
    }

    // Shows the document in every widget; the widgets' own signals are ignored meanwhile.
    void Refresh() {
        syncing = true;
        const Level& level = document.level();
        gtk_window_set_title(GTK_WINDOW(window), Title().c_str());
        gtk_widget_set_sensitive(GTK_WIDGET(undoButton), document.CanUndo());
        gtk_widget_set_sensitive(GTK_WIDGET(redoButton), document.CanRedo());

        int backgroundIndex = 0;
        if (level.background >= kFirstBackground && level.background <= kLastBackground)
            backgroundIndex = 1 + level.background - kFirstBackground;
        gtk_toggle_button_set_active(
            GTK_TOGGLE_BUTTON(backgroundButtons[std::size_t(backgroundIndex)]), TRUE);
        gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(barrierCheck), level.barrier);
        gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(descentCheck), level.descent);

        const bool byHand = document.BricksLeftByHand();
        gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(byHand ? byHandRadio : countedRadio),
                                     TRUE);
        gtk_widget_set_sensitive(bricksLeftSpin, byHand);
        gtk_spin_button_set_value(GTK_SPIN_BUTTON(bricksLeftSpin), document.BricksLeft());
        const std::string warning = WarningText();
        gtk_label_set_text(GTK_LABEL(warningLabel), warning.c_str());
        gtk_widget_set_visible(warningBox, !warning.empty());

        gtk_label_set_text(GTK_LABEL(countsLabel), StatusText().c_str());
        gtk_label_set_text(GTK_LABEL(cellLabel),
                           hoverRow >= 0 ? CellText(hoverRow, hoverColumn).c_str() : "");
        gtk_widget_queue_draw(canvas);
        syncing = false;
    }

    // ---- Messages and files ----

    void ShowError(const std::string& headline, const std::string& detail) {
        GtkWidget* dialog = gtk_message_dialog_new(
            GTK_WINDOW(window), GtkDialogFlags(GTK_DIALOG_MODAL | GTK_DIALOG_DESTROY_WITH_PARENT),
            GTK_MESSAGE_ERROR, GTK_BUTTONS_CLOSE, "%s", headline.c_str());
        gtk_message_dialog_format_secondary_text(GTK_MESSAGE_DIALOG(dialog), "%s",
                                                 detail.c_str());
        g_signal_connect(dialog, "response", G_CALLBACK(gtk_widget_destroy), nullptr);
        gtk_widget_show(dialog);
    }

    // Where the file dialogs start: the level's own folder, else the game's levels/.
    std::string StartFolder() const {
        std::error_code ec;
        if (!path.empty()) {
            const fs::path folder = fs::absolute(path, ec).parent_path();
            if (!ec && fs::is_directory(folder, ec)) return folder.string();
        }
        const fs::path levelsFolder = fs::path(gameFolder) / "levels";
        if (fs::is_directory(levelsFolder, ec)) return levelsFolder.string();
        return gameFolder;
    }

    GtkWidget* FileDialog(const char* title, GtkFileChooserAction action, const char* accept) {
        GtkWidget* dialog = gtk_file_chooser_dialog_new(title, GTK_WINDOW(window), action,
                                                        "_Cancel", GTK_RESPONSE_CANCEL, accept,
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

    // Runs then once the dialog gives a file name; the dialog goes either way.
    static void WhenFileChosen(GtkWidget* dialog, std::function<void(std::string)> then) {
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

    bool SaveTo(const std::string& target) {
        std::string error;
        if (!SaveLevel(document, target, error)) {
            ShowError("The level could not be saved.", error);
            return false;
        }
        path = target;
        document.MarkSaved();
        Refresh();
        return true;
    }

    void SaveAs(std::function<void()> then) {
        GtkWidget* dialog = FileDialog("Save Level As", GTK_FILE_CHOOSER_ACTION_SAVE, "_Save");
        gtk_file_chooser_set_do_overwrite_confirmation(GTK_FILE_CHOOSER(dialog), TRUE);
        gtk_file_chooser_set_current_name(
            GTK_FILE_CHOOSER(dialog), path.empty() ? "my_level.lvl" : FileName(path).c_str());
        WhenFileChosen(dialog, [this, then = std::move(then)](std::string chosen) {
            // A name typed without an ending gets the one the launcher lists.
            if (fs::path(chosen).extension().empty()) chosen += ".lvl";
            if (SaveTo(chosen) && then) then();
        });
    }

    void Save(std::function<void()> then) {
        // A number typed but not yet taken counts.
        if (gtk_widget_has_focus(bricksLeftSpin))
            gtk_spin_button_update(GTK_SPIN_BUTTON(bricksLeftSpin));
        if (path.empty()) {
            SaveAs(std::move(then));
            return;
        }
        if (SaveTo(path) && then) then();
    }

    // Runs then when nothing unsaved would be lost: at once, or after the player chose to
    // save or to let the changes go. Cancel runs nothing.
    void WhenChangesSettled(const char* discardLabel, std::function<void()> then) {
        if (!document.Modified()) {
            then();
            return;
        }
        const std::string name = DisplayName();
        GtkWidget* dialog = gtk_message_dialog_new(
            GTK_WINDOW(window), GtkDialogFlags(GTK_DIALOG_MODAL | GTK_DIALOG_DESTROY_WITH_PARENT),
            GTK_MESSAGE_QUESTION, GTK_BUTTONS_NONE, "Save the changes to \u201c%s\u201d?",
            name.c_str());
        gtk_message_dialog_format_secondary_text(
            GTK_MESSAGE_DIALOG(dialog), "Your changes will be lost if you do not save them.");
        gtk_dialog_add_buttons(GTK_DIALOG(dialog), discardLabel, GTK_RESPONSE_REJECT,
                               "_Cancel", GTK_RESPONSE_CANCEL, "_Save", GTK_RESPONSE_ACCEPT,
                               nullptr);
        gtk_dialog_set_default_response(GTK_DIALOG(dialog), GTK_RESPONSE_ACCEPT);
        struct Pending {
            Impl* self;
            std::function<void()> then;
        };
        g_signal_connect_data(
            dialog, "response", G_CALLBACK(+[](GtkDialog* d, int response, gpointer data) {
                auto* pending = static_cast<Pending*>(data);
                Impl* self = pending->self;
                std::function<void()> then = pending->then;
                gtk_widget_destroy(GTK_WIDGET(d));
                if (response == GTK_RESPONSE_REJECT)
                    then();
                else if (response == GTK_RESPONSE_ACCEPT)
                    self->Save(then);
            }),
            new Pending{this, std::move(then)},
            +[](gpointer data, GClosure*) { delete static_cast<Pending*>(data); },
            GConnectFlags(0));
        gtk_widget_show(dialog);
    }

    void Replace(LevelDocument fresh, std::string freshPath) {
        document = std::move(fresh);
        path = std::move(freshPath);
        stroking = false;
        Refresh();
    }

    bool Open(const std::string& target) {
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

    void New() {
        WhenChangesSettled("_Discard Changes", [this] { Replace(LevelDocument(), {}); });
    }

    void ChooseAndOpen() {
        WhenChangesSettled("_Discard Changes", [this] {
            GtkWidget* dialog =
                FileDialog("Open Level", GTK_FILE_CHOOSER_ACTION_OPEN, "_Open");
            WhenFileChosen(dialog, [this](std::string chosen) { Open(chosen); });
        });
    }

    void Undo() {
        stroking = false;
        document.Undo();
        Refresh();
    }
    void Redo() {
        stroking = false;
        document.Redo();
        Refresh();
    }

    void RequestClose() {
        if (closing) return;
        WhenChangesSettled("Close _without Saving", [this] {
            closing = true;
            gtk_widget_destroy(window);
        });
    }

    // ---- Building the window ----

    GtkToolItem* ToolButton(GtkWidget* toolbar, const char* icon, const char* label,
                            const char* tip, void (*clicked)(GtkToolButton*, Impl*)) {
        GtkToolItem* item = gtk_tool_button_new(nullptr, label);
        gtk_tool_button_set_icon_name(GTK_TOOL_BUTTON(item), icon);
        gtk_tool_button_set_use_underline(GTK_TOOL_BUTTON(item), TRUE);
        gtk_widget_set_tooltip_text(GTK_WIDGET(item), tip);
        g_signal_connect(item, "clicked", G_CALLBACK(clicked), this);
        gtk_toolbar_insert(GTK_TOOLBAR(toolbar), item, -1);
        return item;
    }

    GtkWidget* BuildToolbar() {
        GtkWidget* toolbar = gtk_toolbar_new();
        gtk_toolbar_set_style(GTK_TOOLBAR(toolbar), GTK_TOOLBAR_BOTH);
        ToolButton(toolbar, "document-new", "_New", "Start a new level (Ctrl+N)",
                   +[](GtkToolButton*, Impl* self) { self->New(); });
        ToolButton(toolbar, "document-open", "_Open", "Open a level file (Ctrl+O)",
                   +[](GtkToolButton*, Impl* self) { self->ChooseAndOpen(); });
        ToolButton(toolbar, "document-save", "_Save", "Save the level (Ctrl+S)",
                   +[](GtkToolButton*, Impl* self) { self->Save(nullptr); });
        ToolButton(toolbar, "document-save-as", "Save _As", "Save under another name (Shift+Ctrl+S)",
                   +[](GtkToolButton*, Impl* self) { self->SaveAs(nullptr); });
        gtk_toolbar_insert(GTK_TOOLBAR(toolbar), gtk_separator_tool_item_new(), -1);
        undoButton = ToolButton(toolbar, "edit-undo", "_Undo", "Undo the last change (Ctrl+Z)",
                                +[](GtkToolButton*, Impl* self) { self->Undo(); });
        redoButton = ToolButton(toolbar, "edit-redo", "_Redo", "Redo what was undone (Ctrl+Y)",
                                +[](GtkToolButton*, Impl* self) { self->Redo(); });
        gtk_toolbar_insert(GTK_TOOLBAR(toolbar), gtk_separator_tool_item_new(), -1);
        mirrorButton = gtk_toggle_tool_button_new();
        gtk_tool_button_set_label(GTK_TOOL_BUTTON(mirrorButton), "_Mirror");
        gtk_tool_button_set_use_underline(GTK_TOOL_BUTTON(mirrorButton), TRUE);
        gtk_tool_button_set_icon_name(GTK_TOOL_BUTTON(mirrorButton), "object-flip-horizontal");
        gtk_widget_set_tooltip_text(GTK_WIDGET(mirrorButton),
                                    "Paint the mirror cell across the middle too (M)");
        g_signal_connect(mirrorButton, "toggled",
                         G_CALLBACK(+[](GtkToggleToolButton* button, Impl* self) {
                             self->SetMirror(gtk_toggle_tool_button_get_active(button));
                         }),
                         this);
        gtk_toolbar_insert(GTK_TOOLBAR(toolbar), mirrorButton, -1);
        return toolbar;
    }

    GtkWidget* PaletteButton(GSList* group, int index) {
        const int code = kPaletteCodes[index];
        GtkWidget* button = gtk_radio_button_new_from_widget(
            group ? GTK_RADIO_BUTTON(group->data) : nullptr);
        gtk_toggle_button_set_mode(GTK_TOGGLE_BUTTON(button), FALSE);
        GtkWidget* box = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 8);
        // The picture: the brick as the game draws it, or a dashed empty cell.
        GtkWidget* picture = gtk_drawing_area_new();
        gtk_widget_set_size_request(picture, kBrickWidth, kBrickHeight);
        g_object_set_data(G_OBJECT(picture), "code", GINT_TO_POINTER(code));
        g_signal_connect(picture, "draw", G_CALLBACK(+[](GtkWidget* w, cairo_t* cr, Impl* self) {
                             const int c = GPOINTER_TO_INT(g_object_get_data(G_OBJECT(w), "code"));
                             cairo_set_source_rgb(cr, 0, 0, 0);
                             cairo_paint(cr);
                             if (c == 0) {
                                 const double dash = 3;
                                 cairo_set_dash(cr, &dash, 1, 0);
                                 cairo_set_source_rgba(cr, 1, 1, 1, 0.5);
                                 cairo_rectangle(cr, 1.5, 1.5, kBrickWidth - 3, kBrickHeight - 3);
                                 cairo_stroke(cr);
                             } else {
                                 self->painter->DrawBrick(cr, c, 0, 0);
                             }
                             return FALSE;
                         }),
                         this);
        gtk_box_pack_start(GTK_BOX(box), picture, FALSE, FALSE, 0);
        std::string text = code == 0 ? std::string("Empty")
                                     : std::string(1, BrickLetter(code)) + "  " +
                                           std::to_string(code) + "  " +
                                           BrickBehaviour(code);
        GtkWidget* label = gtk_label_new(text.c_str());
        gtk_widget_set_halign(label, GTK_ALIGN_START);
        gtk_box_pack_start(GTK_BOX(box), label, TRUE, TRUE, 0);
        gtk_container_add(GTK_CONTAINER(button), box);
        gtk_widget_set_tooltip_text(
            button, (std::string(code == 0 ? "Paint empty cells" : "Paint this brick") +
                     " (key " + std::to_string(index) + "; the right button always empties)")
                        .c_str());
        g_object_set_data(G_OBJECT(button), "code", GINT_TO_POINTER(code));
        g_signal_connect(button, "toggled", G_CALLBACK(+[](GtkToggleButton* b, Impl* self) {
                             if (gtk_toggle_button_get_active(b))
                                 self->paintCode =
                                     GPOINTER_TO_INT(g_object_get_data(G_OBJECT(b), "code"));
                         }),
                         this);
        return button;
    }

    GtkWidget* BackgroundButton(GtkWidget* groupMember, int code) {
        GtkWidget* button = gtk_radio_button_new_from_widget(
            groupMember ? GTK_RADIO_BUTTON(groupMember) : nullptr);
        gtk_toggle_button_set_mode(GTK_TOGGLE_BUTTON(button), FALSE);
        GtkWidget* box = gtk_box_new(GTK_ORIENTATION_VERTICAL, 2);
        constexpr int kThumbWidth = 64, kThumbHeight = 48;
        GtkWidget* image = nullptr;
        cairo_surface_t* picture = painter->Background(code);
        if (picture != nullptr) {
            GdkPixbuf* pixbuf = PixbufOf(picture, kThumbWidth, kThumbHeight);
            image = gtk_image_new_from_pixbuf(pixbuf);
            g_object_unref(pixbuf);
        } else {
            // No picture: a black screen, as the game shows it.
            image = gtk_drawing_area_new();
            gtk_widget_set_size_request(image, kThumbWidth, kThumbHeight);
            g_signal_connect(image, "draw", G_CALLBACK(+[](GtkWidget*, cairo_t* cr) {
                                 cairo_set_source_rgb(cr, 0, 0, 0);
                                 cairo_paint(cr);
                                 return FALSE;
                             }),
                             nullptr);
        }
        gtk_box_pack_start(GTK_BOX(box), image, FALSE, FALSE, 0);
        GtkWidget* label = gtk_label_new(code == 0 ? "None" : std::to_string(code).c_str());
        gtk_box_pack_start(GTK_BOX(box), label, FALSE, FALSE, 0);
        gtk_container_add(GTK_CONTAINER(button), box);
        gtk_widget_set_tooltip_text(button, code == 0 ? "No background: the level plays on black"
                                                      : "The background picture with this code");
        g_object_set_data(G_OBJECT(button), "code", GINT_TO_POINTER(code));
        g_signal_connect(button, "toggled", G_CALLBACK(+[](GtkToggleButton* b, Impl* self) {
                             if (self->syncing || !gtk_toggle_button_get_active(b)) return;
                             self->document.SetBackground(
                                 GPOINTER_TO_INT(g_object_get_data(G_OBJECT(b), "code")));
                             self->Refresh();
                         }),
                         this);
        return button;
    }

    GtkWidget* HazardCheck(const char* label, const char* tip, void (Impl::*apply)(bool)) {
        GtkWidget* check = gtk_check_button_new_with_mnemonic(label);
        gtk_widget_set_tooltip_text(check, tip);
        struct Setter {
            Impl* self;
            void (Impl::*apply)(bool);
        };
        g_signal_connect_data(
            check, "toggled", G_CALLBACK(+[](GtkToggleButton* b, Setter* setter) {
                if (setter->self->syncing) return;
                (setter->self->*setter->apply)(gtk_toggle_button_get_active(b));
                setter->self->Refresh();
            }),
            new Setter{this, apply}, +[](gpointer data, GClosure*) {
                delete static_cast<Setter*>(data);
            },
            GConnectFlags(0));
        return check;
    }
    void SetBarrier(bool on) { document.SetBarrier(on); }
    void SetDescent(bool on) { document.SetDescent(on); }

    GtkWidget* BuildSidePanel() {
        GtkWidget* panel = gtk_box_new(GTK_ORIENTATION_VERTICAL, 4);
        gtk_widget_set_margin_start(panel, 8);
        gtk_widget_set_margin_end(panel, 8);

        gtk_box_pack_start(GTK_BOX(panel), SectionTitle("Bricks"), FALSE, FALSE, 0);
        GtkWidget* palette = gtk_grid_new();
        gtk_grid_set_column_spacing(GTK_GRID(palette), 4);
        gtk_grid_set_row_spacing(GTK_GRID(palette), 4);
        gtk_grid_set_column_homogeneous(GTK_GRID(palette), TRUE);
        GSList* group = nullptr;
        for (int i = 0; i < 8; ++i) {
            GtkWidget* button = PaletteButton(group, i);
            group = gtk_radio_button_get_group(GTK_RADIO_BUTTON(button));
            paletteButtons[std::size_t(i)] = button;
            gtk_grid_attach(GTK_GRID(palette), button, i % 2, i / 2, 1, 1);
        }
        gtk_box_pack_start(GTK_BOX(panel), palette, FALSE, FALSE, 0);

        gtk_box_pack_start(GTK_BOX(panel), SectionTitle("Background"), FALSE, FALSE, 0);
        GtkWidget* backgrounds = gtk_grid_new();
        gtk_grid_set_column_spacing(GTK_GRID(backgrounds), 4);
        gtk_grid_set_row_spacing(GTK_GRID(backgrounds), 4);
        for (int i = 0; i < 7; ++i) {
            const int code = i == 0 ? kNoBackground : kFirstBackground + i - 1;
            GtkWidget* button = BackgroundButton(i == 0 ? nullptr : backgroundButtons[0], code);
            backgroundButtons[std::size_t(i)] = button;
            gtk_grid_attach(GTK_GRID(backgrounds), button, i % 4, i / 4, 1, 1);
        }
        gtk_box_pack_start(GTK_BOX(panel), backgrounds, FALSE, FALSE, 0);

        gtk_box_pack_start(GTK_BOX(panel), SectionTitle("Hazards"), FALSE, FALSE, 0);
        barrierCheck = HazardCheck("Moving _barrier",
                                   "A barrier moves to and fro below the bricks, as in levels "
                                   "7 and 9",
                                   &Impl::SetBarrier);
        descentCheck = HazardCheck("_Creeping bricks",
                                   "Every few seconds the bricks move down, as in levels 6 and "
                                   "12; the level is lost when they reach the paddle",
                                   &Impl::SetDescent);
        gtk_box_pack_start(GTK_BOX(panel), barrierCheck, FALSE, FALSE, 0);
        gtk_box_pack_start(GTK_BOX(panel), descentCheck, FALSE, FALSE, 0);

        gtk_box_pack_start(GTK_BOX(panel), SectionTitle("Bricks to clear"), FALSE, FALSE, 0);
        countedRadio = gtk_radio_button_new_with_mnemonic(nullptr, "Count from the _grid");
        gtk_widget_set_tooltip_text(countedRadio,
                                    "Every brick but the indestructible g 103 counts once");
        byHandRadio = gtk_radio_button_new_with_mnemonic_from_widget(
            GTK_RADIO_BUTTON(countedRadio), "Set by _hand:");
        bricksLeftSpin = gtk_spin_button_new_with_range(-32768, 32767, 1);
        gtk_widget_set_tooltip_text(bricksLeftSpin,
                                    "The level is won when this many bricks are destroyed");
        g_signal_connect(countedRadio, "toggled", G_CALLBACK(+[](GtkToggleButton* b, Impl* self) {
                             if (self->syncing || !gtk_toggle_button_get_active(b)) return;
                             self->document.CountBricksLeft();
                             self->Refresh();
                         }),
                         this);
        g_signal_connect(byHandRadio, "toggled", G_CALLBACK(+[](GtkToggleButton* b, Impl* self) {
                             if (self->syncing || !gtk_toggle_button_get_active(b)) return;
                             self->document.SetBricksLeft(self->document.BricksLeft());
                             self->Refresh();
                         }),
                         this);
        g_signal_connect(bricksLeftSpin, "value-changed",
                         G_CALLBACK(+[](GtkSpinButton* spin, Impl* self) {
                             if (self->syncing || !self->document.BricksLeftByHand()) return;
                             self->document.SetBricksLeft(
                                 std::int16_t(gtk_spin_button_get_value_as_int(spin)));
                             self->Refresh();
                         }),
                         this);
        GtkWidget* byHandRow = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 6);
        gtk_box_pack_start(GTK_BOX(byHandRow), byHandRadio, FALSE, FALSE, 0);
        gtk_box_pack_start(GTK_BOX(byHandRow), bricksLeftSpin, FALSE, FALSE, 0);
        gtk_box_pack_start(GTK_BOX(panel), countedRadio, FALSE, FALSE, 0);
        gtk_box_pack_start(GTK_BOX(panel), byHandRow, FALSE, FALSE, 0);

        warningBox = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 6);
        gtk_box_pack_start(GTK_BOX(warningBox),
                           gtk_image_new_from_icon_name("dialog-warning", GTK_ICON_SIZE_BUTTON),
                           FALSE, FALSE, 0);
        warningLabel = gtk_label_new(nullptr);
        gtk_label_set_line_wrap(GTK_LABEL(warningLabel), TRUE);
        gtk_label_set_max_width_chars(GTK_LABEL(warningLabel), 36);
        gtk_label_set_xalign(GTK_LABEL(warningLabel), 0);
        gtk_box_pack_start(GTK_BOX(warningBox), warningLabel, TRUE, TRUE, 0);
        gtk_widget_set_no_show_all(warningBox, TRUE);
        gtk_widget_show(warningLabel);
        gtk_widget_show_all(warningBox);
        gtk_box_pack_start(GTK_BOX(panel), warningBox, FALSE, FALSE, 4);
        return panel;
    }

    GtkWidget* BuildCanvas() {
        canvas = gtk_drawing_area_new();
        // It opens at the game's own size and may shrink to half of it on a small screen.
        gtk_widget_set_size_request(canvas, kViewWidth / 2, kViewHeight / 2);
        gtk_widget_set_hexpand(canvas, TRUE);
        gtk_widget_set_vexpand(canvas, TRUE);
        gtk_widget_add_events(canvas, GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK |
                                          GDK_POINTER_MOTION_MASK | GDK_LEAVE_NOTIFY_MASK);
        g_signal_connect(canvas, "draw", G_CALLBACK(+[](GtkWidget*, cairo_t* cr, Impl* self) {
                             self->Draw(cr);
                             return FALSE;
                         }),
                         this);
        g_signal_connect(canvas, "button-press-event",
                         G_CALLBACK(+[](GtkWidget*, GdkEventButton* event, Impl* self) {
                             return gboolean(self->Press(event));
                         }),
                         this);
        g_signal_connect(canvas, "button-release-event",
                         G_CALLBACK(+[](GtkWidget*, GdkEventButton* event, Impl* self) {
                             if (self->stroking && event->button == self->strokeButton) {
                                 self->stroking = false;
                                 self->document.EndStroke();
                             }
                             return TRUE;
                         }),
                         this);
        g_signal_connect(canvas, "motion-notify-event",
                         G_CALLBACK(+[](GtkWidget*, GdkEventMotion* event, Impl* self) {
                             self->Motion(event->x, event->y);
                             return TRUE;
                         }),
                         this);
        g_signal_connect(canvas, "leave-notify-event",
                         G_CALLBACK(+[](GtkWidget*, GdkEventCrossing*, Impl* self) {
                             self->hoverRow = self->hoverColumn = -1;
                             self->Refresh();
                             return FALSE;
                         }),
                         this);
        GtkWidget* frame = gtk_frame_new(nullptr);
        gtk_container_add(GTK_CONTAINER(frame), canvas);
        return frame;
    }

    bool Press(GdkEventButton* event) {
        if (event->type != GDK_BUTTON_PRESS) return TRUE;  // double clicks add nothing
        int row = 0, column = 0;
        if (!CellAt(CurrentView(), event->x, event->y, row, column)) return TRUE;
        if (event->button == 2) {
            // The middle button picks up what the cell holds.
            const Cell& cell = document.cell(row, column);
            if (!cell.odd) SetPaintCode(cell.code);
            return TRUE;
        }
        if (event->button != 1 && event->button != 3) return TRUE;
        if (stroking) return TRUE;
        stroking = true;
        strokeButton = event->button;
        strokeCode = event->button == 1 ? paintCode : 0;
        document.BeginStroke();
        PaintAt(row, column);
        return TRUE;
    }

    void Motion(double x, double y) {
        int row = -1, column = -1;
        if (!CellAt(CurrentView(), x, y, row, column)) row = column = -1;
        const bool moved = row != hoverRow || column != hoverColumn;
        hoverRow = row;
        hoverColumn = column;
        if (stroking && row >= 0 && (row != lastRow || column != lastColumn))
            PaintAlong(row, column);
        else if (stroking && row < 0)
            lastRow = lastColumn = -1;  // back in the grid, the stroke starts afresh
        else if (moved)
            Refresh();
    }

    bool Key(GdkEventKey* event) {
        const guint mods = event->state & gtk_accelerator_get_default_mod_mask();
        const guint key = gdk_keyval_to_lower(event->keyval);
        if (mods == GDK_CONTROL_MASK || mods == (GDK_CONTROL_MASK | GDK_SHIFT_MASK)) {
            const bool shift = (mods & GDK_SHIFT_MASK) != 0;
            switch (key) {
                case GDK_KEY_n:
                    New();
                    return true;
                case GDK_KEY_o:
                    ChooseAndOpen();
                    return true;
                case GDK_KEY_s:
                    if (shift)
                        SaveAs(nullptr);
                    else
                        Save(nullptr);
                    return true;
                case GDK_KEY_z:
                    if (shift)
                        Redo();
                    else
                        Undo();
                    return true;
                case GDK_KEY_y:
                    Redo();
                    return true;
                case GDK_KEY_q:
                case GDK_KEY_w:
                    RequestClose();
                    return true;
                default:
                    return false;
            }
        }
        // Plain keys are the palette's and the mirror's, unless a text field has them.
        GtkWidget* focus = gtk_window_get_focus(GTK_WINDOW(window));
        if (mods != 0 || (focus != nullptr && GTK_IS_EDITABLE(focus))) return false;
        if (key >= GDK_KEY_0 && key <= GDK_KEY_7) {
            SetPaintCode(kPaletteCodes[key - GDK_KEY_0]);
            return true;
        }
        if (key >= GDK_KEY_KP_0 && key <= GDK_KEY_KP_7) {
            SetPaintCode(kPaletteCodes[key - GDK_KEY_KP_0]);
            return true;
        }
        if (key == GDK_KEY_m) {
            SetMirror(!mirror);
            return true;
        }
        return false;
    }

    GtkWidget* BuildProblemsBar() {
        GtkWidget* bar = gtk_info_bar_new();
        gtk_info_bar_set_message_type(GTK_INFO_BAR(bar), GTK_MESSAGE_WARNING);
        gtk_info_bar_set_show_close_button(GTK_INFO_BAR(bar), TRUE);
        std::string text = "Some of the game's pictures could not be read, so those parts are "
                           "drawn plainly:";
        for (const std::string& problem : pictures.problems)
            text += "\n" + problem;
        GtkWidget* label = gtk_label_new(text.c_str());
        gtk_label_set_xalign(GTK_LABEL(label), 0);
        gtk_label_set_line_wrap(GTK_LABEL(label), TRUE);
        gtk_container_add(GTK_CONTAINER(gtk_info_bar_get_content_area(GTK_INFO_BAR(bar))),
                          label);
        g_signal_connect(bar, "response", G_CALLBACK(gtk_widget_hide), nullptr);
        return bar;
    }

    void Build() {
        painter = std::make_unique<LevelPainter>(pictures);

        window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
        gtk_window_set_default_size(GTK_WINDOW(window), kViewWidth + 430, kViewHeight + 360);
        gtk_window_set_icon_name(GTK_WINDOW(window), "tessaly");
        GtkWidget* content = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
        gtk_container_add(GTK_CONTAINER(window), content);
        gtk_box_pack_start(GTK_BOX(content), BuildToolbar(), FALSE, FALSE, 0);
        if (!pictures.problems.empty())
            gtk_box_pack_start(GTK_BOX(content), BuildProblemsBar(), FALSE, FALSE, 0);

        GtkWidget* middle = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 0);
        gtk_widget_set_margin_start(middle, 8);
        gtk_widget_set_margin_top(middle, 4);
        gtk_box_pack_start(GTK_BOX(middle), BuildCanvas(), TRUE, TRUE, 0);
        gtk_box_pack_start(GTK_BOX(middle), BuildSidePanel(), FALSE, FALSE, 0);
        gtk_box_pack_start(GTK_BOX(content), middle, TRUE, TRUE, 0);

        GtkWidget* status = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 12);
        gtk_widget_set_margin_start(status, 8);
        gtk_widget_set_margin_end(status, 8);
        gtk_widget_set_margin_top(status, 4);
        gtk_widget_set_margin_bottom(status, 4);
        countsLabel = gtk_label_new(nullptr);
        cellLabel = gtk_label_new(nullptr);
        gtk_label_set_ellipsize(GTK_LABEL(cellLabel), PANGO_ELLIPSIZE_END);
        gtk_box_pack_start(GTK_BOX(status), countsLabel, FALSE, FALSE, 0);
        gtk_box_pack_end(GTK_BOX(status), cellLabel, FALSE, FALSE, 0);
        gtk_box_pack_start(GTK_BOX(content), gtk_separator_new(GTK_ORIENTATION_HORIZONTAL),
                           FALSE, FALSE, 0);
        gtk_box_pack_start(GTK_BOX(content), status, FALSE, FALSE, 0);

        g_signal_connect(window, "key-press-event",
                         G_CALLBACK(+[](GtkWidget*, GdkEventKey* event, Impl* self) {
                             return gboolean(self->Key(event));
                         }),
                         this);
        g_signal_connect(window, "delete-event",
                         G_CALLBACK(+[](GtkWidget*, GdkEvent*, Impl* self) {
                             self->RequestClose();
                             return TRUE;
                         }),
                         this);
        g_signal_connect(window, "destroy", G_CALLBACK(+[](GtkWidget*, Impl* self) {
                             self->window = nullptr;
                             if (self->closed) self->closed();
                         }),
                         this);
        SetPaintCode(paintCode);
        Refresh();
    }

    ~Impl() {
        if (window != nullptr) {
            closed = nullptr;
            gtk_widget_destroy(window);
        }
    }
};

EditorWindow::EditorWindow(std::string gameFolder, LevelPictures pictures)
    : impl_(std::make_unique<Impl>()) {
    impl_->gameFolder = std::move(gameFolder);
    impl_->pictures = std::move(pictures);
    impl_->Build();
}

EditorWindow::~EditorWindow() = default;

GtkWindow* EditorWindow::window() const {
    return GTK_WINDOW(impl_->window);
}

void EditorWindow::Show() {
    gtk_widget_show_all(impl_->window);
}

bool EditorWindow::Open(const std::string& path) {
    return impl_->Open(path);
}

void EditorWindow::Save() {
    impl_->Save(nullptr);
}

const LevelDocument& EditorWindow::document() const {
    return impl_->document;
}

const std::string& EditorWindow::path() const {
    return impl_->path;
}

std::string EditorWindow::Title() const {
    return impl_->Title();
}

std::string EditorWindow::StatusText() const {
    return impl_->StatusText();
}

std::string EditorWindow::CellText() const {
    return gtk_label_get_text(GTK_LABEL(impl_->cellLabel));
}

GtkWidget* EditorWindow::canvas() const {
    return impl_->canvas;
}

void EditorWindow::CellCentre(int row, int column, double& x, double& y) const {
    editor::CellCentre(impl_->CurrentView(), row, column, x, y);
}

void EditorWindow::RequestClose() {
    impl_->RequestClose();
}

void EditorWindow::OnClosed(std::function<void()> closed) {
    impl_->closed = std::move(closed);
}

}  // namespace editor
