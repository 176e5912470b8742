#pragma once

#include "app/apps/FrontmostAppDetection.h"
#include "app/core/NotificationCenter.h"
#include "app/model/ReticleSpecModel.h"
#include "app/reticle/ReticleManager.h"
#include "app/settings/Defaults.h"
#include "tests/fakes/FakeArrowKeys.h"
#include "tests/fakes/FakeCursorLocation.h"
#include "tests/fakes/FakeDefaultsDatabase.h"
#include "tests/fakes/FakeHaptics.h"
#include "tests/fakes/FakeMainQueue.h"
#include "tests/fakes/FakeReticleView.h"
#include "tests/fakes/FakeReticleWindow.h"
#include "tests/fakes/FakeSystemInfo.h"
#include "tests/fakes/FakeWorkspace.h"
#include "tests/fakes/FreedesktopTestProfile.h"
#include "tests/fakes/RecordingLog.h"

#include <gtest/gtest.h>
#include <memory>

namespace zentrivo::test {

inline Action app(const std::string& id) {
    return Action{id, ActionType::app};
}

/// A reticle manager over fakes. Arrange settings and the panels first; the manager is built on
/// first use of `manager()`, so construction-time settings can be arranged too.
class ReticleFixture : public ::testing::Test {
protected:
    ReticleFixture() {
        ReticleSpec near;
        near.t = app("org.gnome.Nautilus");
        near.l = app("org.gnome.Terminal");
        near.r = app("org.gnome.Evolution");
        near.b = app("org.mozilla.firefox");
        model.setMainSpec(near);
        view.model = &model;
        for (const auto& [id, name] : {std::pair{"org.gnome.Nautilus", "Files"},
                                       {"org.gnome.Terminal", "Terminal"},
                                       {"org.gnome.Evolution", "Evolution"},
                                       {"org.mozilla.firefox", "Firefox"},
                                       {"org.gnome.gedit", "Text Editor"}})
            workspace.installed[id] = std::string("/usr/share/applications/") + id + ".desktop";
    }

    ReticleManager& manager() {
        if (!built)
            built = std::make_unique<ReticleManager>(ReticleManager::Collaborators{
                defaults, model, queue, notifications, workspace, haptics, systemInfo, arrowKeys,
                cursor, tracker, log, *profile, window, view});
        return *built;
    }
    const ReticleManager::State& state() { return manager().state(); }

    /// Fills far slot `t` so that the far panel counts as configured.
    void configureFar() { model.setFarSlot(app("far.t"), Directional::t); }

    /// Starts a gesture with the cursor at `origin`, displayed at once.
    void showAt(Point origin) {
        cursor.location = origin;
        manager().show(0.0f);
    }

    /// The paths the workspace was asked to open after the main queue ran.
    std::vector<std::string> launchedPaths() {
        queue.runUntilIdle();
        return workspace.openedPaths();
    }
    static std::string pathOf(const std::string& id) {
        return "/usr/share/applications/" + id + ".desktop";
    }

    FakeDefaultsDatabase db;
    Defaults defaults{db};
    FreedesktopTestProfile linuxProfile;
    MacPlatformProfile macProfile;
    const PlatformProfile* profile = &linuxProfile;
    ReticleSpecModel model{defaults, linuxProfile};
    FakeMainQueue queue;
    NotificationCenter notifications;
    FakeWorkspace workspace;
    FakeHaptics haptics;
    FakeSystemInfo systemInfo;
    FakeArrowKeys arrowKeys;
    FakeCursorLocation cursor;
    FrontmostAppDetection tracker{workspace, model, linuxProfile};
    RecordingLog log;
    FakeReticleWindow window;
    FakeReticleView view;
    std::unique_ptr<ReticleManager> built;
};

} // namespace zentrivo::test
