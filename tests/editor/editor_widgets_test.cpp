// The editor's side panel on its own, with real GTK widgets that are never shown: what the
// player changes reaches its actions, and what the window shows in it does not.
#include "editor/editor_widgets.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace editor {
namespace {

// The first button under root, depth first, labelled label (its own or a label inside it).
GtkWidget* Find(GtkWidget* root, const std::string& label) {
    if (GTK_IS_LABEL(root) && label == gtk_label_get_label(GTK_LABEL(root))) return root;
    if (GTK_IS_BUTTON(root) && gtk_button_get_label(GTK_BUTTON(root)) != nullptr &&
        label == gtk_button_get_label(GTK_BUTTON(root)))
        return root;
    if (!GTK_IS_CONTAINER(root)) return nullptr;
    GList* children = gtk_container_get_children(GTK_CONTAINER(root));
    GtkWidget* found = nullptr;
    for (GList* c = children; c && !found; c = c->next) {
        GtkWidget* inner = Find(GTK_WIDGET(c->data), label);
        // A label found inside a button stands for the button.
        if (inner != nullptr) found = GTK_IS_LABEL(inner) && GTK_IS_BUTTON(root) ? root : inner;
    }
    g_list_free(children);
    return found;
}

GtkWidget* FindSpin(GtkWidget* root) {
    if (GTK_IS_SPIN_BUTTON(root)) return root;
    if (!GTK_IS_CONTAINER(root)) return nullptr;
    GList* children = gtk_container_get_children(GTK_CONTAINER(root));
    GtkWidget* found = nullptr;
    for (GList* c = children; c && !found; c = c->next)
        found = FindSpin(GTK_WIDGET(c->data));
    g_list_free(children);
    return found;
}

class EditorWidgets : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!gtk_init_check(nullptr, nullptr)) GTEST_SKIP() << "no display for GTK";
    }
};

TEST_F(EditorWidgets, ThePanelPassesOnThePlayersChangesButNotWhatItIsShown) {
    const LevelPainter painter{LevelPictures{}};
    std::vector<std::string> calls;
    SidePanel panel(
        painter, {.pick = [&](int c) { calls.push_back("pick " + std::to_string(c)); },
                  .background = [&](int c) { calls.push_back("bg " + std::to_string(c)); },
                  .barrier = [&](bool on) { calls.push_back(on ? "barrier" : "no barrier"); },
                  .descent = [&](bool on) { calls.push_back(on ? "descent" : "no descent"); },
                  .countBricksLeft = [&] { calls.push_back("count"); },
                  .bricksLeftByHand = [&] { calls.push_back("by hand"); },
                  .typeBricksLeft = [&](int v) { calls.push_back("typed " + std::to_string(v)); }});
    g_object_ref_sink(panel.widget());

    Level level;
    level.background = 203;
    level.barrier = true;
    level.manualBricksLeft = 5;
    panel.Show(LevelDocument(level));
    EXPECT_TRUE(calls.empty());
    GtkWidget* spin = FindSpin(panel.widget());
    ASSERT_NE(spin, nullptr);
    EXPECT_EQ(gtk_spin_button_get_value_as_int(GTK_SPIN_BUTTON(spin)), 5);
    EXPECT_TRUE(gtk_widget_get_sensitive(spin));

    panel.ShowPaintCode(104);
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(Find(panel.widget(), "201")), TRUE);
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(Find(panel.widget(), "Moving _barrier")), FALSE);
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(Find(panel.widget(), "_Creeping bricks")), TRUE);
    gtk_spin_button_set_value(GTK_SPIN_BUTTON(spin), 7);
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(Find(panel.widget(), "Count from the _grid")),
                                 TRUE);
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(Find(panel.widget(), "Set by _hand:")), TRUE);
    EXPECT_EQ(calls, (std::vector<std::string>{"pick 104", "bg 201", "no barrier", "descent",
                                               "typed 7", "count", "by hand"}));
    g_object_unref(panel.widget());
}

}  // namespace
}  // namespace editor
