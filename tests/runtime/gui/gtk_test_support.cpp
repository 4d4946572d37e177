#include "tests/runtime/gui/gtk_test_support.hpp"

#include <chrono>
#include <cstdlib>
#include <filesystem>

#include "runtime/gui/gtk/folder_tree.hpp"
#include "runtime/gui/gtk/gtk_gui.hpp"
#include "runtime/gui/gui.hpp"

namespace tessaly_test {

bool HaveDisplay() {
    return std::getenv("DISPLAY") != nullptr;
}

bool WaitUntil(const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    // The tick only wakes the loop to look at the condition again.
    const guint tick = g_timeout_add(
        10, [](gpointer) { return gboolean(G_SOURCE_CONTINUE); }, nullptr);
    bool held = true;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) {
            held = false;
            break;
        }
        g_main_context_iteration(nullptr, TRUE);
    }
    g_source_remove(tick);
    return held;
}

int NextEvent() {
    int code = 0;
    WaitUntil([&] {
        code = runtime::gui::PollEvent();
        return code != 0 && code != runtime::gui::EventResized;
    });
    return code == runtime::gui::EventResized ? 0 : code;
}

bool WaitUntilShown(GtkWindow* window) {
    GtkWidget* widget = GTK_WIDGET(window);
    GtkWidget* content = gtk_bin_get_child(GTK_BIN(window));
    // Placed means allocated: a widget starts at (-1, -1) until its first layout.
    auto placed = [](GtkWidget* w) {
        GtkAllocation at;
        gtk_widget_get_allocation(w, &at);
        return at.x >= 0 && at.y >= 0;
    };
    // Drawn once means laid out: GTK paints only what it has placed.
    bool drawn = false;
    const gulong handler =
        g_signal_connect_after(widget, "draw", G_CALLBACK(+[](GtkWidget*, cairo_t*, gpointer flag) {
                                   *static_cast<bool*>(flag) = true;
                                   return gboolean(FALSE);
                               }),
                               &drawn);
    const bool shown = WaitUntil([&] {
        if (!drawn || !gtk_widget_get_mapped(widget) || !content || !placed(content)) return false;
        GList* children = gtk_container_get_children(GTK_CONTAINER(content));
        bool all = true;
        for (GList* c = children; c; c = c->next)
            all = all && placed(GTK_WIDGET(c->data));
        g_list_free(children);
        return all;
    });
    g_signal_handler_disconnect(widget, handler);
    return shown;
}

std::vector<std::string> ListItems(int g) {
    std::vector<std::string> items;
    GtkWidget* view = runtime::gui::gtk::GadgetControl(g);
    if (!view) return items;
    GtkTreeModel* model = gtk_tree_view_get_model(GTK_TREE_VIEW(view));
    GtkTreeIter row;
    for (bool valid = gtk_tree_model_get_iter_first(model, &row); valid;
         valid = gtk_tree_model_iter_next(model, &row)) {
        gchar* text = nullptr;
        gtk_tree_model_get(model, &row, 0, &text, -1);
        items.emplace_back(text ? text : "");
        g_free(text);
    }
    return items;
}

namespace {

std::string StringAt(GtkTreeModel* model, GtkTreeIter* row, int column) {
    gchar* text = nullptr;
    gtk_tree_model_get(model, row, column, &text, -1);
    std::string result = text ? text : "";
    g_free(text);
    return result;
}

bool FindRow(GtkTreeModel* model, GtkTreeIter* parent, const std::string& path, GtkTreeIter* out) {
    GtkTreeIter row;
    for (bool valid = gtk_tree_model_iter_children(model, &row, parent); valid;
         valid = gtk_tree_model_iter_next(model, &row)) {
        if (StringAt(model, &row, runtime::gui::gtk::FolderColumnPath) == path) {
            *out = row;
            return true;
        }
        if (FindRow(model, &row, path, out)) return true;
    }
    return false;
}

}  // namespace

std::vector<std::string> TreeChildren(int g, const std::string& path) {
    std::vector<std::string> names;
    GtkWidget* view = runtime::gui::gtk::GadgetControl(g);
    if (!view) return names;
    GtkTreeModel* model = gtk_tree_view_get_model(GTK_TREE_VIEW(view));
    GtkTreeIter node;
    if (!FindRow(model, nullptr, path, &node)) return names;
    GtkTreeIter row;
    for (bool valid = gtk_tree_model_iter_children(model, &row, &node); valid;
         valid = gtk_tree_model_iter_next(model, &row)) {
        if (!StringAt(model, &row, runtime::gui::gtk::FolderColumnPath).empty())
            names.push_back(StringAt(model, &row, runtime::gui::gtk::FolderColumnFileName));
    }
    return names;
}

cairo_surface_t* DrawWindow(GtkWindow* window) {
    GtkWidget* widget = GTK_WIDGET(window);
    cairo_surface_t* surface =
        cairo_image_surface_create(CAIRO_FORMAT_RGB24, gtk_widget_get_allocated_width(widget),
                                   gtk_widget_get_allocated_height(widget));
    cairo_t* cr = cairo_create(surface);
    gtk_widget_draw(widget, cr);
    cairo_destroy(cr);
    cairo_surface_flush(surface);
    return surface;
}

TempFolder::TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "tessaly-gui-XXXXXX").string();
    if (mkdtemp(pattern.data())) path_ = pattern;
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
}

}  // namespace tessaly_test
