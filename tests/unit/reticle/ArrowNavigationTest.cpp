#include "app/reticle/ArrowNavigation.h"

#include "app/model/ReticleSpecModel.h"
#include "app/reticle/ReticleViewDelegate.h"
#include "app/settings/Defaults.h"
#include "tests/fakes/FakeDefaultsDatabase.h"
#include "tests/fakes/FreedesktopTestProfile.h"

#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

namespace zentrivo::test {
namespace {

using D = Directional;

std::optional<D> parsePosition(const std::string& word) {
    if (word == "-")
        return std::nullopt;
    for (D d : allDirections)
        if (word == name(d))
            return d;
    ADD_FAILURE() << "bad position " << word;
    return std::nullopt;
}

/// Rows "current: up left right down"; a cell "x*" switches panels.
void checkTable(bool far, const std::vector<std::string>& rows) {
    const D arrows[] = {D::t, D::l, D::r, D::b};
    for (const auto& row : rows) {
        std::istringstream in(row);
        std::string current;
        in >> current;
        current.pop_back(); // the colon
        std::vector<std::optional<D>> froms;
        if (current == "none")
            froms = {std::nullopt, D::c};
        else
            froms = {parsePosition(current)};
        for (D arrow : arrows) {
            std::string cell;
            in >> cell;
            const bool flips = cell.back() == '*';
            if (flips)
                cell.pop_back();
            const ArrowTarget expected{parsePosition(cell), flips ? !far : far};
            for (auto from : froms) {
                SCOPED_TRACE(std::string(far ? "far " : "near ") + current + " arrow " +
                             name(arrow));
                EXPECT_EQ(arrowTarget(from, far, arrow), expected);
            }
        }
    }
}

TEST(ArrowTargetTest, NearPanel) {
    checkTable(false, {
                          "none: t l r b",
                          "tl: tl* tl* t l",
                          "t: t* tl tr -",
                          "tr: tr* t tr* r",
                          "l: tl l* - bl",
                          "r: tr - r* br",
                          "bl: l bl* b bl*",
                          "b: - bl br b*",
                          "br: r b br* br*",
                      });
}

TEST(ArrowTargetTest, FarPanel) {
    checkTable(true, {
                         "none: t l r b",
                         "tl: tl tl t l",
                         "t: t tl tr t*",
                         "tr: tr t tr r",
                         "l: tl l l* bl",
                         "r: tr r* r br",
                         "bl: l bl b bl",
                         "b: b* bl br b",
                         "br: r b br br",
                     });
}

TEST(ArrowTargetTest, OnlyTheFourArrowsMove) {
    for (D notAnArrow : {D::tl, D::tr, D::bl, D::br, D::c})
        for (bool far : {false, true}) {
            SCOPED_TRACE(name(notAnArrow));
            EXPECT_EQ(arrowTarget(D::l, far, notAnArrow), (ArrowTarget{D::l, far}));
        }
}

class ArrowStepTest : public ::testing::Test {
protected:
    ArrowStepTest() {
        ReticleSpec near;
        near.t = Action{"top", ActionType::app};
        near.l = Action{"left", ActionType::app};
        model.setMainSpec(near);
    }
    FakeDefaultsDatabase db;
    Defaults defaults{db};
    FreedesktopTestProfile profile;
    ReticleSpecModel model{defaults, profile};
};

TEST_F(ArrowStepTest, PanelRules) {
    struct Row {
        const char* name;
        bool farConfigured;
        std::optional<D> current;
        bool far;
        D arrow;
        ArrowStep expected;
    };
    const Row rows[] = {
        {"out to the far panel", true, D::t, false, D::t, {true, true, D::t}},
        {"no far panel: stays near, same slot", false, D::t, false, D::t, {false, true, D::t}},
        {"no far panel: a far cell never leaves the near panel",
         false,
         D::tl,
         false,
         D::l,
         {false, false, D::tl}},
        {"near: an empty target keeps the selection",
         false,
         D::l,
         false,
         D::t,
         {false, false, D::tl}},
        {"near: towards the centre clears", false, D::t, false, D::b, {false, true, std::nullopt}},
        {"far: an empty far slot is still selected", true, D::t, true, D::l, {true, true, D::tl}},
        {"back to near onto a filled slot", true, D::l, true, D::r, {false, true, D::l}},
        {"nothing selected: up", false, std::nullopt, false, D::t, {false, true, D::t}},
        {"nothing selected: right is empty", false, D::c, false, D::r, {false, false, D::r}},
        {"not an arrow", true, D::t, false, D::c, {false, false, D::t}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        model.setFarSlot(row.farConfigured ? std::optional(Action{"far", ActionType::app})
                                           : std::nullopt,
                         D::br);
        EXPECT_EQ(arrowStep(row.current, row.far, row.arrow, model), row.expected);
    }
}

/// A delegate that records the order of calls.
class RecordingDelegate final : public ReticleViewDelegate {
public:
    std::optional<D> directional() const override { return selected; }
    void setDirectional(std::optional<D> position) override {
        calls.push_back("directional");
        selected = position;
    }
    bool far() const override { return isFar; }
    void setFar(bool far) override {
        calls.push_back(far ? "far" : "near");
        isFar = far;
    }
    std::optional<Point> reticleWindowPosition() const override { return std::nullopt; }
    void windowAppeared(Rect) override {}
    void setIsReceivingDrag(bool) override {}
    void slotReplacedByDrop() override {}
    void dismiss(bool) override {}

    std::optional<D> selected;
    bool isFar = false;
    std::vector<std::string> calls;
};

TEST_F(ArrowStepTest, NavigateSwitchesPanelsBeforeMovingTheSelection) {
    model.setFarSlot(Action{"far", ActionType::app}, D::br);
    RecordingDelegate delegate;
    delegate.selected = D::t;

    EXPECT_TRUE(navigateArrow(delegate, D::t, model));
    EXPECT_EQ(delegate.calls, (std::vector<std::string>{"far", "directional"}));
    EXPECT_TRUE(delegate.isFar);

    delegate.calls.clear();
    EXPECT_TRUE(navigateArrow(delegate, D::r, model));
    EXPECT_EQ(delegate.calls, std::vector<std::string>{"directional"}) << "far unchanged: not set";
    EXPECT_EQ(delegate.selected, D::tr);

    model.setFarSlot(std::nullopt, D::br);
    delegate.isFar = false;
    delegate.selected = D::l;
    delegate.calls.clear();
    EXPECT_FALSE(navigateArrow(delegate, D::t, model)) << "tl is empty on the near panel";
    EXPECT_TRUE(delegate.calls.empty());
    EXPECT_EQ(delegate.selected, D::l);
}

} // namespace
} // namespace zentrivo::test
