#include "editor/editor_window.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <utility>

#include "editor/editor_widgets.hpp"
#include "editor/file_actions.hpp"
#include "editor/level_view.hpp"

namespace editor {

struct EditorWindow::Impl {
    Impl(std::string gameFolder, LevelPictures levelPictures);
    ~Impl();

    LevelPictures pictures;
    LevelDocument document;
    FileActions files;
    LevelPainter painter;
    Toolbar toolbar;
    SidePanel panel;
    StatusLine status;
    std::function<void()> closed;

    GtkWidget* window = nullptr;
    GtkWidget* canvas = nullptr;

    int paintCode = 100;
    bool mirror = false;
    bool stroking = false;
    guint strokeButton = 0;  // the button that paints the stroke
    int strokeCode = 0;
    int lastRow = -1, lastColumn = -1;    // the cell the stroke painted last
    int hoverRow = -1, hoverColumn = -1;  // the cell under the pointer
    bool closing = false;

    // ---- The drawing ----

    ViewPlacement CurrentView() const {
        return PlaceView(gtk_widget_get_allocated_width(canvas),
                         gtk_widget_get_allocated_height(canvas));
    }

    void Draw(cairo_t* cr) {
        painter.DrawLevel(cr, gtk_widget_get_allocated_width(canvas),
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
        panel.ShowPaintCode(code);
    }

    void SetMirror(bool on) {
        mirror = on;
        toolbar.ShowMirror(on);
        gtk_widget_queue_draw(canvas);
    }

    // Shows the document in every part of the window.
    void Refresh() {
        gtk_window_set_title(GTK_WINDOW(window), WindowTitle(files.path(), document).c_str());
        toolbar.Show(document);
        panel.Show(document);
        status.Show(document, hoverRow, hoverColumn);
        gtk_widget_queue_draw(canvas);
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
        files.WhenChangesSettled("Close _without Saving", [this] {
            closing = true;
            gtk_widget_destroy(window);
        });
    }

    // ---- The parts' actions ----

    Toolbar::Actions ToolbarActions() {
        return {
            .newLevel = [this] { files.New(); },
            .open = [this] { files.ChooseAndOpen(); },
            .save = [this] { files.Save(nullptr); },
            .saveAs = [this] { files.SaveAs(nullptr); },
            .undo = [this] { Undo(); },
            .redo = [this] { Redo(); },
            .play = [this] { files.Play(); },
            .mirror = [this](bool on) { SetMirror(on); },
        };
    }

    SidePanel::Actions PanelActions() {
        return {
            .pick = [this](int code) { paintCode = code; },
            .background =
                [this](int code) {
                    document.SetBackground(code);
                    Refresh();
                },
            .barrier =
                [this](bool on) {
                    document.SetBarrier(on);
                    Refresh();
                },
            .descent =
                [this](bool on) {
                    document.SetDescent(on);
                    Refresh();
                },
            .countBricksLeft =
                [this] {
                    document.CountBricksLeft();
                    Refresh();
                },
            .bricksLeftByHand =
                [this] {
                    document.SetBricksLeft(document.BricksLeft());
                    Refresh();
                },
            .typeBricksLeft =
                [this](int value) {
                    if (!document.BricksLeftByHand()) return;
                    document.SetBricksLeft(std::int16_t(value));
                    Refresh();
                },
        };
    }

    FileActions::Hooks FileHooks() {
        return {
            .takeTyping = [this] { panel.TakeTyping(); },
            .replaced =
                [this] {
                    stroking = false;
                    Refresh();
                },
            .saved = [this] { Refresh(); },
        };
    }

    // ---- The level and the pointer ----

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
                    files.New();
                    return true;
                case GDK_KEY_o:
                    files.ChooseAndOpen();
                    return true;
                case GDK_KEY_s:
                    if (shift)
                        files.SaveAs(nullptr);
                    else
                        files.Save(nullptr);
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
        if (mods == 0 && key == GDK_KEY_F5) {
            files.Play();
            return true;
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

    // ---- The window ----

    void Build() {
        window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
        files.SetParent(GTK_WINDOW(window));
        gtk_window_set_default_size(GTK_WINDOW(window), kViewWidth + 430, kViewHeight + 360);
        gtk_window_set_icon_name(GTK_WINDOW(window), "tessaly");
        GtkWidget* content = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
        gtk_container_add(GTK_CONTAINER(window), content);
        gtk_box_pack_start(GTK_BOX(content), toolbar.widget(), FALSE, FALSE, 0);
        if (!pictures.problems.empty())
            gtk_box_pack_start(GTK_BOX(content), ProblemsBar(pictures.problems), FALSE, FALSE, 0);

        GtkWidget* middle = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 0);
        gtk_widget_set_margin_start(middle, 8);
        gtk_widget_set_margin_top(middle, 4);
        gtk_box_pack_start(GTK_BOX(middle), BuildCanvas(), TRUE, TRUE, 0);
        gtk_box_pack_start(GTK_BOX(middle), panel.widget(), FALSE, FALSE, 0);
        gtk_box_pack_start(GTK_BOX(content), middle, TRUE, TRUE, 0);

        gtk_box_pack_start(GTK_BOX(content), gtk_separator_new(GTK_ORIENTATION_HORIZONTAL), FALSE,
                           FALSE, 0);
        gtk_box_pack_start(GTK_BOX(content), status.widget(), FALSE, FALSE, 0);

        g_signal_connect(window, "key-press-event",
                         G_CALLBACK(+[](GtkWidget*, GdkEventKey* event, Impl* self) {
                             return gboolean(self->Key(event));
                         }),
                         this);
        g_signal_connect(window, "delete-event", G_CALLBACK(+[](GtkWidget*, GdkEvent*, Impl* self) {
                             self->RequestClose();
                             return TRUE;
                         }),
                         this);
        g_signal_connect(window, "destroy", G_CALLBACK(+[](GtkWidget*, Impl* self) {
                             self->window = nullptr;
                             self->files.SetParent(nullptr);
                             if (self->closed) self->closed();
                         }),
                         this);
        SetPaintCode(paintCode);
        Refresh();
    }
};

EditorWindow::Impl::Impl(std::string gameFolder, LevelPictures levelPictures)
    : pictures(std::move(levelPictures)),
      files(std::move(gameFolder), document, FileHooks()),
      painter(pictures),
      toolbar(ToolbarActions()),
      panel(painter, PanelActions()) {
    Build();
}

EditorWindow::Impl::~Impl() {
    if (window != nullptr) {
        closed = nullptr;
        gtk_widget_destroy(window);
    }
}

EditorWindow::EditorWindow(std::string gameFolder, LevelPictures pictures)
    : impl_(std::make_unique<Impl>(std::move(gameFolder), std::move(pictures))) {}

EditorWindow::~EditorWindow() = default;

GtkWindow* EditorWindow::window() const {
    return GTK_WINDOW(impl_->window);
}

void EditorWindow::Show() {
    gtk_widget_show_all(impl_->window);
}

bool EditorWindow::Open(const std::string& path) {
    return impl_->files.Open(path);
}

void EditorWindow::Save() {
    impl_->files.Save(nullptr);
}

const LevelDocument& EditorWindow::document() const {
    return impl_->document;
}

const std::string& EditorWindow::path() const {
    return impl_->files.path();
}

std::string EditorWindow::Title() const {
    return WindowTitle(impl_->files.path(), impl_->document);
}

std::string EditorWindow::StatusText() const {
    return CountsText(impl_->document);
}

std::string EditorWindow::CellText() const {
    return impl_->status.CellText();
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
