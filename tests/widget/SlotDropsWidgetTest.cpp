#include "app/apps/FrontmostAppDetection.h"
#include "app/core/Notifications.h"
#include "app/model/AppUpdate.h"
#include "app/model/ReticleSpecModel.h"
#include "app/reticle/ui/QtReticleView.h"
#include "app/reticle/ui/QtSlotDrops.h"
#include "app/reticle/ui/ReticleSlotWidget.h"
#include "app/reticle/ui/SlotIcons.h"
#include "app/settings/Defaults.h"
#include "tests/fakes/FakeArrowKeys.h"
#include "tests/fakes/FakeDefaultsDatabase.h"
#include "tests/fakes/FakeMainQueue.h"
#include "tests/fakes/FakeReticleViewDelegate.h"
#include "tests/fakes/FakeWorkspace.h"
#include "tests/fakes/FreedesktopTestProfile.h"
#include "tests/fakes/RecordingLog.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QImage>
#include <QMimeData>
#include <QTemporaryDir>
#include <QUrl>
#include <fstream>
#include <gtest/gtest.h>

namespace zentrivo {
namespace {

namespace fs = std::filesystem;

/// The reticle's view over fakes, with drops as Qt delivers them, and in a temporary folder:
/// "mail.desktop" (installed as "mail", red icon with a clear top-left quarter), "dropped.desktop"
/// ("dropped", named "Dropped App"), "stray.desktop" (no id), a folder "Inbox", "notes.txt".
class SlotDropsTest : public ::testing::Test {
protected:
    SlotDropsTest() {
        QImage image(32, 32, QImage::Format_ARGB32);
        image.fill(Qt::red);
        for (int i = 0; i < 16 * 16; ++i)
            image.setPixel(i % 16, i / 16, qRgba(0, 0, 0, 0));
        image.save(dir.filePath("icon.png"));
        for (const char* id : {"mail", "dropped", "stray"})
            std::ofstream(path(std::string(id) + ".desktop"))
                << "[Desktop Entry]\nType=Application\nName=" << id
                << "\nExec=true\nIcon=" << path("icon.png") << "\n";
        workspace.installed["mail"] = path("mail.desktop");
        workspace.installed["dropped"] = path("dropped.desktop");
        workspace.names["dropped"] = "Dropped App";
        fs::create_directory(path("Inbox"));
        std::ofstream(path("notes.txt")) << "notes";
        for (const char* name : {"appUpdatedInReticle", "appsUpdated"})
            notifications.addObserver(name, [this](const Notification& n) {
                posted.push_back(n.name);
                if (const auto* update = std::any_cast<AppUpdate>(&n.object))
                    lastUpdate = *update;
            });
    }

    std::string path(const std::string& name) const {
        return dir.filePath(QString::fromStdString(name)).toStdString();
    }

    QtReticleView& makeView() {
        view = std::make_unique<QtReticleView>(QtReticleView::Collaborators{
            defaults, model, notifications, queue, workspace, frontmost, arrowKeys, icons,
            [this](const std::vector<fs::path>& items, const fs::path& folder) {
                moved.push_back({items, folder});
            }});
        view->setDelegate(&delegate);
        return *view;
    }

    ReticleSlotWidget& slot(Directional d) { return const_cast<ReticleSlotWidget&>(view->slot(d)); }

    QUrl file(const std::string& name) const {
        return QUrl::fromLocalFile(QString::fromStdString(path(name)));
    }

    /// A drag of `urls` entering slot `d`, then (with `drop`) dropped there: the action answered
    /// to the source by the move Qt sends after the enter, or by the drop; Ignore for a refusal.
    Qt::DropAction drag(Directional d, const QList<QUrl>& urls, bool drop = false,
                        Qt::DropActions possible = Qt::CopyAction | Qt::MoveAction |
                                                   Qt::LinkAction) {
        QMimeData data;
        data.setUrls(urls);
        const auto send = [&](QDropEvent&& event) {
            QApplication::sendEvent(&slot(d), &event);
            return event.isAccepted() ? event.dropAction() : Qt::IgnoreAction;
        };
        send(QDragEnterEvent(QPoint(40, 40), possible, &data, Qt::LeftButton, Qt::NoModifier));
        const Qt::DropAction answer =
            send(QDragMoveEvent(QPoint(40, 40), possible, &data, Qt::LeftButton, Qt::NoModifier));
        return drop ? send(QDropEvent(QPointF(40, 40), possible, &data, Qt::LeftButton,
                                      Qt::NoModifier))
                    : answer;
    }

    QTemporaryDir dir;
    test::FakeDefaultsDatabase db;
    Defaults defaults{db};
    test::FreedesktopTestProfile profile;
    ReticleSpecModel model{defaults, profile};
    NotificationCenter notifications;
    test::FakeMainQueue queue;
    test::FakeWorkspace workspace;
    FrontmostAppDetection frontmost{workspace, model, profile};
    test::FakeArrowKeys arrowKeys;
    test::RecordingLog log;
    SlotIcons icons{{workspace, defaults, log}};
    test::FakeReticleViewDelegate delegate;
    std::unique_ptr<QtReticleView> view;
    std::vector<std::string> posted;
    std::optional<AppUpdate> lastUpdate;
    std::vector<std::pair<std::vector<fs::path>, fs::path>> moved;
};

TEST_F(SlotDropsTest, TheOperationAnsweredWhileADragIsOverASlotAndTheTintItShows) {
    const Qt::DropActions all = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction,
                          noMove = Qt::CopyAction | Qt::LinkAction;
    const Action mail{"mail", ActionType::app}, inbox{path("Inbox"), ActionType::file},
        document{path("notes.txt"), ActionType::file},
        entry{path("mail.desktop"), ActionType::file};
    const QUrl app = file("dropped.desktop"), notes = file("notes.txt");
    const std::optional<Action> empty;
    // slot r's action, replacing on, dragged, source's actions, answer (Ignore: refused); a slot
    // with an action is tinted while the drag is over it.
    const std::tuple<const char*, std::optional<Action>, bool, QList<QUrl>, Qt::DropActions,
                     Qt::DropAction>
        rows[] = {
            {"one app on an empty ring slot", empty, true, {app}, all, Qt::CopyAction},
            {"replacing off: empty slot", empty, false, {app}, all, Qt::IgnoreAction},
            {"a document on an empty slot", empty, true, {notes}, all, Qt::IgnoreAction},
            {"one app on an app slot: it replaces", mail, true, {app}, all, Qt::CopyAction},
            {"one app, replacing off: opened with it", mail, false, {app}, all, Qt::LinkAction},
            {"two apps on an app slot", mail, true, {app, file("a.desktop")}, all, Qt::LinkAction},
            {"files on a folder slot", inbox, true, {notes}, all, Qt::MoveAction},
            {"a source without move: copy instead", inbox, true, {notes}, noMove, Qt::CopyAction},
            {"a source with move only", mail, true, {notes}, Qt::MoveAction, Qt::IgnoreAction},
            {"files on a document's slot: generic", document, true, {notes}, all, Qt::IgnoreAction},
            {"files on an application file slot", entry, true, {notes}, all, Qt::LinkAction},
        };
    for (const auto& [name, action, replacing, urls, possible, answered] : rows) {
        SCOPED_TRACE(name);
        model.setMainSlot(action, Directional::r);
        defaults.dropInReticleReplaces.set(replacing ? OptionalBool::undefined
                                                     : OptionalBool::userDisabled);
        auto& v = makeView();
        const qint64 own = v.slot(Directional::r).icon().cacheKey();
        EXPECT_EQ(drag(Directional::r, urls, false, possible), answered);
        EXPECT_EQ(delegate.receivingDrag, action.has_value());
        if (action == mail) {
            // Black at half opacity over the red icon, only where it is opaque: its clear
            // top-left quarter stays clear.
            const QImage tint = v.slot(Directional::r).icon().pixmap(QSize(70, 70), 1.0).toImage();
            const int q = tint.width() / 4; // the pixmap keeps the icon's own size
            const QColor clear = tint.pixelColor(q, q), opaque = tint.pixelColor(3 * q, 3 * q);
            EXPECT_EQ(std::tuple(clear.alpha(), opaque.alpha(), opaque.green() + opaque.blue()),
                      std::tuple(0, 255, 0));
            EXPECT_NEAR(opaque.red(), 128, 1);
        }
        QDragLeaveEvent leave;
        QApplication::sendEvent(&slot(Directional::r), &leave);
        EXPECT_FALSE(delegate.receivingDrag);
        EXPECT_EQ(v.slot(Directional::r).icon().cacheKey(), own) << "leaving restores the icon";
    }
}

TEST_F(SlotDropsTest, ADroppedApplicationTakesAnEmptyRingSlotOfTheShowingPanelButNeverTheCentre) {
    const Action dropped{"dropped", ActionType::app}, mail{"mail", ActionType::app};
    const QUrl entry = file("dropped.desktop");
    auto& v = makeView();
    EXPECT_EQ(drag(Directional::tr, {entry}, true), Qt::CopyAction);
    EXPECT_EQ(model.mainSpec().slot(Directional::tr), dropped);
    EXPECT_EQ(posted, (std::vector<std::string>{"appUpdatedInReticle", "appsUpdated"}));
    ASSERT_TRUE(lastUpdate);
    EXPECT_EQ(std::tie(lastUpdate->action, lastUpdate->directional, lastUpdate->far,
                       lastUpdate->installedApp),
              std::tuple(dropped, Directional::tr, false,
                         InstalledApp{"Dropped App", "dropped", path("dropped.desktop")}));
    EXPECT_TRUE(v.slot(Directional::tr).hasImage()) << "the slot shows its new icon at once";

    // With the far panel showing, the far panel's slot changes and the near one stays.
    model.setMainSlot(mail, Directional::b);
    v.reloadSlots(true);
    EXPECT_EQ(drag(Directional::b, {entry}, true), Qt::CopyAction);
    EXPECT_EQ(std::tuple(model.farSpec().slot(Directional::b),
                         model.mainSpec().slot(Directional::b), lastUpdate->far),
              std::tuple(dropped, mail, true));

    // The centre is never replaced: its application opens the dropped entry instead.
    posted.clear();
    v.reloadSlots(false);
    model.setMainSlot(mail, Directional::c);
    v.reloadSlotImages();
    EXPECT_EQ(drag(Directional::c, {entry}, true), Qt::LinkAction);
    EXPECT_EQ(model.mainSpec().slot(Directional::c), mail);
    EXPECT_TRUE(posted.empty());
    EXPECT_EQ(workspace.requests, (std::vector<std::string>{"urls " + path("mail.desktop") + " " +
                                                            entry.toString().toStdString()}));

    // An entry outside the application folders has no id to put in a slot: nothing happens on
    // an empty slot.
    EXPECT_EQ(drag(Directional::l, {file("stray.desktop")}, true), Qt::IgnoreAction);
    EXPECT_FALSE(model.mainSpec().slot(Directional::l));
    EXPECT_EQ(delegate.replacedByDrop, 2);
}

TEST_F(SlotDropsTest, DroppedItemsGoToTheSlotsApplicationOrFolder) {
    model.setMainSlot(Action{"mail", ActionType::app}, Directional::r);
    model.setMainSlot(Action{path("Inbox"), ActionType::file}, Directional::t);
    model.setMainSlot(Action{path("notes.txt"), ActionType::file}, Directional::b);
    defaults.dropInReticleReplaces.set(OptionalBool::userDisabled);
    makeView();
    const std::string mail = "urls " + path("mail.desktop") + " ";
    const QUrl web("https://example.org/a%20b?q=1");

    // Replacing off: the application opens the dropped entry; files and links separately, the
    // file never a second time as a link.
    EXPECT_EQ(drag(Directional::r, {file("dropped.desktop"), web, file("my notes.txt")}, true),
              Qt::LinkAction);
    EXPECT_EQ(workspace.requests,
              (std::vector<std::string>{mail + file("dropped.desktop").toString().toStdString() +
                                            " file://" + path("my%20notes.txt"),
                                        mail + "https://example.org/a%20b?q=1"}));

    // Two files on a folder slot go to the mover, the link with them does not. Told "copied": a
    // source told "moved" may delete originals that a declined clash kept.
    workspace.requests.clear();
    EXPECT_EQ(drag(Directional::t, {file("notes.txt"), web, file("my notes.txt")}, true),
              Qt::CopyAction);
    const decltype(moved) toInbox{{{path("notes.txt"), path("my notes.txt")}, path("Inbox")}};
    EXPECT_EQ(moved, toInbox);

    // A web link alone on a folder slot, anything on a document's slot: refused.
    EXPECT_EQ(drag(Directional::t, {web}, true), Qt::IgnoreAction);
    EXPECT_EQ(drag(Directional::b, {file("notes.txt")}, true), Qt::IgnoreAction);
    EXPECT_EQ(moved, toInbox);
    EXPECT_TRUE(workspace.requests.empty());
    EXPECT_TRUE(posted.empty());
}

} // namespace
} // namespace zentrivo
