#pragma once

#include <gtk/gtk.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

// The folder tree gadget on GTK: a tree view of the file system's folders, filled a level
// at a time as the player opens folders, and kept up to date while a folder is open.
namespace runtime::gui::gtk {

// Text GTK can show: invalid UTF-8 in a file name is replaced, the name itself is kept.
std::string Displayable(std::string_view text);

class FolderTree {
  public:
    // Headed by the home folder and the file-system root, or by rootPath alone when given.
    FolderTree(int gadget, const std::string& rootPath);
    ~FolderTree();
    FolderTree(const FolderTree&) = delete;
    FolderTree& operator=(const FolderTree&) = delete;

    GtkWidget* Widget() const { return scroller_; }
    GtkWidget* View() const { return view_; }

    // The selected folder's full path ending with "/", or "" when nothing is selected.
    std::string SelectedFolder() const;

    // Opens the way down to the folder and selects it, as a player's pick would (an event
    // follows when the selection changes). False when the tree has no such folder.
    bool Reveal(std::string_view path);

  private:
    struct Watch;

    void AddTopFolder(const char* name, const std::string& path, const char* icon);
    void AddFolder(GtkTreeIter* parent, GtkTreeIter* before, const std::string& name,
                   const std::string& path);
    void Refresh(GtkTreeIter* node);
    void ResetChildren(GtkTreeIter* node, const std::string& path);
    bool Loaded(GtkTreeIter* node);
    bool FindChild(GtkTreeIter* node, std::string_view name, GtkTreeIter* out);
    std::string PathOf(GtkTreeIter* node) const;
    bool Expanded(GtkTreeIter* node) const;
    void StartWatching(GtkTreeIter* node);
    // Stops watching the node's folder and every folder below it; also drops watches whose
    // rows are gone.
    void StopWatchingFrom(GtkTreeIter* node);
    void SelectionChanged();

    static gboolean OnTestExpand(GtkTreeView*, GtkTreeIter* iter, GtkTreePath*, gpointer self);
    static void OnExpanded(GtkTreeView*, GtkTreeIter* iter, GtkTreePath*, gpointer self);
    static void OnCollapsed(GtkTreeView*, GtkTreeIter* iter, GtkTreePath*, gpointer self);
    static void OnActivated(GtkTreeView*, GtkTreePath* path, GtkTreeViewColumn*, gpointer self);
    static void OnSelection(GtkTreeSelection*, gpointer self);
    static gboolean OnButton(GtkWidget*, GdkEventButton* event, gpointer self);
    static void OnFolderChanged(GFileMonitor*, GFile*, GFile*, GFileMonitorEvent event,
                                gpointer watch);
    static gboolean OnIdle(gpointer self);

    int gadget_;
    GtkTreeStore* store_ = nullptr;
    GtkWidget* view_ = nullptr;
    GtkWidget* scroller_ = nullptr;
    int quiet_ = 0;  // while the tree itself changes rows, selection changes are not events
    std::string lastSelected_;
    std::string rootPath_;
    std::vector<std::unique_ptr<Watch>> watches_;
    guint idleSource_ = 0;
};

// Store columns, also read by the tests.
enum FolderColumn { FolderColumnName, FolderColumnPath, FolderColumnIcon, FolderColumnFileName };

// The subfolders of a folder that the tree shows (hidden ones left out), in the order the
// tree shows them. Empty for a folder that cannot be read.
std::vector<std::string> ShownSubfolders(const std::string& path);

}  // namespace runtime::gui::gtk
