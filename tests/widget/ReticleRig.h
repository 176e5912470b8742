#pragma once

// The reticle's view and window over fakes: "with-icon" and "far-app" are entries with a red icon
// file, "no-icon" has no Icon key, "missing" is not installed; no compositor runs till one starts.
#include "app/apps/FrontmostAppDetection.h"
#include "app/core/Notifications.h"
#include "app/model/ReticleSpecModel.h"
#include "app/reticle/ui/QtReticleView.h"
#include "app/reticle/ui/QtReticleWindow.h"
#include "app/reticle/ui/ReticleSlotWidget.h"
#include "app/reticle/ui/SlotIcons.h"
#include "app/settings/Defaults.h"
#include "tests/fakes/FakeAppearance.h"
#include "tests/fakes/FakeArrowKeys.h"
#include "tests/fakes/FakeCompositorWatch.h"
#include "tests/fakes/FakeDefaultsDatabase.h"
#include "tests/fakes/FakeMainQueue.h"
#include "tests/fakes/FakeWindowShape.h"
#include "tests/fakes/FakeWorkspace.h"
#include "tests/fakes/FreedesktopTestProfile.h"
#include "tests/fakes/RecordingLog.h"

#include <QImage>
#include <QTemporaryDir>
#include <fstream>
#include <gtest/gtest.h>

namespace zentrivo::test {

class ReticleRig : public ::testing::Test {
protected:
    ReticleRig() {
        const QString iconFile = dir.filePath("icon.png");
        QImage image(32, 32, QImage::Format_ARGB32);
        image.fill(Qt::red);
        image.save(iconFile);
        for (const auto& [id, icon] :
             {std::pair{"with-icon", iconFile}, {"far-app", iconFile}, {"no-icon", QString()}}) {
            const std::string path = dir.filePath(QString(id) + ".desktop").toStdString();
            std::ofstream(path) << "[Desktop Entry]\nType=Application\nName=" << id
                                << "\nExec=true\n"
                                << (icon.isEmpty() ? "" : "Icon=" + icon.toStdString() + "\n");
            workspace.installed[id] = path;
        }
    }

    QtReticleView& makeView() {
        view = std::make_unique<QtReticleView>(
            QtReticleView::Collaborators{defaults, model, notifications, queue, workspace,
                                         frontmost, arrowKeys, icons, nullptr, &appearance});
        return *view;
    }

    /// A window with a view, on a 1280×800 primary screen at the X origin unless given another.
    QtReticleWindow& makeWindow(platform::PrimaryScreen screen = {0, 0, 1280, 800},
                                QtReticleWindow::MonitorSource monitors = {}) {
        window.reset();
        window = std::make_unique<QtReticleWindow>(QtReticleWindow::Collaborators{
            defaults, queue, arrowKeys, view ? *view : makeView(), [screen] { return screen; },
            std::move(monitors), &compositor, &shape});
        window->setCloseCompletion([this] { ++completions; });
        return *window;
    }

    QTemporaryDir dir;
    FakeDefaultsDatabase db;
    Defaults defaults{db};
    FreedesktopTestProfile profile;
    ReticleSpecModel model{defaults, profile};
    NotificationCenter notifications;
    FakeMainQueue queue;
    FakeWorkspace workspace;
    FrontmostAppDetection frontmost{workspace, model, profile};
    FakeArrowKeys arrowKeys;
    FakeAppearance appearance;
    RecordingLog log;
    SlotIcons icons{{workspace, defaults, log}};
    FakeCompositorWatch compositor;
    FakeWindowShape shape;
    std::unique_ptr<QtReticleView> view;
    std::unique_ptr<QtReticleWindow> window;
    int completions = 0;
};

inline QImage pixels(const QWidget& widget) {
    return const_cast<QWidget&>(widget).grab().toImage().convertToFormat(QImage::Format_ARGB32);
}

} // namespace zentrivo::test
