#include "runtime/gui/gtk/gtk_gui.hpp"

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "runtime/gui/backend.hpp"
#include "runtime/gui/gtk/folder_tree.hpp"
#include "runtime/gui/gtk/window_loss.hpp"
#include "runtime/images/images.hpp"
#include "runtime/screen/screen.hpp"

namespace runtime::gui::gtk {

namespace {

struct GadgetWindow {
    GtkWidget* window = nullptr;
    GtkWidget* fixed = nullptr;
    int width = 0;  // client size last seen, to tell real size changes
    int height = 0;
    guint showing = 0;  // the idle call that shows the window, until it has run
};

gboolean ShowWindow(gpointer data) {
    auto* w = static_cast<GadgetWindow*>(data);
    w->showing = 0;
    gtk_widget_show(w->window);
    return G_SOURCE_REMOVE;
}

struct Gadget {
    GadgetKind kind = GadgetKind::Text;
    int number = 0;
    int width = 0;
    GtkWidget* outer = nullptr;
    GtkWidget* control = nullptr;
    std::string text;  // a label's or button's text as given (not necessarily UTF-8)
    // List: the store holds each item as given and as shown.
    GtkListStore* items = nullptr;
    int quiet = 0;  // while the library itself changes the selection, it is no event
    int lastSelected = -1;
    cairo_surface_t* picture = nullptr;
    std::unique_ptr<FolderTree> tree;

    ~Gadget() {
        if (picture) cairo_surface_destroy(picture);
    }
};

enum ListColumn { ListColumnText, ListColumnShown };

// Buttons and sunken labels as short as 20 pixels must keep their height: the launcher's
// layout gives them exactly that room.
constexpr const char* kStyle =
    "button.tessaly-compact { min-height: 0; padding-top: 0; padding-bottom: 0; }\n";

Gadget* AsGadget(void* native) {
    return static_cast<Gadget*>(native);
}

GtkWidget* Sunken(GtkWidget* inside) {
    GtkWidget* frame = gtk_frame_new(nullptr);
    gtk_frame_set_shadow_type(GTK_FRAME(frame), GTK_SHADOW_IN);
    gtk_container_add(GTK_CONTAINER(frame), inside);
    return frame;
}

void SetLabelText(Gadget& g, std::string_view text) {
    g.text = std::string(text);
    const std::string shown = Displayable(text);
    gtk_label_set_text(GTK_LABEL(g.control), shown.c_str());
    // A text wider than its box is shortened in the middle; the whole of it is the tooltip.
    PangoLayout* layout = gtk_widget_create_pango_layout(g.control, shown.c_str());
    int width = 0, height = 0;
    pango_layout_get_pixel_size(layout, &width, &height);
    g_object_unref(layout);
    gtk_widget_set_tooltip_text(g.control, width > g.width - 8 ? shown.c_str() : nullptr);
}

void SetButtonText(Gadget& g, std::string_view text) {
    g.text = std::string(text);
    gtk_button_set_label(GTK_BUTTON(g.control), Displayable(text).c_str());
    if (GtkWidget* label = gtk_bin_get_child(GTK_BIN(g.control)); GTK_IS_LABEL(label))
        gtk_label_set_ellipsize(GTK_LABEL(label), PANGO_ELLIPSIZE_END);
}

int SelectedRow(Gadget& g) {
    GtkTreeSelection* selection = gtk_tree_view_get_selection(GTK_TREE_VIEW(g.control));
    GtkTreeModel* model = nullptr;
    GtkTreeIter row;
    if (!gtk_tree_selection_get_selected(selection, &model, &row)) return -1;
    GtkTreePath* path = gtk_tree_model_get_path(model, &row);
    const int index = gtk_tree_path_get_indices(path)[0];
    gtk_tree_path_free(path);
    return index;
}

void OnListSelection(GtkTreeSelection*, gpointer data) {
    Gadget& g = *static_cast<Gadget*>(data);
    if (g.quiet) return;
    const int row = SelectedRow(g);
    // Only a newly picked item is news; the player cannot pick "nothing" in this list.
    if (row == g.lastSelected) return;
    g.lastSelected = row;
    if (row >= 0) PostGadgetEvent(g.number, TypeLeftClick);
}

gboolean OnListButton(GtkWidget* widget, GdkEventButton* event, gpointer data) {
    Gadget& g = *static_cast<Gadget*>(data);
    GtkTreeView* view = GTK_TREE_VIEW(widget);
    if (event->type != GDK_2BUTTON_PRESS || event->button != GDK_BUTTON_PRIMARY ||
        event->window != gtk_tree_view_get_bin_window(view))
        return FALSE;
    GtkTreePath* path = nullptr;
    if (gtk_tree_view_get_path_at_pos(view, int(event->x), int(event->y), &path, nullptr, nullptr,
                                      nullptr)) {
        gtk_tree_path_free(path);
        PostGadgetEvent(g.number, TypeLeftDoubleClick);
    }
    return FALSE;
}

void OnClicked(GtkButton*, gpointer data) {
    PostGadgetEvent(static_cast<Gadget*>(data)->number, TypeLeftClick);
}

gboolean OnDrawPicture(GtkWidget*, cairo_t* cr, gpointer data) {
    const Gadget& g = *static_cast<Gadget*>(data);
    if (g.picture) {
        cairo_set_source_surface(cr, g.picture, 0, 0);
        cairo_paint(cr);
    }
    return FALSE;
}

// The image's pixels as Cairo keeps them: the same 32-bit layout, blue in the low byte.
cairo_surface_t* PictureOf(const runtime::images::Image* image) {
    if (!image || image->pixels.width <= 0 || image->pixels.height <= 0) return nullptr;
    const auto& pixels = image->pixels;
    cairo_surface_t* surface =
        cairo_image_surface_create(CAIRO_FORMAT_RGB24, pixels.width, pixels.height);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        return nullptr;
    }
    cairo_surface_flush(surface);
    unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    for (int y = 0; y < pixels.height; ++y)
        std::memcpy(data + std::size_t(y) * std::size_t(stride), pixels.Row(y),
                    std::size_t(pixels.width) * 4);
    cairo_surface_mark_dirty(surface);
    return surface;
}

gboolean OnDelete(GtkWidget*, GdkEvent*, gpointer window) {
    // The player's wish to close is an event; the program closes the window if it wants to.
    PostWindowEvent(window, EventCloseRequest);
    return TRUE;
}

void OnWindowLost(void* window) {
    // Another program destroyed the window behind the program's back: nothing more can be
    // done in it, so the program is asked to quit, with the close box's event. The widgets
    // stay, hidden, until the program closes the window.
    runtime::screen::State().quitRequested = true;
    PostWindowEvent(window, EventCloseRequest);
}

void OnWindowSize(GtkWidget*, GdkRectangle* allocation, gpointer data) {
    auto* w = static_cast<GadgetWindow*>(data);
    if (allocation->width == w->width && allocation->height == w->height) return;
    w->width = allocation->width;
    w->height = allocation->height;
    PostWindowEvent(w, EventResized);
}

class GtkToolkit final : public GadgetToolkit {
  public:
    bool Start() override {
        if (!tried_) {
            tried_ = true;
            // The game reads and writes numbers and file names byte for byte; GTK must not
            // switch the program to the desktop's locale. (A message window the program
            // showed before the launcher has started GTK that way already.)
            if (!gdk_display_get_default()) gtk_disable_setlocale();
            started_ = gtk_init_check(nullptr, nullptr);
            if (started_) InstallStyle();
        }
        return started_;
    }

    Rect ScreenArea() override {
        GdkDisplay* display = gdk_display_get_default();
        GdkMonitor* monitor = display ? gdk_display_get_primary_monitor(display) : nullptr;
        if (!monitor && display) monitor = gdk_display_get_monitor(display, 0);
        if (!monitor) return Rect{0, 0, 0, 0};
        GdkRectangle area{};
        gdk_monitor_get_geometry(monitor, &area);
        return Rect{area.x, area.y, area.width, area.height};
    }

    std::optional<Rect> ActiveWindowArea() override {
        for (const GadgetWindow* w : windows_) {
            GtkWindow* window = GTK_WINDOW(w->window);
            if (!gtk_window_is_active(window)) continue;
            Rect area;
            gtk_window_get_position(window, &area.x, &area.y);
            gtk_window_get_size(window, &area.width, &area.height);
            return area;
        }
        return std::nullopt;
    }

    void* OpenWindow(const WindowSpec& spec) override {
        auto* w = new GadgetWindow;
        w->width = spec.width;
        w->height = spec.height;
        w->window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
        GtkWindow* window = GTK_WINDOW(w->window);
        gtk_window_set_title(window, Displayable(spec.title).c_str());
        gtk_window_set_decorated(window, spec.style.titleBar);
        gtk_window_set_deletable(window, spec.style.closeBox);
        gtk_window_set_resizable(window, spec.style.sizingBorder);
        // The client area is exactly the size asked for; a sizing border only lets it grow.
        w->fixed = gtk_fixed_new();
        gtk_widget_set_size_request(w->fixed, spec.width, spec.height);
        gtk_container_add(GTK_CONTAINER(window), w->fixed);
        gtk_window_set_default_size(window, spec.width, spec.height);
        // The window itself holds the keyboard focus when it appears, as a plain window
        // does: focusing the first gadget would pick the first row of a tree or list.
        gtk_widget_set_can_focus(w->fixed, TRUE);
        gtk_window_set_focus(window, w->fixed);
        gtk_window_move(window, spec.x, spec.y);
        g_signal_connect(w->window, "delete-event", G_CALLBACK(OnDelete), w);
        WatchForLoss(w->window, &OnWindowLost, w);
        g_signal_connect(w->window, "size-allocate", G_CALLBACK(OnWindowSize), w);
        gtk_widget_show(w->fixed);
        // The program fills the window with its gadgets before it next listens for events;
        // the window appears then, whole, so no click can land in it before its gadgets.
        if (spec.style.visible)
            w->showing = g_idle_add_full(G_PRIORITY_HIGH_IDLE, ShowWindow, w, nullptr);
        windows_.push_back(w);
        return w;
    }

    void CloseWindow(void* native) override {
        auto* w = static_cast<GadgetWindow*>(native);
        std::erase(windows_, w);
        if (w->showing) g_source_remove(w->showing);
        StopWatchingForLoss(w->window);
        gtk_widget_destroy(w->window);
        delete w;
        // Gone from the desktop now, even if no event is read for a while.
        if (GdkDisplay* display = gdk_display_get_default()) gdk_display_flush(display);
    }

    void* MakeGadget(void* native, const GadgetSpec& spec) override {
        auto* w = static_cast<GadgetWindow*>(native);
        auto g = std::make_unique<Gadget>();
        g->kind = spec.kind;
        g->number = spec.number;
        g->width = spec.width;
        switch (spec.kind) {
            case GadgetKind::FolderTree:
                g->tree = std::make_unique<FolderTree>(spec.number, spec.text);
                g->control = g->tree->View();
                g->outer = g->tree->Widget();
                break;
            case GadgetKind::ListBox:
                MakeList(*g);
                break;
            case GadgetKind::Text: {
                g->control = gtk_label_new(nullptr);
                GtkLabel* label = GTK_LABEL(g->control);
                gtk_label_set_ellipsize(label, PANGO_ELLIPSIZE_MIDDLE);
                gtk_label_set_xalign(label, (spec.flags & TextCentred) ? 0.5f : 0.0f);
                gtk_label_set_yalign(label, 0.5f);
                if (spec.flags & TextSunken) {
                    gtk_widget_set_margin_start(g->control, 3);
                    gtk_widget_set_margin_end(g->control, 3);
                    g->outer = Sunken(g->control);
                } else {
                    g->outer = g->control;
                }
                SetLabelText(*g, spec.text);
                break;
            }
            case GadgetKind::Button:
                g->control = gtk_button_new();
                SetButtonText(*g, spec.text);
                if (spec.height < 34)
                    gtk_style_context_add_class(gtk_widget_get_style_context(g->control),
                                                "tessaly-compact");
                g_signal_connect(g->control, "clicked", G_CALLBACK(OnClicked), g.get());
                g->outer = g->control;
                break;
            case GadgetKind::ImageBox:
                g->picture = PictureOf(spec.image);
                g->control = gtk_drawing_area_new();
                g_signal_connect(g->control, "draw", G_CALLBACK(OnDrawPicture), g.get());
                g->outer = (spec.flags & ImageSunken) ? Sunken(g->control) : g->control;
                break;
        }
        gtk_widget_set_size_request(g->outer, spec.width, spec.height);
        gtk_fixed_put(GTK_FIXED(w->fixed), g->outer, spec.x, spec.y);
        gtk_widget_show_all(g->outer);
        return g.release();
    }

    void DestroyGadget(void* native) override {
        Gadget* g = AsGadget(native);
        g->tree.reset();
        if (g->items) g_signal_handlers_disconnect_by_data(ListSelection(*g), g);
        gtk_widget_destroy(g->outer);
        delete g;
    }

    std::string GadgetText(void* native) override {
        Gadget& g = *AsGadget(native);
        switch (g.kind) {
            case GadgetKind::FolderTree:
                return g.tree->SelectedFolder();
            case GadgetKind::ListBox: {
                GtkTreeModel* model = nullptr;
                GtkTreeIter row;
                if (!gtk_tree_selection_get_selected(ListSelection(g), &model, &row)) return {};
                gchar* text = nullptr;
                gtk_tree_model_get(model, &row, ListColumnText, &text, -1);
                std::string result = text ? text : "";
                g_free(text);
                return result;
            }
            case GadgetKind::Text:
            case GadgetKind::Button:
                return g.text;
            case GadgetKind::ImageBox:
                break;
        }
        return {};
    }

    bool SetGadgetText(void* native, std::string_view text) override {
        Gadget& g = *AsGadget(native);
        switch (g.kind) {
            case GadgetKind::FolderTree:
                return g.tree->Reveal(text);
            case GadgetKind::ListBox:
                return SelectItem(g, text);
            case GadgetKind::Text:
                SetLabelText(g, text);
                return true;
            case GadgetKind::Button:
                SetButtonText(g, text);
                return true;
            case GadgetKind::ImageBox:
                break;
        }
        return false;
    }

    bool AddItem(void* native, int position, std::string_view text) override {
        Gadget& g = *AsGadget(native);
        if (g.kind != GadgetKind::ListBox) return false;
        const int count = gtk_tree_model_iter_n_children(GTK_TREE_MODEL(g.items), nullptr);
        if (position < -1 || position > count) return false;
        GtkTreeIter row;
        gtk_list_store_insert(g.items, &row, position);
        const std::string item(text);
        gtk_list_store_set(g.items, &row, ListColumnText, item.c_str(), ListColumnShown,
                           Displayable(text).c_str(), -1);
        // Rows after an insertion move down; the selection moves with its row.
        g.lastSelected = SelectedRow(g);
        return true;
    }

    bool ClearItems(void* native) override {
        Gadget& g = *AsGadget(native);
        if (g.kind != GadgetKind::ListBox) return false;
        ++g.quiet;
        gtk_list_store_clear(g.items);
        g.lastSelected = -1;
        --g.quiet;
        return true;
    }

    void Dispatch(bool wait) override { g_main_context_iteration(nullptr, wait ? TRUE : FALSE); }

  private:
    static void InstallStyle() {
        GtkCssProvider* css = gtk_css_provider_new();
        gtk_css_provider_load_from_data(css, kStyle, -1, nullptr);
        gtk_style_context_add_provider_for_screen(gdk_screen_get_default(), GTK_STYLE_PROVIDER(css),
                                                  GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
        g_object_unref(css);
    }

    static GtkTreeSelection* ListSelection(Gadget& g) {
        return gtk_tree_view_get_selection(GTK_TREE_VIEW(g.control));
    }

    static void MakeList(Gadget& g) {
        g.items = gtk_list_store_new(2, G_TYPE_STRING, G_TYPE_STRING);
        g.control = gtk_tree_view_new_with_model(GTK_TREE_MODEL(g.items));
        g_object_unref(g.items);  // the view keeps it
        GtkTreeView* view = GTK_TREE_VIEW(g.control);
        gtk_tree_view_set_headers_visible(view, FALSE);
        gtk_tree_view_set_search_column(view, ListColumnShown);
        gtk_tree_view_append_column(
            view, gtk_tree_view_column_new_with_attributes("", gtk_cell_renderer_text_new(), "text",
                                                           ListColumnShown, nullptr));
        gtk_tree_selection_set_mode(ListSelection(g), GTK_SELECTION_SINGLE);
        g_signal_connect(ListSelection(g), "changed", G_CALLBACK(OnListSelection), &g);
        g_signal_connect(g.control, "button-press-event", G_CALLBACK(OnListButton), &g);
        g.outer = gtk_scrolled_window_new(nullptr, nullptr);
        gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(g.outer), GTK_POLICY_AUTOMATIC,
                                       GTK_POLICY_AUTOMATIC);
        gtk_scrolled_window_set_shadow_type(GTK_SCROLLED_WINDOW(g.outer), GTK_SHADOW_IN);
        gtk_container_add(GTK_CONTAINER(g.outer), g.control);
    }

    // Selects the first item equal to the text, or nothing when no item is; not an event.
    static bool SelectItem(Gadget& g, std::string_view text) {
        GtkTreeModel* model = GTK_TREE_MODEL(g.items);
        GtkTreeSelection* selection = ListSelection(g);
        ++g.quiet;
        gtk_tree_selection_unselect_all(selection);
        GtkTreeIter row;
        bool found = false;
        for (bool valid = gtk_tree_model_get_iter_first(model, &row); valid && !found;
             valid = gtk_tree_model_iter_next(model, &row)) {
            gchar* item = nullptr;
            gtk_tree_model_get(model, &row, ListColumnText, &item, -1);
            found = item && text == item;
            g_free(item);
            if (found) {
                gtk_tree_selection_select_iter(selection, &row);
                GtkTreePath* path = gtk_tree_model_get_path(model, &row);
                gtk_tree_view_scroll_to_cell(GTK_TREE_VIEW(g.control), path, nullptr, FALSE, 0, 0);
                gtk_tree_path_free(path);
            }
        }
        g.lastSelected = SelectedRow(g);
        --g.quiet;
        return found;
    }

    bool tried_ = false;
    bool started_ = false;
    std::vector<GadgetWindow*> windows_;
};

GtkToolkit g_toolkit;

}  // namespace

void UseGtkWindows() {
    SetGadgetToolkit(&g_toolkit);
}

GtkWindow* WindowWidget(int n) {
    auto* w = static_cast<GadgetWindow*>(ToolkitGadgetWindow(n));
    return w ? GTK_WINDOW(w->window) : nullptr;
}

GtkWidget* GadgetWidget(int g) {
    const Gadget* gadget = AsGadget(ToolkitGadget(g));
    return gadget ? gadget->outer : nullptr;
}

GtkWidget* GadgetControl(int g) {
    const Gadget* gadget = AsGadget(ToolkitGadget(g));
    return gadget ? gadget->control : nullptr;
}

}  // namespace runtime::gui::gtk
