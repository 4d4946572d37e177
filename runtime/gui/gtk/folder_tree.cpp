#include "runtime/gui/gtk/folder_tree.hpp"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <set>
#include <utility>

#include "runtime/gui/backend.hpp"

namespace runtime::gui::gtk {

namespace {

bool Hidden(const char* name) {
    return name[0] == '.';
}

// Folders as a player sees them: links to folders count.
bool IsFolder(DIR* dir, const dirent& entry) {
    if (entry.d_type == DT_DIR) return true;
    if (entry.d_type != DT_UNKNOWN && entry.d_type != DT_LNK) return false;
    struct stat info {};
    return fstatat(dirfd(dir), entry.d_name, &info, 0) == 0 && S_ISDIR(info.st_mode);
}

// Whether the folder has a subfolder the tree would show, so its node gets an expander.
bool HasSubfolder(const std::string& path) {
    DIR* dir = opendir(path.c_str());
    if (!dir) return false;
    bool found = false;
    while (const dirent* entry = readdir(dir)) {
        if (!Hidden(entry->d_name) && IsFolder(dir, *entry)) {
            found = true;
            break;
        }
    }
    closedir(dir);
    return found;
}

std::string Join(const std::string& folder, const std::string& name) {
    return folder.ends_with('/') ? folder + name : folder + "/" + name;
}

// The parts of an absolute path, with "." and ".." worked out.
std::vector<std::string> PartsOf(std::string_view path) {
    std::vector<std::string> parts;
    std::size_t at = 0;
    while (at <= path.size()) {
        std::size_t end = path.find('/', at);
        if (end == std::string_view::npos) end = path.size();
        const std::string_view part = path.substr(at, end - at);
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.emplace_back(part);
        }
        at = end + 1;
    }
    return parts;
}

std::string StringAt(GtkTreeModel* model, GtkTreeIter* iter, int column) {
    gchar* text = nullptr;
    gtk_tree_model_get(model, iter, column, &text, -1);
    std::string result = text ? text : "";
    g_free(text);
    return result;
}

}  // namespace

std::string Displayable(std::string_view text) {
    gchar* valid = g_utf8_make_valid(text.data(), gssize(text.size()));
    std::string result = valid;
    g_free(valid);
    return result;
}

std::vector<std::string> ShownSubfolders(const std::string& path) {
    std::vector<std::pair<std::string, std::string>> found;  // sort key, name
    DIR* dir = opendir(path.c_str());
    if (!dir) return {};
    while (const dirent* entry = readdir(dir)) {
        if (Hidden(entry->d_name) || !IsFolder(dir, *entry)) continue;
        gchar* folded = g_utf8_casefold(Displayable(entry->d_name).c_str(), -1);
        gchar* key = g_utf8_collate_key_for_filename(folded, -1);
        found.emplace_back(key, entry->d_name);
        g_free(key);
        g_free(folded);
    }
    closedir(dir);
    // Differs: the level list comes in name order (docs/differences.md, Launcher)
    // The order of a file manager: case does not count and numbers go by their value.
    std::sort(found.begin(), found.end());
    std::vector<std::string> names;
    names.reserve(found.size());
    for (auto& [key, name] : found)
        names.push_back(std::move(name));
    return names;
}

// One open folder being watched for folders made, renamed or removed in it.
struct FolderTree::Watch {
    FolderTree* tree = nullptr;
    GtkTreeRowReference* row = nullptr;
    GFileMonitor* monitor = nullptr;
    bool pending = false;

    ~Watch() {
        if (monitor) {
            g_signal_handlers_disconnect_by_data(monitor, this);
            g_file_monitor_cancel(monitor);
            g_object_unref(monitor);
        }
        if (row) gtk_tree_row_reference_free(row);
    }
};

FolderTree::FolderTree(int gadget, const std::string& rootPath)
    : gadget_(gadget), rootPath_(rootPath) {
    store_ = gtk_tree_store_new(4, G_TYPE_STRING, G_TYPE_STRING, G_TYPE_STRING, G_TYPE_STRING);
    view_ = gtk_tree_view_new_with_model(GTK_TREE_MODEL(store_));
    GtkTreeView* view = GTK_TREE_VIEW(view_);
    gtk_tree_view_set_headers_visible(view, FALSE);
    gtk_tree_view_set_search_column(view, FolderColumnName);

    GtkTreeViewColumn* column = gtk_tree_view_column_new();
    GtkCellRenderer* icon = gtk_cell_renderer_pixbuf_new();
    gtk_tree_view_column_pack_start(column, icon, FALSE);
    gtk_tree_view_column_add_attribute(column, icon, "icon-name", FolderColumnIcon);
    GtkCellRenderer* name = gtk_cell_renderer_text_new();
    gtk_tree_view_column_pack_start(column, name, TRUE);
    gtk_tree_view_column_add_attribute(column, name, "text", FolderColumnName);
    gtk_tree_view_append_column(view, column);

    GtkTreeSelection* selection = gtk_tree_view_get_selection(view);
    gtk_tree_selection_set_mode(selection, GTK_SELECTION_SINGLE);
    g_signal_connect(selection, "changed", G_CALLBACK(OnSelection), this);
    g_signal_connect(view_, "test-expand-row", G_CALLBACK(OnTestExpand), this);
    g_signal_connect(view_, "row-expanded", G_CALLBACK(OnExpanded), this);
    g_signal_connect(view_, "row-collapsed", G_CALLBACK(OnCollapsed), this);
    g_signal_connect(view_, "row-activated", G_CALLBACK(OnActivated), this);
    g_signal_connect(view_, "button-press-event", G_CALLBACK(OnButton), this);

    scroller_ = gtk_scrolled_window_new(nullptr, nullptr);
    gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(scroller_), GTK_POLICY_AUTOMATIC,
                                   GTK_POLICY_AUTOMATIC);
    gtk_scrolled_window_set_shadow_type(GTK_SCROLLED_WINDOW(scroller_), GTK_SHADOW_IN);
    gtk_container_add(GTK_CONTAINER(scroller_), view_);

    if (!rootPath.empty()) {
        const std::vector<std::string> parts = PartsOf(rootPath);
        AddTopFolder(parts.empty() ? "/" : Displayable(parts.back()).c_str(), rootPath, "folder");
    } else {
        AddTopFolder("Home", g_get_home_dir(), "user-home");
        AddTopFolder("Computer", "/", "drive-harddisk");
    }
}

FolderTree::~FolderTree() {
    if (idleSource_) g_source_remove(idleSource_);
    watches_.clear();
    g_signal_handlers_disconnect_by_data(gtk_tree_view_get_selection(GTK_TREE_VIEW(view_)), this);
    g_signal_handlers_disconnect_by_data(view_, this);
    g_object_unref(store_);
}

void FolderTree::AddTopFolder(const char* name, const std::string& path, const char* icon) {
    GtkTreeIter row;
    gtk_tree_store_append(store_, &row, nullptr);
    gtk_tree_store_set(store_, &row, FolderColumnName, name, FolderColumnPath, path.c_str(),
                       FolderColumnIcon, icon, FolderColumnFileName, path.c_str(), -1);
    ResetChildren(&row, path);
}

void FolderTree::AddFolder(GtkTreeIter* parent, GtkTreeIter* before, const std::string& name,
                           const std::string& path) {
    GtkTreeIter row;
    gtk_tree_store_insert_before(store_, &row, parent, before);
    gtk_tree_store_set(store_, &row, FolderColumnName, Displayable(name).c_str(), FolderColumnPath,
                       path.c_str(), FolderColumnIcon, "folder", FolderColumnFileName, name.c_str(),
                       -1);
    ResetChildren(&row, path);
}

// Forgets what was loaded below a closed node; an empty row stands for subfolders not read
// yet, so the node shows an expander.
void FolderTree::ResetChildren(GtkTreeIter* node, const std::string& path) {
    GtkTreeIter child;
    while (gtk_tree_model_iter_children(GTK_TREE_MODEL(store_), &child, node))
        gtk_tree_store_remove(store_, &child);
    if (HasSubfolder(path)) {
        gtk_tree_store_append(store_, &child, node);
        gtk_tree_store_set(store_, &child, FolderColumnName, "", FolderColumnPath, "", -1);
    }
}

std::string FolderTree::PathOf(GtkTreeIter* node) const {
    return StringAt(GTK_TREE_MODEL(store_), node, FolderColumnPath);
}

bool FolderTree::Expanded(GtkTreeIter* node) const {
    GtkTreePath* path = gtk_tree_model_get_path(GTK_TREE_MODEL(store_), node);
    const bool expanded = gtk_tree_view_row_expanded(GTK_TREE_VIEW(view_), path);
    gtk_tree_path_free(path);
    return expanded;
}

bool FolderTree::Loaded(GtkTreeIter* node) {
    GtkTreeIter child;
    return gtk_tree_model_iter_children(GTK_TREE_MODEL(store_), &child, node) &&
           !PathOf(&child).empty();
}

bool FolderTree::FindChild(GtkTreeIter* node, std::string_view name, GtkTreeIter* out) {
    GtkTreeModel* model = GTK_TREE_MODEL(store_);
    for (bool valid = gtk_tree_model_iter_children(model, out, node); valid;
         valid = gtk_tree_model_iter_next(model, out)) {
        if (StringAt(model, out, FolderColumnFileName) == name && !PathOf(out).empty()) return true;
    }
    return false;
}

// Brings a node's children in line with its folder: gone folders leave, new ones come in at
// their place, open subfolders keep what they show.
void FolderTree::Refresh(GtkTreeIter* node) {
    GtkTreeModel* model = GTK_TREE_MODEL(store_);
    GtkTreeSelection* selection = gtk_tree_view_get_selection(GTK_TREE_VIEW(view_));
    const std::string path = PathOf(node);
    const std::vector<std::string> wanted = ShownSubfolders(path);
    const std::set<std::string> wantedNames(wanted.begin(), wanted.end());
    ++quiet_;

    GtkTreeIter selected;
    const bool hasSelection = gtk_tree_selection_get_selected(selection, nullptr, &selected);
    bool selectionGone = false;
    GtkTreeIter child;
    bool valid = gtk_tree_model_iter_children(model, &child, node);
    while (valid) {
        const bool keep = !PathOf(&child).empty() &&
                          wantedNames.count(StringAt(model, &child, FolderColumnFileName)) != 0;
        if (keep) {
            valid = gtk_tree_model_iter_next(model, &child);
            continue;
        }
        if (hasSelection && (child.user_data == selected.user_data ||
                             gtk_tree_store_is_ancestor(store_, &child, &selected)))
            selectionGone = true;
        valid = gtk_tree_store_remove(store_, &child);
    }

    valid = gtk_tree_model_iter_children(model, &child, node);
    for (const std::string& name : wanted) {
        if (valid && StringAt(model, &child, FolderColumnFileName) == name) {
            if (!Expanded(&child)) ResetChildren(&child, PathOf(&child));
            valid = gtk_tree_model_iter_next(model, &child);
        } else {
            AddFolder(node, valid ? &child : nullptr, name, Join(path, name));
        }
    }
    --quiet_;
    StopWatchingFrom(nullptr);
    // A selected folder that vanished hands the selection to the folder it was in.
    if (selectionGone) gtk_tree_selection_select_iter(selection, node);
}

void FolderTree::StartWatching(GtkTreeIter* node) {
    GtkTreeModel* model = GTK_TREE_MODEL(store_);
    GtkTreePath* at = gtk_tree_model_get_path(model, node);
    for (const auto& watch : watches_) {
        GtkTreePath* watched = gtk_tree_row_reference_get_path(watch->row);
        const bool same = watched && gtk_tree_path_compare(watched, at) == 0;
        gtk_tree_path_free(watched);
        if (same) {
            gtk_tree_path_free(at);
            return;
        }
    }
    auto watch = std::make_unique<Watch>();
    watch->tree = this;
    watch->row = gtk_tree_row_reference_new(model, at);
    gtk_tree_path_free(at);
    GFile* folder = g_file_new_for_path(PathOf(node).c_str());
    watch->monitor = g_file_monitor_directory(folder, G_FILE_MONITOR_WATCH_MOVES, nullptr, nullptr);
    g_object_unref(folder);
    // A folder that cannot be watched is still shown; it only does not refresh by itself.
    if (!watch->monitor) return;
    g_signal_connect(watch->monitor, "changed", G_CALLBACK(OnFolderChanged), watch.get());
    watches_.push_back(std::move(watch));
}

void FolderTree::StopWatchingFrom(GtkTreeIter* node) {
    GtkTreePath* from = node ? gtk_tree_model_get_path(GTK_TREE_MODEL(store_), node) : nullptr;
    std::erase_if(watches_, [from](const std::unique_ptr<Watch>& watch) {
        GtkTreePath* watched = gtk_tree_row_reference_get_path(watch->row);
        const bool drop = !watched || (from && (gtk_tree_path_compare(watched, from) == 0 ||
                                                gtk_tree_path_is_descendant(watched, from)));
        gtk_tree_path_free(watched);
        return drop;
    });
    gtk_tree_path_free(from);
}

std::string FolderTree::SelectedFolder() const {
    GtkTreeIter selected;
    GtkTreeSelection* selection = gtk_tree_view_get_selection(GTK_TREE_VIEW(view_));
    if (!gtk_tree_selection_get_selected(selection, nullptr, &selected)) return {};
    std::string path = PathOf(&selected);
    if (!path.empty() && !path.ends_with('/')) path += '/';
    return path;
}

bool FolderTree::Reveal(std::string_view path) {
    GtkTreeModel* model = GTK_TREE_MODEL(store_);
    const std::vector<std::string> wantedParts = PartsOf(path);
    if (path.empty() || path.front() != '/') return false;

    // Start at the top folder the path lies in: the given root, else the home folder
    // before the file-system root.
    GtkTreeIter node;
    std::vector<std::string> baseParts;
    bool found = false;
    for (bool valid = gtk_tree_model_get_iter_first(model, &node); valid;
         valid = gtk_tree_model_iter_next(model, &node)) {
        baseParts = PartsOf(PathOf(&node));
        if (baseParts.size() <= wantedParts.size() &&
            std::equal(baseParts.begin(), baseParts.end(), wantedParts.begin())) {
            found = true;
            break;
        }
    }
    if (!found) return false;

    for (std::size_t i = baseParts.size(); i < wantedParts.size(); ++i) {
        GtkTreePath* at = gtk_tree_model_get_path(model, &node);
        gtk_tree_view_expand_row(GTK_TREE_VIEW(view_), at, FALSE);
        gtk_tree_path_free(at);
        // An open folder may not have heard of a folder made a moment ago: look again.
        GtkTreeIter child;
        if (!FindChild(&node, wantedParts[i], &child)) {
            Refresh(&node);
            if (!FindChild(&node, wantedParts[i], &child)) return false;
        }
        node = child;
    }
    GtkTreePath* at = gtk_tree_model_get_path(model, &node);
    gtk_tree_view_set_cursor(GTK_TREE_VIEW(view_), at, nullptr, FALSE);
    gtk_tree_view_scroll_to_cell(GTK_TREE_VIEW(view_), at, nullptr, FALSE, 0, 0);
    gtk_tree_path_free(at);
    return true;
}

void FolderTree::SelectionChanged() {
    GtkTreeIter selected;
    GtkTreeSelection* selection = gtk_tree_view_get_selection(GTK_TREE_VIEW(view_));
    const std::string now =
        gtk_tree_selection_get_selected(selection, nullptr, &selected) ? PathOf(&selected) : "";
    if (now == lastSelected_) return;
    lastSelected_ = now;
    if (!now.empty()) PostGadgetEvent(gadget_, TypeFolderSelected);
}

gboolean FolderTree::OnTestExpand(GtkTreeView*, GtkTreeIter* iter, GtkTreePath*, gpointer self) {
    auto* tree = static_cast<FolderTree*>(self);
    tree->Refresh(iter);
    // A folder without subfolders (or one that cannot be read) does not open.
    return !gtk_tree_model_iter_has_child(GTK_TREE_MODEL(tree->store_), iter);
}

void FolderTree::OnExpanded(GtkTreeView*, GtkTreeIter* iter, GtkTreePath*, gpointer self) {
    static_cast<FolderTree*>(self)->StartWatching(iter);
}

void FolderTree::OnCollapsed(GtkTreeView*, GtkTreeIter* iter, GtkTreePath*, gpointer self) {
    static_cast<FolderTree*>(self)->StopWatchingFrom(iter);
}

void FolderTree::OnActivated(GtkTreeView* view, GtkTreePath* path, GtkTreeViewColumn*, gpointer) {
    if (gtk_tree_view_row_expanded(view, path))
        gtk_tree_view_collapse_row(view, path);
    else
        gtk_tree_view_expand_row(view, path, FALSE);
}

void FolderTree::OnSelection(GtkTreeSelection*, gpointer self) {
    auto* tree = static_cast<FolderTree*>(self);
    if (tree->quiet_ == 0) tree->SelectionChanged();
}

gboolean FolderTree::OnButton(GtkWidget* widget, GdkEventButton* event, gpointer self) {
    if (event->window != gtk_tree_view_get_bin_window(GTK_TREE_VIEW(widget))) return FALSE;
    const bool twice = event->type == GDK_2BUTTON_PRESS;
    if (event->type != GDK_BUTTON_PRESS && !twice) return FALSE;
    int type = -1;
    if (event->button == GDK_BUTTON_PRIMARY) type = twice ? TypeLeftDoubleClick : TypeLeftClick;
    if (event->button == GDK_BUTTON_SECONDARY) type = twice ? TypeRightDoubleClick : TypeRightClick;
    if (type >= 0) PostGadgetEvent(static_cast<FolderTree*>(self)->gadget_, type);
    return FALSE;
}

void FolderTree::OnFolderChanged(GFileMonitor*, GFile*, GFile*, GFileMonitorEvent event,
                                 gpointer data) {
    switch (event) {
        case G_FILE_MONITOR_EVENT_CREATED:
        case G_FILE_MONITOR_EVENT_DELETED:
        case G_FILE_MONITOR_EVENT_MOVED_IN:
        case G_FILE_MONITOR_EVENT_MOVED_OUT:
        case G_FILE_MONITOR_EVENT_RENAMED:
        case G_FILE_MONITOR_EVENT_ATTRIBUTE_CHANGED:
            break;
        default:
            return;
    }
    // Changes come in bursts; the node is reloaded once they have been handed over.
    auto* watch = static_cast<Watch*>(data);
    watch->pending = true;
    FolderTree* tree = watch->tree;
    if (!tree->idleSource_) tree->idleSource_ = g_idle_add(OnIdle, tree);
}

gboolean FolderTree::OnIdle(gpointer self) {
    auto* tree = static_cast<FolderTree*>(self);
    tree->idleSource_ = 0;
    GtkTreeModel* model = GTK_TREE_MODEL(tree->store_);
    // A refresh may drop watches, so look for the next pending one afresh each time.
    for (;;) {
        auto it = std::find_if(tree->watches_.begin(), tree->watches_.end(),
                               [](const auto& w) { return w->pending; });
        if (it == tree->watches_.end()) break;
        (*it)->pending = false;
        GtkTreePath* at = gtk_tree_row_reference_get_path((*it)->row);
        GtkTreeIter node;
        if (at && gtk_tree_model_get_iter(model, &node, at) && tree->Expanded(&node))
            tree->Refresh(&node);
        gtk_tree_path_free(at);
    }
    return G_SOURCE_REMOVE;
}

}  // namespace runtime::gui::gtk
