#include "PreferencesRig.h"
#include "app/model/AppUpdate.h"
#include "app/shell/PreferencesRules.h"
#include "app/shell/ui/MessagePopover.h"

#include <QComboBox>
#include <QSlider>
#include <QToolButton>
#include <gtest/gtest.h>
#include <map>

namespace zentrivo {
namespace {

using test::PreferencesRig;

std::int64_t storedInt(const PreferencesRig& rig, const std::string& key) {
    const PropertyValue* value = rig.stored(key);
    return value ? readInteger(value) : -1;
}

TEST(PreferencesWindowTest, ModifierBoxesWriteTheirBitAndKeepArrowKeysOffTheFunctionKey) {
    PreferencesRig rig;
    rig.db.values["reticleFlags"] = std::int64_t{0x180000};
    rig.db.values["arrowKeysDisplays"] = std::int64_t{1};
    rig.window();
    auto& control = rig.find<QCheckBox>("controlCheckbox");
    auto& fn = rig.find<QCheckBox>("fnCheckbox");
    auto& arrows = rig.find<QCheckBox>("arrowKeysCheckbox");
    EXPECT_TRUE(rig.find<QCheckBox>("cmdCheckbox").isChecked());
    EXPECT_TRUE(rig.find<QCheckBox>("optionCheckbox").isChecked());
    EXPECT_FALSE(control.isChecked());
    EXPECT_FALSE(rig.find<QCheckBox>("shiftCheckbox").isChecked());
    EXPECT_TRUE(fn.isHidden()) << "X has no Function modifier to offer";
    ASSERT_TRUE(arrows.isChecked());
    const auto keysRegistered = [&] { return bool(rig.arrowKeys.keyDown); };

    struct Step {
        QCheckBox* box;
        std::int64_t flags;
        bool arrowsEnabled, arrowsChecked;
        std::int64_t arrowKeysDisplays;
        bool reregistered;
    };
    const Step steps[] = {
        // Arrow keys wanted: every change re-registers them with the new modifiers.
        {&control, 0x1C0000, true, true, 1, true},
        // The Function key: arrow keys cannot hold it, so they are switched off for good.
        {&fn, 0x9C0000, false, false, 2, true},
        // Without it again the switch can be used, but stays off, and nothing is re-registered.
        {&fn, 0x1C0000, true, false, 2, false},
        {&control, 0x180000, true, false, 2, false},
    };
    int step = 0;
    for (const Step& s : steps) {
        SCOPED_TRACE(step++);
        rig.arrowKeys.registerKeys([](Directional) {}, {});
        rig.posted.clear();
        s.box->click();
        EXPECT_EQ(storedInt(rig, "reticleFlags"), s.flags);
        EXPECT_EQ(arrows.isEnabled(), s.arrowsEnabled);
        EXPECT_EQ(arrows.isChecked(), s.arrowsChecked);
        EXPECT_EQ(storedInt(rig, "arrowKeysDisplays"), s.arrowKeysDisplays);
        EXPECT_EQ(!keysRegistered(), s.reregistered);
        EXPECT_EQ(rig.posted, s.reregistered ? std::vector<std::string>{"arrowDisplaysToggled"}
                                             : std::vector<std::string>{});
    }
}

TEST(PreferencesWindowTest, EverySwitchWritesItsSettingAtOnceAndPostsWhatItChanged) {
    struct Row {
        const char* box;
        const char* key;
        std::int64_t on, off;
        std::vector<std::string> posts;
        std::vector<std::string> calls;
    };
    const Row rows[] = {
        {"showBackgroundCheckbox", "background", 1, 2, {"backgroundUpdated"}, {}},
        {"hoverCheckbox", "hoverMillis", 800, 0, {}, {}},
        {"arrowKeysCheckbox", "arrowKeysDisplays", 1, 2, {"arrowDisplaysToggled"}, {}},
        {"launchActiveAppsCheckbox", "relaunchActive", 1, 2, {}, {}},
        {"hideFrontmostCheckbox", "hideFrontmost", 1, 2, {}, {}},
        {"hideMenuBarCheckbox", "hideMenuBarIcon", 1, 0, {}, {"applyStatusItemVisibility"}},
        // The login item changes before the setting records it.
        {"launchOnLoginCheckbox", "launchOnLogin", 1, 0, {}, {"applyLaunchOnLogin 1 stored 0"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.box);
        PreferencesRig rig;
        rig.window();
        auto& box = rig.find<QCheckBox>(row.box);
        ASSERT_FALSE(box.isChecked());
        ASSERT_EQ(rig.stored(row.key), nullptr) << "loading writes nothing";
        box.click();
        EXPECT_EQ(storedInt(rig, row.key), row.on);
        EXPECT_EQ(rig.posted, row.posts);
        EXPECT_EQ(rig.calls, row.calls);
        box.click();
        EXPECT_EQ(storedInt(rig, row.key), row.off);
    }
}

TEST(PreferencesWindowTest, ControlsShowTheStoredValuesWithoutWritingThem) {
    PreferencesRig rig;
    rig.db.values["hoverMillis"] = std::int64_t{250};
    rig.db.values["reticleDisplayMinDist"] = 5.7f;
    rig.db.values["firstRingDist"] = 0.0f; // reads as its fallback, 200
    rig.db.values["background"] = std::int64_t{2};
    rig.db.values["relaunchActive"] = std::int64_t{1};
    rig.db.values["launchOnLogin"] = true;
    rig.db.values["restToOneTouches"] = std::int64_t{3};
    rig.window();
    EXPECT_EQ(rig.db.writes, 0);
    EXPECT_TRUE(rig.find<QCheckBox>("hoverCheckbox").isChecked());
    EXPECT_FALSE(rig.find<QCheckBox>("showBackgroundCheckbox").isChecked());
    EXPECT_TRUE(rig.find<QCheckBox>("launchActiveAppsCheckbox").isChecked());
    EXPECT_TRUE(rig.find<QCheckBox>("launchOnLoginCheckbox").isChecked());
    EXPECT_FALSE(rig.find<QCheckBox>("arrowKeysCheckbox").isChecked());
    EXPECT_EQ(rig.find<QSlider>("minDistSlider").value(), 5);
    EXPECT_EQ(rig.find<QSlider>("farSlider").value(), 200);
    EXPECT_EQ(rig.find<QSlider>("safeAreaSlider").value(), 25);
    EXPECT_EQ(rig.find<QSlider>("outerSafeAreaSlider").value(), 1001);
    EXPECT_EQ(rig.find<QComboBox>("trackpadGestureSelect").currentData().toInt(), 3);
    EXPECT_FALSE(rig.find<QToolButton>("trackpadInfoButton").isHidden());

    // A slider writes its whole-number position the moment it moves.
    rig.find<QSlider>("minDistSlider").setValue(12);
    rig.find<QSlider>("safeAreaSlider").setValue(40);
    EXPECT_EQ(readFloat(rig.stored("reticleDisplayMinDist")), 12.0f);
    EXPECT_EQ(storedInt(rig, "safeAreaSize"), 40);
    // Hover with a stored 250: unchecking writes 0, checking writes 800, never 250.
    rig.find<QCheckBox>("hoverCheckbox").click();
    EXPECT_EQ(storedInt(rig, "hoverMillis"), 0);
}

TEST(PreferencesWindowTest, GesturePopUpStoresFingerCountsAndHidesTheInfoForNone) {
    PreferencesRig rig;
    rig.window();
    auto& select = rig.find<QComboBox>("trackpadGestureSelect");
    auto& info = rig.find<QToolButton>("trackpadInfoButton");
    EXPECT_EQ(select.currentData().toInt(), 0);
    EXPECT_TRUE(info.isHidden());
    std::vector<int> offered;
    for (int i = 0; i < select.count(); ++i)
        offered.push_back(select.itemData(i).toInt());
    EXPECT_EQ(offered, (std::vector<int>{0, 2, 3, 4, 5}));
    for (const auto& [fingers, infoHidden] : {std::pair{4, false}, {0, true}}) {
        SCOPED_TRACE(fingers);
        rig.posted.clear();
        const int index = select.findData(fingers);
        select.setCurrentIndex(index);
        Q_EMIT select.activated(index);
        EXPECT_EQ(storedInt(rig, "restToOneTouches"), fingers);
        EXPECT_EQ(info.isHidden(), infoHidden);
        EXPECT_EQ(rig.posted, std::vector<std::string>{"gestureSelected"});
    }
}

TEST(PreferencesWindowTest, FarButtonsKeepTheirOwnBookmarksAndPanel) {
    PreferencesRig rig;
    auto& window = rig.window();
    std::vector<int> farIds, nearIds;
    for (auto* button : window.farButtons())
        farIds.push_back(button->bookmarkId());
    for (auto* button : window.appButtons())
        nearIds.push_back(button->bookmarkId());
    EXPECT_EQ(farIds, (std::vector<int>{11, 12, 13, 14, 15, 16, 17, 18}));
    EXPECT_EQ(nearIds, (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8}));

    const std::string folder = rig.dir.path().toStdString();
    ASSERT_TRUE(rig.find<SlotConfigButton>("topLeftFarButton").chooseFile(folder));
    EXPECT_NE(rig.stored("bookmark-11"), nullptr);
    EXPECT_EQ(rig.stored("bookmark-1"), nullptr);
    EXPECT_EQ(rig.posted, std::vector<std::string>{"appsUpdated"});
    ASSERT_NE(rig.stored("farReticleSpec"), nullptr);
    EXPECT_EQ(*readString(rig.stored("farReticleSpec")),
              R"({"id":1,"tl":{"stringValue":")" + folder + R"(","type":1}})");
    EXPECT_EQ(rig.stored("mainReticleSpec"), nullptr);

    ASSERT_TRUE(rig.find<SlotConfigButton>("topLeftButton").chooseFile(folder));
    EXPECT_NE(rig.stored("bookmark-1"), nullptr);
    rig.find<SlotConfigButton>("topLeftFarButton").chooseApplication(std::nullopt);
    EXPECT_EQ(rig.stored("bookmark-11"), nullptr);
    EXPECT_NE(rig.stored("bookmark-1"), nullptr);
    EXPECT_EQ(*readString(rig.stored("farReticleSpec")), R"({"id":1})");
}

TEST(PreferencesWindowTest, AChoiceThePanelCannotStoreIsRefusedAndSavingGoesOn) {
    // Application folders are read as bytes, so an entry's identifier need not be UTF-8 either.
    PreferencesRig rig;
    rig.addInstalled("odd\xff", "Odd");
    rig.window().show();
    auto& right = rig.find<SlotConfigButton>("rightButton");
    ASSERT_TRUE(right.chooseApplication(InstalledApp{"Beta", "beta", ""}));
    const auto before = *readString(rig.stored("mainReticleSpec"));
    rig.posted.clear();

    EXPECT_FALSE(right.chooseFile(rig.dir.path().toStdString() + "/caf\xe9.txt"));
    EXPECT_TRUE(PreferencesRig::takeRefusal());
    right.click();
    right.slotMenu()->hide();
    for (QAction* item : right.slotMenu()->actions()) {
        if (item->text() == "Odd") {
            item->trigger();
            EXPECT_TRUE(PreferencesRig::takeRefusal());
        }
    }
    EXPECT_FALSE(PreferencesRig::takeRefusal()) << "one message per refusal";
    std::vector<std::string> checked;
    for (QAction* item : right.slotMenu()->actions())
        if (item->isChecked())
            checked.push_back(item->text().toStdString());
    EXPECT_EQ(checked, std::vector<std::string>{"Beta"});
    EXPECT_EQ(right.image(), SlotConfigButton::Image::app);
    EXPECT_EQ(rig.stored("bookmark-5"), nullptr);
    EXPECT_TRUE(rig.posted.empty());
    EXPECT_EQ(*readString(rig.stored("mainReticleSpec")), before);

    // The panel still saves the next choice.
    ASSERT_TRUE(rig.find<SlotConfigButton>("leftButton")
                    .chooseApplication(InstalledApp{"Alpha", "alpha", ""}));
    EXPECT_EQ(
        *readString(rig.stored("mainReticleSpec")),
        R"({"id":0,"l":{"stringValue":"alpha","type":0},"r":{"stringValue":"beta","type":0}})");
}

TEST(PreferencesWindowTest, ADropOnTheReticleUpdatesOnlyTheMatchingButton) {
    PreferencesRig rig;
    rig.addInstalled("gamma", "Gamma", false);
    auto& window = rig.window();
    auto& rightFar = rig.find<SlotConfigButton>("rightFarButton");
    rightFar.click(); // the menu exists from the first click on
    ASSERT_NE(rightFar.slotMenu(), nullptr);
    rightFar.slotMenu()->hide();

    AppUpdate update{Action{"gamma", ActionType::app}, Directional::r, true,
                     InstalledApp{"Gamma", "gamma", rig.workspace.installed["gamma"]}};
    rig.notificationCenter.post(notifications::appUpdatedInReticle, update);
    EXPECT_EQ(rightFar.selectedAction().stringValue, "gamma");
    EXPECT_EQ(rightFar.image(), SlotConfigButton::Image::app);
    ASSERT_NE(rightFar.additionalMenuItem(), nullptr);
    EXPECT_EQ(rightFar.slotMenu()->actions().indexOf(rightFar.additionalMenuItem()), 1);
    EXPECT_TRUE(rightFar.additionalMenuItem()->isChecked());
    for (auto* button : window.appButtons())
        EXPECT_EQ(button->selectedAction().stringValue, std::nullopt) << button->tag();
    for (auto* button : window.farButtons()) {
        if (button != &rightFar) {
            EXPECT_EQ(button->selectedAction().stringValue, std::nullopt) << button->tag();
        }
    }
    // Another object than a slot change is ignored.
    rig.notificationCenter.post(notifications::appUpdatedInReticle, std::string("gamma"));
    EXPECT_EQ(rightFar.selectedAction().stringValue, "gamma");
}

TEST(PreferencesWindowTest, TabsPopoversAndKeyboardAccess) {
    PreferencesRig rig;
    rig.db.values["restToOneTouches"] = std::int64_t{3};
    auto& window = rig.window();
    window.show();
    // Keyboard users start at the first slot.
    EXPECT_EQ(window.focusWidget(), &rig.find<SlotConfigButton>("topLeftButton"));
    auto& nearStack = rig.find<QWidget>("nearStackView");
    auto& farStack = rig.find<QWidget>("farStackView");
    EXPECT_TRUE(nearStack.isVisible());
    EXPECT_FALSE(farStack.isVisible());
    window.changeTabs(1);
    EXPECT_FALSE(nearStack.isVisible());
    EXPECT_TRUE(farStack.isVisible());
    window.changeTabs(0);
    EXPECT_TRUE(nearStack.isVisible());

    // The wake popover: beside the info button, checked from the setting, each change stored.
    auto& info = rig.find<QToolButton>("trackpadInfoButton");
    info.click();
    auto* popover = window.trackpadInfoPopover();
    ASSERT_NE(popover, nullptr);
    EXPECT_TRUE(popover->popover().isVisible());
    EXPECT_EQ(popover->popover().windowType(), Qt::Popup);
    // Its left edge at the button's right edge (the offscreen platform may shift a new window by
    // its 2-pixel frame), centred on the button.
    const QRect popped = popover->popover().geometry();
    const QPoint anchor = info.mapToGlobal(QPoint(info.width(), info.height() / 2));
    EXPECT_GE(popped.left(), anchor.x());
    EXPECT_LE(popped.left(), anchor.x() + 2);
    EXPECT_LE(std::abs(popped.center().y() - anchor.y()), 3);
    EXPECT_EQ(popover->textField().text(),
              "In certain circumstances, Zentrivo is unable to receive trackpad input from the "
              "system after sleep and must be relaunched.");
    EXPECT_EQ(popover->checkbox().text(), "Relaunch Zentrivo on Wake");
    EXPECT_FALSE(popover->checkbox().isChecked());
    popover->checkbox().click();
    EXPECT_EQ(storedInt(rig, "autoRestartOnWake"), 1);
    EXPECT_EQ(rig.calls, std::vector<std::string>{"updateWakeObserver"});
    popover->checkbox().click();
    EXPECT_EQ(storedInt(rig, "autoRestartOnWake"), 2);
    popover->popover().close();

    rig.find<QToolButton>("launchActiveAppsInfoButton").click();
    ASSERT_NE(window.messagePopover(), nullptr);
    const QString text = window.messagePopover()->messageField().text();
    EXPECT_TRUE(text.endsWith("Uncheck this box to just bring the app frontmost like Alt+Tab."))
        << text.toStdString();
    EXPECT_TRUE(text.startsWith("Check this box to mimic dock launching behavior"));
    rig.find<QToolButton>("showAppListInfoButton").click();
    EXPECT_TRUE(window.messagePopover()->messageField().text().endsWith(
        "you can drag and drop it in from your file manager."));
    window.messagePopover()->popover().close();
    rig.find<QPushButton>("showAppListButton").click();
    EXPECT_EQ(rig.calls.back(), "showAppList");

    // Every control can be reached with the keyboard and tells assistive technology its name.
    int controls = 0;
    for (QWidget* widget : window.findChildren<QWidget*>()) {
        if (!qobject_cast<QAbstractButton*>(widget) && !qobject_cast<QSlider*>(widget) &&
            !qobject_cast<QComboBox*>(widget))
            continue;
        if (qobject_cast<QTabBar*>(widget->parentWidget()))
            continue; // the tab bar's own scroll arrows
        ++controls;
        SCOPED_TRACE(widget->objectName().toStdString());
        EXPECT_FALSE(widget->accessibleName().isEmpty());
        EXPECT_TRUE(widget->focusPolicy() & Qt::TabFocus);
    }
    EXPECT_GE(controls, 16 + 5 + 4 + 7 + 5);
    // Alt plus a letter reaches each labelled control; no letter may serve two.
    std::map<QString, QString> mnemonics;
    const auto claim = [&](const QString& text) {
        const int at = text.indexOf('&');
        if (at < 0 || at + 1 >= text.size())
            return;
        const QString letter = text.mid(at + 1, 1).toLower();
        EXPECT_FALSE(mnemonics.contains(letter))
            << text.toStdString() << " and " << mnemonics[letter].toStdString();
        mnemonics[letter] = text;
    };
    for (QAbstractButton* button : window.findChildren<QAbstractButton*>())
        claim(button->text());
    for (QLabel* label : window.findChildren<QLabel*>())
        if (label->buddy())
            claim(label->text());
    auto& tabs = rig.find<QTabWidget>("nearFarTabView");
    for (int i = 0; i < tabs.count(); ++i)
        claim(tabs.tabText(i));
    EXPECT_EQ(mnemonics.size(), 19u);
}

} // namespace
} // namespace zentrivo
