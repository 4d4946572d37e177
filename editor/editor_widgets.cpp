#include "editor/editor_widgets.hpp"

#include <cstdint>
#include <utility>

#include "editor/status_text.hpp"

namespace editor {

namespace {

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

bool IsActive(GtkWidget* toggle) {
    return gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(toggle));
}

}  // namespace

void OnSignal(gpointer instance, const char* signal, std::function<void()> action) {
    using Action = std::function<void()>;
    g_signal_connect_data(
        instance, signal,
        G_CALLBACK(+[](gpointer, gpointer data) { (*static_cast<Action*>(data))(); }),
        new Action(std::move(action)),
        +[](gpointer data, GClosure*) { delete static_cast<Action*>(data); }, GConnectFlags(0));
}

// ---- The toolbar ----

Toolbar::Toolbar(Actions actions) : actions_(std::move(actions)) {
    toolbar_ = gtk_toolbar_new();
    gtk_toolbar_set_style(GTK_TOOLBAR(toolbar_), GTK_TOOLBAR_BOTH);
    AddButton("document-new", "_New", "Start a new level (Ctrl+N)", actions_.newLevel);
    AddButton("document-open", "_Open", "Open a level file (Ctrl+O)", actions_.open);
    AddButton("document-save", "_Save", "Save the level (Ctrl+S)", actions_.save);
    AddButton("document-save-as", "Save _As", "Save under another name (Shift+Ctrl+S)",
              actions_.saveAs);
    gtk_toolbar_insert(GTK_TOOLBAR(toolbar_), gtk_separator_tool_item_new(), -1);
    undo_ = AddButton("edit-undo", "_Undo", "Undo the last change (Ctrl+Z)", actions_.undo);
    redo_ = AddButton("edit-redo", "_Redo", "Redo what was undone (Ctrl+Y)", actions_.redo);
    gtk_toolbar_insert(GTK_TOOLBAR(toolbar_), gtk_separator_tool_item_new(), -1);
    mirror_ = gtk_toggle_tool_button_new();
    gtk_tool_button_set_label(GTK_TOOL_BUTTON(mirror_), "_Mirror");
    gtk_tool_button_set_use_underline(GTK_TOOL_BUTTON(mirror_), TRUE);
    gtk_tool_button_set_icon_name(GTK_TOOL_BUTTON(mirror_), "object-flip-horizontal");
    gtk_widget_set_tooltip_text(GTK_WIDGET(mirror_),
                                "Paint the mirror cell across the middle too (M)");
    OnSignal(mirror_, "toggled", [this] {
        actions_.mirror(gtk_toggle_tool_button_get_active(GTK_TOGGLE_TOOL_BUTTON(mirror_)));
    });
    gtk_toolbar_insert(GTK_TOOLBAR(toolbar_), mirror_, -1);
    gtk_toolbar_insert(GTK_TOOLBAR(toolbar_), gtk_separator_tool_item_new(), -1);
    AddButton("media-playback-start", "_Play", "Save the level and play it in the game (F5)",
              actions_.play);
}

GtkToolItem* Toolbar::AddButton(const char* icon, const char* label, const char* tip,
                                std::function<void()> clicked) {
    GtkToolItem* item = gtk_tool_button_new(nullptr, label);
    gtk_tool_button_set_icon_name(GTK_TOOL_BUTTON(item), icon);
    gtk_tool_button_set_use_underline(GTK_TOOL_BUTTON(item), TRUE);
    gtk_widget_set_tooltip_text(GTK_WIDGET(item), tip);
    OnSignal(item, "clicked", std::move(clicked));
    gtk_toolbar_insert(GTK_TOOLBAR(toolbar_), item, -1);
    return item;
}

void Toolbar::Show(const LevelDocument& document) {
    gtk_widget_set_sensitive(GTK_WIDGET(undo_), document.CanUndo());
    gtk_widget_set_sensitive(GTK_WIDGET(redo_), document.CanRedo());
}

void Toolbar::ShowMirror(bool on) {
    if (gtk_toggle_tool_button_get_active(GTK_TOGGLE_TOOL_BUTTON(mirror_)) != on)
        gtk_toggle_tool_button_set_active(GTK_TOGGLE_TOOL_BUTTON(mirror_), on);
}

// ---- The side panel ----

SidePanel::SidePanel(const LevelPainter& painter, Actions actions)
    : painter_(painter), actions_(std::move(actions)) {
    panel_ = gtk_box_new(GTK_ORIENTATION_VERTICAL, 4);
    gtk_widget_set_margin_start(panel_, 8);
    gtk_widget_set_margin_end(panel_, 8);

    gtk_box_pack_start(GTK_BOX(panel_), SectionTitle("Bricks"), FALSE, FALSE, 0);
    GtkWidget* palette = gtk_grid_new();
    gtk_grid_set_column_spacing(GTK_GRID(palette), 4);
    gtk_grid_set_row_spacing(GTK_GRID(palette), 4);
    gtk_grid_set_column_homogeneous(GTK_GRID(palette), TRUE);
    for (int i = 0; i < 8; ++i) {
        GtkWidget* button = PaletteButton(i == 0 ? nullptr : paletteButtons_[0], i);
        paletteButtons_[std::size_t(i)] = button;
        gtk_grid_attach(GTK_GRID(palette), button, i % 2, i / 2, 1, 1);
    }
    gtk_box_pack_start(GTK_BOX(panel_), palette, FALSE, FALSE, 0);

    gtk_box_pack_start(GTK_BOX(panel_), SectionTitle("Background"), FALSE, FALSE, 0);
    GtkWidget* backgrounds = gtk_grid_new();
    gtk_grid_set_column_spacing(GTK_GRID(backgrounds), 4);
    gtk_grid_set_row_spacing(GTK_GRID(backgrounds), 4);
    for (int i = 0; i < 7; ++i) {
        const int code = i == 0 ? kNoBackground : kFirstBackground + i - 1;
        GtkWidget* button = BackgroundButton(i == 0 ? nullptr : backgroundButtons_[0], code);
        backgroundButtons_[std::size_t(i)] = button;
        gtk_grid_attach(GTK_GRID(backgrounds), button, i % 4, i / 4, 1, 1);
    }
    gtk_box_pack_start(GTK_BOX(panel_), backgrounds, FALSE, FALSE, 0);

    gtk_box_pack_start(GTK_BOX(panel_), SectionTitle("Hazards"), FALSE, FALSE, 0);
    barrierCheck_ = HazardCheck("Moving _barrier",
                                "A barrier moves to and fro below the bricks, as in levels "
                                "7 and 9",
                                actions_.barrier);
    descentCheck_ = HazardCheck("_Creeping bricks",
                                "Every few seconds the bricks move down, as in levels 6 and "
                                "12; the level is lost when they reach the paddle",
                                actions_.descent);
    gtk_box_pack_start(GTK_BOX(panel_), barrierCheck_, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(panel_), descentCheck_, FALSE, FALSE, 0);

    gtk_box_pack_start(GTK_BOX(panel_), SectionTitle("Bricks to clear"), FALSE, FALSE, 0);
    AddBricksLeftSettings();

    warningBox_ = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 6);
    gtk_box_pack_start(GTK_BOX(warningBox_),
                       gtk_image_new_from_icon_name("dialog-warning", GTK_ICON_SIZE_BUTTON), FALSE,
                       FALSE, 0);
    warningLabel_ = gtk_label_new(nullptr);
    gtk_label_set_line_wrap(GTK_LABEL(warningLabel_), TRUE);
    gtk_label_set_max_width_chars(GTK_LABEL(warningLabel_), 36);
    gtk_label_set_xalign(GTK_LABEL(warningLabel_), 0);
    gtk_box_pack_start(GTK_BOX(warningBox_), warningLabel_, TRUE, TRUE, 0);
    gtk_widget_set_no_show_all(warningBox_, TRUE);
    gtk_widget_show(warningLabel_);
    gtk_widget_show_all(warningBox_);
    gtk_box_pack_start(GTK_BOX(panel_), warningBox_, FALSE, FALSE, 4);
}

GtkWidget* SidePanel::PaletteButton(GtkWidget* groupMember, int index) {
    const int code = kPaletteCodes[std::size_t(index)];
    GtkWidget* button =
        gtk_radio_button_new_from_widget(groupMember ? GTK_RADIO_BUTTON(groupMember) : nullptr);
    gtk_toggle_button_set_mode(GTK_TOGGLE_BUTTON(button), FALSE);
    GtkWidget* box = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 8);
    // The picture: the brick as the game draws it, or a dashed empty cell.
    GtkWidget* picture = gtk_drawing_area_new();
    gtk_widget_set_size_request(picture, kBrickWidth, kBrickHeight);
    g_object_set_data(G_OBJECT(picture), "code", GINT_TO_POINTER(code));
    g_signal_connect(picture, "draw", G_CALLBACK(+[](GtkWidget* w, cairo_t* cr, SidePanel* self) {
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
                             self->painter_.DrawBrick(cr, c, 0, 0);
                         }
                         return FALSE;
                     }),
                     this);
    gtk_box_pack_start(GTK_BOX(box), picture, FALSE, FALSE, 0);
    std::string text = code == 0 ? std::string("Empty")
                                 : std::string(1, BrickLetter(code)) + "  " + std::to_string(code) +
                                       "  " + BrickBehaviour(code);
    GtkWidget* label = gtk_label_new(text.c_str());
    gtk_widget_set_halign(label, GTK_ALIGN_START);
    gtk_box_pack_start(GTK_BOX(box), label, TRUE, TRUE, 0);
    gtk_container_add(GTK_CONTAINER(button), box);
    gtk_widget_set_tooltip_text(
        button, (std::string(code == 0 ? "Paint empty cells" : "Paint this brick") + " (key " +
                 std::to_string(index) + "; the right button always empties)")
                    .c_str());
    OnSignal(button, "toggled", [this, button, code] {
        if (IsActive(button)) actions_.pick(code);
    });
    return button;
}

GtkWidget* SidePanel::BackgroundButton(GtkWidget* groupMember, int code) {
    GtkWidget* button =
        gtk_radio_button_new_from_widget(groupMember ? GTK_RADIO_BUTTON(groupMember) : nullptr);
    gtk_toggle_button_set_mode(GTK_TOGGLE_BUTTON(button), FALSE);
    GtkWidget* box = gtk_box_new(GTK_ORIENTATION_VERTICAL, 2);
    constexpr int kThumbWidth = 64, kThumbHeight = 48;
    GtkWidget* image = nullptr;
    cairo_surface_t* picture = painter_.Background(code);
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
    OnSignal(button, "toggled", [this, button, code] {
        if (syncing_ || !IsActive(button)) return;
        actions_.background(code);
    });
    return button;
}

GtkWidget* SidePanel::HazardCheck(const char* label, const char* tip,
                                  const std::function<void(bool)>& apply) {
    GtkWidget* check = gtk_check_button_new_with_mnemonic(label);
    gtk_widget_set_tooltip_text(check, tip);
    OnSignal(check, "toggled", [this, check, apply] {
        if (syncing_) return;
        apply(IsActive(check));
    });
    return check;
}

void SidePanel::AddBricksLeftSettings() {
    countedRadio_ = gtk_radio_button_new_with_mnemonic(nullptr, "Count from the _grid");
    gtk_widget_set_tooltip_text(countedRadio_,
                                "Every brick but the indestructible g 103 counts once");
    byHandRadio_ = gtk_radio_button_new_with_mnemonic_from_widget(GTK_RADIO_BUTTON(countedRadio_),
                                                                  "Set by _hand:");
    bricksLeftSpin_ = gtk_spin_button_new_with_range(-32768, 32767, 1);
    gtk_widget_set_tooltip_text(bricksLeftSpin_,
                                "The level is won when this many bricks are destroyed");
    OnSignal(countedRadio_, "toggled", [this] {
        if (syncing_ || !IsActive(countedRadio_)) return;
        actions_.countBricksLeft();
    });
    OnSignal(byHandRadio_, "toggled", [this] {
        if (syncing_ || !IsActive(byHandRadio_)) return;
        actions_.bricksLeftByHand();
    });
    OnSignal(bricksLeftSpin_, "value-changed", [this] {
        if (syncing_) return;
        actions_.typeBricksLeft(gtk_spin_button_get_value_as_int(GTK_SPIN_BUTTON(bricksLeftSpin_)));
    });
    GtkWidget* byHandRow = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 6);
    gtk_box_pack_start(GTK_BOX(byHandRow), byHandRadio_, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(byHandRow), bricksLeftSpin_, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(panel_), countedRadio_, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(panel_), byHandRow, FALSE, FALSE, 0);
}

void SidePanel::ShowPaintCode(int code) {
    for (std::size_t i = 0; i < kPaletteCodes.size(); ++i)
        if (kPaletteCodes[i] == code)
            gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(paletteButtons_[i]), TRUE);
}

void SidePanel::Show(const LevelDocument& document) {
    syncing_ = true;
    const Level& level = document.level();
    int backgroundIndex = 0;
    if (level.background >= kFirstBackground && level.background <= kLastBackground)
        backgroundIndex = 1 + level.background - kFirstBackground;
    gtk_toggle_button_set_active(
        GTK_TOGGLE_BUTTON(backgroundButtons_[std::size_t(backgroundIndex)]), TRUE);
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(barrierCheck_), level.barrier);
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(descentCheck_), level.descent);

    const bool byHand = document.BricksLeftByHand();
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(byHand ? byHandRadio_ : countedRadio_), TRUE);
    gtk_widget_set_sensitive(bricksLeftSpin_, byHand);
    gtk_spin_button_set_value(GTK_SPIN_BUTTON(bricksLeftSpin_), document.BricksLeft());
    const std::string warning = WarningText(document);
    gtk_label_set_text(GTK_LABEL(warningLabel_), warning.c_str());
    gtk_widget_set_visible(warningBox_, !warning.empty());
    syncing_ = false;
}

void SidePanel::TakeTyping() {
    if (gtk_widget_has_focus(bricksLeftSpin_))
        gtk_spin_button_update(GTK_SPIN_BUTTON(bricksLeftSpin_));
}

// ---- The status line ----

StatusLine::StatusLine() {
    box_ = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 12);
    gtk_widget_set_margin_start(box_, 8);
    gtk_widget_set_margin_end(box_, 8);
    gtk_widget_set_margin_top(box_, 4);
    gtk_widget_set_margin_bottom(box_, 4);
    counts_ = gtk_label_new(nullptr);
    cell_ = gtk_label_new(nullptr);
    gtk_label_set_ellipsize(GTK_LABEL(cell_), PANGO_ELLIPSIZE_END);
    gtk_box_pack_start(GTK_BOX(box_), counts_, FALSE, FALSE, 0);
    gtk_box_pack_end(GTK_BOX(box_), cell_, FALSE, FALSE, 0);
}

void StatusLine::Show(const LevelDocument& document, int hoverRow, int hoverColumn) {
    gtk_label_set_text(GTK_LABEL(counts_), CountsText(document).c_str());
    gtk_label_set_text(
        GTK_LABEL(cell_),
        hoverRow >= 0 ? editor::CellText(document, hoverRow, hoverColumn).c_str() : "");
}

std::string StatusLine::CellText() const {
    return gtk_label_get_text(GTK_LABEL(cell_));
}

// ---- The problems bar ----

GtkWidget* ProblemsBar(const std::vector<std::string>& problems) {
    GtkWidget* bar = gtk_info_bar_new();
    gtk_info_bar_set_message_type(GTK_INFO_BAR(bar), GTK_MESSAGE_WARNING);
    gtk_info_bar_set_show_close_button(GTK_INFO_BAR(bar), TRUE);
    std::string text =
        "Some of the game's pictures could not be read, so those parts are "
        "drawn plainly:";
    for (const std::string& problem : problems)
        text += "\n" + problem;
    GtkWidget* label = gtk_label_new(text.c_str());
    gtk_label_set_xalign(GTK_LABEL(label), 0);
    gtk_label_set_line_wrap(GTK_LABEL(label), TRUE);
    gtk_container_add(GTK_CONTAINER(gtk_info_bar_get_content_area(GTK_INFO_BAR(bar))), label);
    g_signal_connect(bar, "response", G_CALLBACK(gtk_widget_hide), nullptr);
    return bar;
}

}  // namespace editor
