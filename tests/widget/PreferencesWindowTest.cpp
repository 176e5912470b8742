#include "PreferencesRig.h"
#include "app/model/AppUpdate.h"
#include "app/shell/ui/MessagePopover.h"

#include <QComboBox>
#include <QSlider>
#include <QTabWidget>
#include <QToolButton>
#include <gtest/gtest.h>
#include <map>

namespace zentrivo {
namespace {

using test::PreferencesRig;

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
    EXPECT_FALSE(rig.find<QCheckBox>("shiftCheckbox").isChecked());
    EXPECT_TRUE(fn.isHidden()) << "X has no Function modifier to offer";

    // After each click: (flags, arrow switch enabled, checked, arrowKeysDisplays, re-registered).
    // Fn, which arrow keys cannot hold, turns them off for good: enabled again without it, not on.
    using State = std::tuple<std::int64_t, bool, bool, std::int64_t, bool>;
    for (const auto& [box, state] : {std::pair{&control, State{0x1C0000, true, true, 1, true}},
                                     {&fn, {0x9C0000, false, false, 2, true}},
                                     {&fn, {0x1C0000, true, false, 2, false}}}) {
        rig.arrowKeys.registerKeys([](Directional) {}, {});
        rig.posted.clear();
        box->click();
        const bool reregistered = !rig.arrowKeys.keyDown;
        EXPECT_EQ(State(rig.storedInt("reticleFlags"), arrows.isEnabled(), arrows.isChecked(),
                        rig.storedInt("arrowKeysDisplays"), reregistered),
                  state);
        EXPECT_EQ(rig.posted, std::vector<std::string>(reregistered, "arrowDisplaysToggled"));
    }
}

TEST(PreferencesWindowTest, EverySwitchShowsItsSettingAndWritesItAtOncePostingWhatItChanged) {
    // (switch, key, stored before or -1, shown checked, stored after a click, after a second one,
    // what was posted or called). Any stored hover delay shows checked, but unchecking writes 0
    // and checking 800, never 250; the login item changes before the setting records it.
    const std::tuple<const char*, const char*, std::int64_t, bool, std::int64_t, std::int64_t,
                     std::vector<std::string>>
        rows[] = {
            {"showBackground", "background", 2, false, 1, 2, {"backgroundUpdated"}},
            {"hover", "hoverMillis", -1, false, 800, 0, {}},
            {"hover", "hoverMillis", 250, true, 0, 800, {}},
            {"arrowKeys", "arrowKeysDisplays", -1, false, 1, 2, {"arrowDisplaysToggled"}},
            {"launchActiveApps", "relaunchActive", 1, true, 2, 1, {}},
            {"hideFrontmost", "hideFrontmost", -1, false, 1, 2, {}},
            {"hideMenuBar", "hideMenuBarIcon", -1, false, 1, 0, {"applyStatusItemVisibility"}},
            {"launchOnLogin", "launchOnLogin", -1, false, 1, 0, {"applyLaunchOnLogin 1 stored 0"}},
            {"launchOnLogin", "launchOnLogin", 1, true, 0, 1, {"applyLaunchOnLogin 0 stored 1"}},
        };
    for (const auto& [name, key, before, shown, first, second, effects] : rows) {
        SCOPED_TRACE(testing::Message() << name << " from " << before);
        PreferencesRig rig;
        if (before >= 0)
            rig.db.values[key] = before;
        rig.window();
        auto& box = rig.find<QCheckBox>((std::string(name) + "Checkbox").c_str());
        EXPECT_EQ(box.isChecked(), shown);
        box.click();
        EXPECT_EQ(rig.storedInt(key), first);
        rig.posted.insert(rig.posted.end(), rig.calls.begin(), rig.calls.end());
        EXPECT_EQ(rig.posted, effects);
        box.click();
        EXPECT_EQ(rig.storedInt(key), second);
    }
}

TEST(PreferencesWindowTest, SlidersAndTheGesturePopUpShowTheStoredValuesAndStoreWhatIsSet) {
    PreferencesRig rig;
    rig.db.values["reticleFlags"] = std::int64_t{0x980000};
    rig.db.values["reticleDisplayMinDist"] = 5.7f;
    rig.db.values["firstRingDist"] = 0.0f; // reads as its fallback, 200
    rig.db.values["restToOneTouches"] = std::int64_t{3};
    rig.window();
    EXPECT_EQ(rig.db.writes, 0) << "5.7 is shown as 5, not stored as 5";
    EXPECT_FALSE(rig.find<QCheckBox>("arrowKeysCheckbox").isEnabled()) << "a trigger with Fn";
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
    EXPECT_EQ(rig.storedInt("safeAreaSize"), 40);

    // The gesture pop-up offers finger counts from two; its info button goes with "None".
    auto& select = rig.find<QComboBox>("trackpadGestureSelect");
    std::vector<int> offered;
    for (int i = 0; i < select.count(); ++i)
        offered.push_back(select.itemData(i).toInt());
    EXPECT_EQ(offered, (std::vector<int>{0, 2, 3, 4, 5}));
    for (const auto& [fingers, infoHidden] : {std::pair{0, true}, {4, false}}) {
        rig.posted.clear();
        select.setCurrentIndex(select.findData(fingers));
        Q_EMIT select.activated(select.currentIndex());
        EXPECT_EQ(rig.storedInt("restToOneTouches"), fingers);
        EXPECT_EQ(rig.find<QToolButton>("trackpadInfoButton").isHidden(), infoHidden) << fingers;
        EXPECT_EQ(rig.posted, std::vector<std::string>{"gestureSelected"});
    }
}

TEST(PreferencesWindowTest, FarButtonsKeepTheirOwnBookmarksAndPanelAndFollowTheReticle) {
    PreferencesRig rig;
    rig.addInstalled("gamma", "Gamma", false);
    auto& window = rig.window();
    std::vector<int> farIds;
    for (auto* button : window.farButtons())
        farIds.push_back(button->bookmarkId());
    EXPECT_EQ(farIds, (std::vector<int>{11, 12, 13, 14, 15, 16, 17, 18}));

    // A drop on the reticle updates only the matching button; another object is ignored.
    auto& rightFar = rig.find<SlotConfigButton>("rightFarButton");
    PreferencesRig::openMenu(rightFar); // the menu exists from the first click on
    AppUpdate update{Action{"gamma", ActionType::app}, Directional::r, true,
                     InstalledApp{"Gamma", "gamma", rig.workspace.installed["gamma"]}};
    rig.notificationCenter.post(notifications::appUpdatedInReticle, update);
    rig.notificationCenter.post(notifications::appUpdatedInReticle, std::string("beta"));
    EXPECT_EQ(rightFar.image(), SlotConfigButton::Image::app);
    EXPECT_EQ(PreferencesRig::menuTitles(rightFar),
              "-, *Gamma, Open File or Folder, Last Frontmost App, ---, Alpha, Beta");
    for (const auto* buttons : {&window.appButtons(), &window.farButtons()})
        for (auto* button : *buttons)
            EXPECT_EQ(button->selectedAction().stringValue,
                      button == &rightFar ? std::optional<std::string>("gamma") : std::nullopt)
                << button->objectName().toStdString();

    const std::string folder = rig.dir.path().toStdString();
    ASSERT_TRUE(rig.find<SlotConfigButton>("topLeftFarButton").chooseFile(folder));
    EXPECT_NE(rig.stored("bookmark-11"), nullptr);
    EXPECT_EQ(rig.posted, std::vector<std::string>{"appsUpdated"});
    ASSERT_NE(rig.stored("farReticleSpec"), nullptr);
    EXPECT_EQ(*readString(rig.stored("farReticleSpec")),
              R"({"id":1,"tl":{"stringValue":")" + folder + R"(","type":1}})");
    EXPECT_EQ(rig.stored("mainReticleSpec"), nullptr);

    ASSERT_TRUE(rig.find<SlotConfigButton>("topLeftButton").chooseFile(folder));
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
    rig.posted.clear();

    EXPECT_FALSE(right.chooseFile(rig.dir.path().toStdString() + "/caf\xe9.txt"));
    EXPECT_TRUE(rig.takeRefusal());
    PreferencesRig::menuItem(right, "Odd").trigger();
    EXPECT_TRUE(rig.takeRefusal());
    EXPECT_FALSE(rig.takeRefusal()) << "one message per refusal";
    EXPECT_EQ(PreferencesRig::menuTitles(right),
              "-, Open File or Folder, Last Frontmost App, ---, Alpha, *Beta, Odd");
    EXPECT_EQ(right.image(), SlotConfigButton::Image::app);
    EXPECT_TRUE(rig.posted.empty());

    // The panel still saves the next choice, and kept the last one.
    ASSERT_TRUE(rig.find<SlotConfigButton>("leftButton")
                    .chooseApplication(InstalledApp{"Alpha", "alpha", ""}));
    EXPECT_EQ(
        *readString(rig.stored("mainReticleSpec")),
        R"({"id":0,"l":{"stringValue":"alpha","type":0},"r":{"stringValue":"beta","type":0}})");
}

TEST(PreferencesWindowTest, TabsPopoversAndKeyboardAccess) {
    PreferencesRig rig;
    auto& window = rig.window();
    window.show();
    // Keyboard users start at the first slot.
    EXPECT_EQ(window.focusWidget(), &rig.find<SlotConfigButton>("topLeftButton"));
    // Each tab shows the distances of its ring.
    auto& tabs = rig.find<QTabWidget>("nearFarTabView");
    for (const int tab : {0, 1, 0}) {
        tabs.setCurrentIndex(tab);
        EXPECT_EQ(rig.find<QWidget>("nearStackView").isVisible(), tab == 0) << tab;
        EXPECT_EQ(rig.find<QWidget>("farStackView").isVisible(), tab == 1) << tab;
    }

    // The wake popover, its button hidden while no gesture is chosen: each change stored.
    EXPECT_TRUE(rig.find<QToolButton>("trackpadInfoButton").isHidden());
    rig.find<QToolButton>("trackpadInfoButton").click();
    auto* popover = window.trackpadInfoPopover();
    ASSERT_NE(popover, nullptr);
    EXPECT_TRUE(popover->popover().isVisible());
    EXPECT_EQ(popover->textField().text(),
              "In certain circumstances, Zentrivo is unable to receive trackpad input from the "
              "system after sleep and must be relaunched.");
    EXPECT_EQ(popover->checkbox().text(), "Relaunch Zentrivo on Wake");
    EXPECT_FALSE(popover->checkbox().isChecked());
    popover->checkbox().click();
    EXPECT_EQ(rig.storedInt("autoRestartOnWake"), 1);
    EXPECT_EQ(rig.calls, std::vector<std::string>{"updateWakeObserver"});
    popover->checkbox().click();
    EXPECT_EQ(rig.storedInt("autoRestartOnWake"), 2);

    // The other explanations, in this desktop's words.
    for (const auto& [button, ending] : std::map<const char*, const char*>{
             {"launchActiveAppsInfoButton",
              "Uncheck this box to just bring the app frontmost like Alt+Tab."},
             {"showAppListInfoButton", "you can drag and drop it in from your file manager."},
             {"arrowKeysInfoButton", "modifier keys + arrow keys can display Zentrivo."}}) {
        rig.find<QToolButton>(button).click();
        ASSERT_NE(window.messagePopover(), nullptr);
        EXPECT_TRUE(window.messagePopover()->popover().isVisible());
        EXPECT_TRUE(window.messagePopover()->messageField().text().endsWith(ending)) << button;
        window.messagePopover()->popover().close();
    }
    rig.find<QPushButton>("showAppListButton").click();
    EXPECT_EQ(rig.calls.back(), "showAppList");

    // Every control tells assistive technology its name; Alt plus a letter reaches each labelled
    // one, and no letter serves two.
    QStringList texts{tabs.tabText(0), tabs.tabText(1)};
    for (QLabel* label : window.findChildren<QLabel*>())
        if (label->buddy())
            texts << label->text();
    int controls = 0;
    for (QWidget* widget : window.findChildren<QWidget*>()) {
        if (qobject_cast<QTabBar*>(widget->parentWidget()))
            continue; // the tab bar's own scroll arrows
        if (auto* button = qobject_cast<QAbstractButton*>(widget))
            texts << button->text();
        else if (!qobject_cast<QSlider*>(widget) && !qobject_cast<QComboBox*>(widget))
            continue;
        ++controls;
        EXPECT_FALSE(widget->accessibleName().isEmpty()) << widget->objectName().toStdString();
    }
    EXPECT_GE(controls, 16 + 5 + 4 + 7 + 5);
    std::string letters;
    for (const QString& text : texts)
        if (const qsizetype at = text.indexOf('&'); at >= 0 && at + 1 < text.size())
            letters += text[at + 1].toLower().toLatin1();
    std::ranges::sort(letters);
    EXPECT_EQ(letters, "abcdefghiklnoprstwy");
}

} // namespace
} // namespace zentrivo
