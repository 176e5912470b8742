#include "app/model/Action.h"
#include "app/model/Directional.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <unordered_set>

namespace zentrivo {
namespace {

TEST(Directional, RawValuesOutsideOneToNineYieldNothing) {
    EXPECT_EQ(directionalFromRaw(0), std::nullopt);
    EXPECT_EQ(directionalFromRaw(10), std::nullopt);
    EXPECT_EQ(directionalFromRaw(-1), std::nullopt);
    EXPECT_EQ(directionalFromRaw(9), Directional::c);
    EXPECT_EQ(directionalFromRaw(1), Directional::tl);
}

TEST(ActionTypeRaw, AcceptsZeroToThreeOnly) {
    EXPECT_EQ(actionTypeFromRaw(-1), std::nullopt);
    EXPECT_EQ(actionTypeFromRaw(4), std::nullopt);
    EXPECT_EQ(actionTypeFromRaw(3), ActionType::runningApp);
}

TEST(ActionEquality, TypeAndCanonicalTextDecide) {
    const Action app{"org.example.Mail", ActionType::app};
    EXPECT_NE(app, (Action{"org.example.Mail", ActionType::runningApp}));
    EXPECT_NE(app, (Action{"org.example.mail", ActionType::app}));

    // "é" composed (U+00E9) and decomposed (e + U+0301) name the same file.
    const Action composed{"/home/u/caf\xC3\xA9", ActionType::file};
    const Action decomposed{"/home/u/cafe\xCC\x81", ActionType::file};
    EXPECT_EQ(composed, decomposed);
    EXPECT_EQ(std::hash<Action>{}(composed), std::hash<Action>{}(decomposed));
    std::unordered_set<Action> set{composed};
    EXPECT_TRUE(set.contains(decomposed));
}

TEST(ActionJson, RoundTripsAndRejectsBadFields) {
    const Action last = Action::lastApp();
    EXPECT_EQ(last.toJson().dump(), R"({"stringValue":"","type":2})");
    EXPECT_EQ(Action::fromJson(last.toJson()), last);

    using J = nlohmann::ordered_json;
    EXPECT_THROW(Action::fromJson(J::parse(R"({"stringValue":"x","type":4})")), std::exception);
    EXPECT_THROW(Action::fromJson(J::parse(R"({"stringValue":"x","type":-1})")), std::exception);
    EXPECT_THROW(Action::fromJson(J::parse(R"({"stringValue":"x","type":"0"})")), std::exception);
    EXPECT_THROW(Action::fromJson(J::parse(R"({"stringValue":"x","type":1.5})")), std::exception);
    EXPECT_THROW(Action::fromJson(J::parse(R"({"type":0})")), std::exception);
    EXPECT_THROW(Action::fromJson(J::parse(R"({"stringValue":3,"type":0})")), std::exception);
    EXPECT_NO_THROW(Action::fromJson(J::parse(R"({"stringValue":"x","type":0,"extra":true})")));
}

} // namespace
} // namespace zentrivo
