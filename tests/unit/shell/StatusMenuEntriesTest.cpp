#include "app/shell/StatusMenuEntries.h"

#include "tests/fakes/FakeWorkspace.h"

#include <gtest/gtest.h>

namespace zentrivo {
namespace {

Action app(const char* id) {
    return Action{id, ActionType::app};
}
Action file(const char* path) {
    return Action{path, ActionType::file};
}

TEST(StatusMenuEntriesTest, RingSlotsInOrderUnderOneSeparatorPerPanel) {
    test::FakeWorkspace workspace;
    workspace.installed = {{"org.gnome.Nautilus", "/apps/org.gnome.Nautilus.desktop"},
                           {"org.gnome.Terminal", "/apps/org.gnome.Terminal.desktop"},
                           {"odd", "/apps/odd.desktop"},
                           {"nameless", "/apps/nameless.desktop"}};
    // The names the entries give; one keeps its file extension, one gives none.
    workspace.names = {{"org.gnome.Nautilus", "Files"},
                       {"org.gnome.Terminal", "Terminal"},
                       {"odd", "Odd.desktop"},
                       {"nameless", ""}};
    ReticleSpec near;
    near.br = app("org.gnome.Nautilus");
    near.tl = file("/home/u/Notes.txt");
    near.t = Action::lastApp();
    near.tr = app("gone.App"); // no longer installed
    near.l = Action{"org.gnome.Terminal", ActionType::runningApp};
    near.r = file("/home/u/Projects/");
    near.b = app("odd");
    near.bl = app("nameless");
    near.c = app("org.gnome.Terminal"); // the centre is never listed
    ReticleSpec far;
    far.id = 1;
    far.bl = app("org.gnome.Terminal");

    const auto entry = [](const char* title, const char* icon, Action action) {
        return StatusMenuEntry{"", title, icon, std::move(action)};
    };
    const std::vector<StatusMenuEntry> expected = {
        {"mainSpecSeparator", "", "", std::nullopt},
        entry("Notes.txt", "/home/u/Notes.txt", file("/home/u/Notes.txt")),
        entry("Projects", "/home/u/Projects/", file("/home/u/Projects/")),
        entry("nameless", "/apps/nameless.desktop", app("nameless")),
        entry("Odd", "/apps/odd.desktop", app("odd")),
        entry("Files", "/apps/org.gnome.Nautilus.desktop", app("org.gnome.Nautilus")),
        {"farSpecSeparator", "", "", std::nullopt},
        entry("Terminal", "/apps/org.gnome.Terminal.desktop", app("org.gnome.Terminal")),
    };
    EXPECT_EQ(statusMenuEntries(near, far, workspace), expected);

    // A panel with nothing to list (only last-app, running-app, centre or missing apps) gets
    // no separator; the other panel is still listed.
    ReticleSpec nothing;
    nothing.t = Action::lastApp();
    nothing.r = Action{"org.gnome.Terminal", ActionType::runningApp};
    nothing.b = app("gone.App");
    nothing.c = app("org.gnome.Nautilus");
    EXPECT_EQ(statusMenuEntries(nothing, far, workspace),
              std::vector<StatusMenuEntry>(expected.end() - 2, expected.end()));
    EXPECT_EQ(statusMenuEntries(near, nothing, workspace),
              std::vector<StatusMenuEntry>(expected.begin(), expected.end() - 2));
}

TEST(StatusMenuEntriesTest, AFileIsTitledByItsLastPathComponent) {
    const std::pair<const char*, const char*> cases[] = {
        {"/home/u/dir/", "dir"}, {"/home/u//dir//", "dir"}, {"/", "/"}, {"name", "name"}, {"", ""},
    };
    for (const auto& [path, title] : cases) {
        SCOPED_TRACE(path);
        EXPECT_EQ(lastPathComponent(path), title);
    }
}

} // namespace
} // namespace zentrivo
