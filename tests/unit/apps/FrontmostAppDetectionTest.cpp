#include "app/apps/FrontmostAppDetection.h"

#include "app/model/ReticleSpecModel.h"
#include "app/settings/Defaults.h"
#include "tests/fakes/FakeDefaultsDatabase.h"
#include "tests/fakes/FakeWorkspace.h"
#include "tests/fakes/FreedesktopTestProfile.h"

#include <gtest/gtest.h>

namespace zentrivo::test {
namespace {

using D = Directional;

class FrontmostAppDetectionTest : public ::testing::Test {
protected:
    FrontmostAppDetectionTest() {
        ReticleSpec near;
        near.t = Action{"org.mozilla.firefox", ActionType::app};
        near.l = Action::lastApp();
        near.r = Action{"org.gnome.Terminal", ActionType::runningApp};
        model.setMainSpec(near);
    }

    static InstalledApp record(const RunningApp& app) {
        return {*app.localizedName, *app.bundleIdentifier, *app.bundlePath};
    }

    FakeDefaultsDatabase db;
    Defaults defaults{db};
    FreedesktopTestProfile profile;
    ReticleSpecModel model{defaults, profile};
    FakeWorkspace workspace;
    FrontmostAppDetection tracker{workspace, model, profile};

    RunningApp mail = regularApp(1, "org.gnome.Evolution", "Evolution");
    RunningApp browser = regularApp(2, "org.mozilla.firefox", "Firefox");
    RunningApp editor = regularApp(3, "org.gnome.gedit", "Text Editor");
    RunningApp files = regularApp(4, "org.gnome.Nautilus", "Files");
    RunningApp terminal = regularApp(5, "org.gnome.Terminal", "Terminal");
};

TEST_F(FrontmostAppDetectionTest, HistoryOfThreeEntries) {
    tracker.startListening();
    workspace.activateFront(mail);
    EXPECT_EQ(tracker.currentApp(), record(mail));
    EXPECT_FALSE(tracker.lastAnyApp()) << "the first application fills only currentApp";

    workspace.activateFront(editor);
    workspace.activateFront(mail);
    EXPECT_EQ(tracker.lastAnyApp(), record(editor));
    EXPECT_EQ(tracker.lastNonZentrivoApp(), record(editor));
    EXPECT_EQ(tracker.currentApp(), record(mail));

    workspace.activateFront(mail);
    EXPECT_EQ(tracker.lastAnyApp(), record(editor)) << "re-activation changes nothing";

    RunningApp renamed = mail;
    renamed.localizedName = "Mail";
    workspace.activateFront(renamed);
    EXPECT_EQ(tracker.lastAnyApp(), record(mail)) << "all three strings must match";
}

TEST_F(FrontmostAppDetectionTest, PanelApplicationsNeverBecomeLastNonZentrivoApp) {
    tracker.startListening();
    workspace.activateFront(editor);
    workspace.activateFront(browser); // Firefox is on the ring
    workspace.activateFront(mail);
    EXPECT_EQ(tracker.lastAnyApp(), record(browser));
    EXPECT_EQ(tracker.lastNonZentrivoApp(), record(editor));

    // Only `app` slots count: a runningApp slot for the terminal does not.
    workspace.activateFront(terminal);
    workspace.activateFront(editor);
    EXPECT_EQ(tracker.lastNonZentrivoApp(), record(terminal));

    // A centre slot is not part of the ring.
    model.setMainSlot(Action{"org.gnome.gedit", ActionType::app}, D::c);
    workspace.activateFront(mail);
    EXPECT_EQ(tracker.lastNonZentrivoApp(), record(editor));
}

TEST_F(FrontmostAppDetectionTest, FileSlotsMakeTheFileManagerAPanelApplication) {
    struct Row {
        const char* name;
        std::string fileManager;
        bool fileSlot;
        bool filesRemembered;
    };
    const Row rows[] = {
        {"no file slot", "org.gnome.Nautilus", false, true},
        {"a file slot", "org.gnome.Nautilus", true, false},
        {"a file slot, another file manager", "org.kde.dolphin", true, true},
        {"a file slot, no file manager known", "", true, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        profile.fileManager = row.fileManager;
        model.setMainSlot(
            row.fileSlot ? std::optional(Action{"/home/u", ActionType::file}) : std::nullopt, D::b);
        tracker.stopListening();
        tracker.startListening();
        workspace.activateFront(files);
        workspace.activateFront(mail);
        EXPECT_EQ(tracker.lastAnyApp(), record(files));
        EXPECT_EQ(tracker.lastNonZentrivoApp() == record(files), row.filesRemembered);
    }
}

TEST_F(FrontmostAppDetectionTest, IgnoresAgentsAndIncompleteApplications) {
    tracker.startListening();
    workspace.activateFront(mail);
    RunningApp agent = editor;
    agent.activationPolicy = ActivationPolicy::accessory;
    RunningApp background = editor;
    background.activationPolicy = ActivationPolicy::prohibited;
    RunningApp noId = editor, noName = editor, noPath = editor;
    noId.bundleIdentifier.reset();
    noName.localizedName.reset();
    noPath.bundlePath.reset();
    for (const RunningApp& app : {agent, background, noId, noName, noPath}) {
        workspace.activateFront(app);
        EXPECT_EQ(tracker.currentApp(), record(mail));
        EXPECT_FALSE(tracker.lastAnyApp());
        EXPECT_FALSE(tracker.lastNonZentrivoApp());
    }
}

TEST_F(FrontmostAppDetectionTest, ListeningOnAndOff) {
    workspace.frontmost = editor;
    workspace.activateFront(mail); // not listening yet
    EXPECT_FALSE(tracker.currentApp());

    tracker.startListening();
    EXPECT_TRUE(tracker.listening());
    EXPECT_EQ(tracker.currentApp(), record(mail)) << "seeded with the front application";
    tracker.startListening();
    EXPECT_EQ(workspace.observerCount(), 1u) << "a second start registers nothing";

    workspace.activateFront(editor);
    ASSERT_TRUE(tracker.lastAnyApp());
    tracker.stopListening();
    EXPECT_FALSE(tracker.listening());
    EXPECT_EQ(workspace.observerCount(), 0u);
    EXPECT_FALSE(tracker.lastAnyApp());
    EXPECT_FALSE(tracker.lastNonZentrivoApp());
    EXPECT_FALSE(tracker.currentApp());
    tracker.stopListening(); // harmless

    workspace.activateFront(mail);
    EXPECT_FALSE(tracker.currentApp());
    tracker.startListening();
    EXPECT_EQ(tracker.currentApp(), record(mail));
    EXPECT_FALSE(tracker.lastAnyApp()) << "a restart begins with an empty history";

    {
        FrontmostAppDetection second(workspace, model, profile);
        second.startListening();
        EXPECT_EQ(workspace.observerCount(), 2u);
    }
    EXPECT_EQ(workspace.observerCount(), 1u) << "destruction removes the observer";
}

TEST_F(FrontmostAppDetectionTest, WhatALastApplicationSlotStandsFor) {
    tracker.startListening();
    workspace.activateFront(editor);
    workspace.activateFront(browser);
    workspace.activateFront(mail);
    EXPECT_EQ(tracker.lastApp(OptionalBool::undefined), record(browser));
    EXPECT_EQ(tracker.lastApp(OptionalBool::userEnabled), record(browser));
    EXPECT_EQ(tracker.lastApp(OptionalBool::userDisabled), record(editor));
}

} // namespace
} // namespace zentrivo::test
