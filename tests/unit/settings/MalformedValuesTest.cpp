// Whatever a hand-edited or damaged database holds, settings read a usable value or their
// fallback, and never crash.
#include "app/settings/Defaults.h"
#include "tests/fakes/FakeDefaultsDatabase.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <nlohmann/json.hpp>

namespace zentrivo {
namespace {

using test::FakeDefaultsDatabase;

TEST(MalformedValues, NumbersThatAreNoUsableSettingReadAsTheFallback) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        const char* name;
        PropertyValue stored;
        float firstRingDist;       // FloatDefault with fallback 200
        std::int64_t safeAreaSize; // IntDefault with fallback 25
    };
    const Case cases[] = {
        {"float NaN", std::numeric_limits<float>::quiet_NaN(), 200, 25},
        {"double NaN", nan, 200, 25},
        {"infinity", inf, 200, 25},
        {"minus infinity", -std::numeric_limits<float>::infinity(), 200, 25},
        {"beyond the float range", 1e300, 200, INT64_MAX},
        {"text beyond the float range", std::string("1e300"), 200, INT64_MAX},
        {"text nan", std::string("nan"), 200, 25},
        {"a date", Date(Date::duration(1e9)), 200, 25},
        {"data", Data{{1, 2, 3}}, 200, 25},
        {"a usable double", 320.5, 320.5f, 320},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FakeDefaultsDatabase db;
        db.values["firstRingDist"] = c.stored;
        db.values["safeAreaSize"] = c.stored;
        db.values["hapticFeedback"] = c.stored;
        const Defaults defaults(db);
        EXPECT_EQ(defaults.firstRingDist.value(), c.firstRingDist);
        EXPECT_EQ(defaults.safeAreaSize.value(), c.safeAreaSize);
        EXPECT_EQ(defaults.hapticFeedback.value(), OptionalBool::undefined);
    }
}

TEST(MalformedValues, StoredPanelsThatAreNoPanelReadAsAbsent) {
    const std::string deep = std::string(100000, '[') + std::string(100000, ']');
    const std::string hugeId = R"({"id":1e999})";
    const std::string notUtf8 = "{\"id\":0,\"t\":{\"stringValue\":\"caf\xE9\",\"type\":0}}";
    for (const std::string& text : {deep, hugeId, notUtf8, std::string(1 << 20, '{')}) {
        SCOPED_TRACE(text.substr(0, 40));
        FakeDefaultsDatabase db;
        db.values["mainReticleSpec"] = text;
        const Defaults defaults(db);
        EXPECT_FALSE(defaults.mainReticleSpec.typedValue());
        EXPECT_EQ(defaults.mainReticleSpec.value(), text);
    }
}

TEST(MalformedValues, APanelThatCannotBeEncodedStaysInMemoryAndWritesNothing) {
    FakeDefaultsDatabase db;
    db.values["farReticleSpec"] = std::string(R"({"id":1})");
    Defaults defaults(db);
    ReticleSpec far = *defaults.farReticleSpec.typedValue();
    // Linux file names are bytes; this one is Latin-1, not UTF-8.
    far.setSlot(Directional::tl, Action{"/home/u/caf\xE9", ActionType::file});
    EXPECT_NO_THROW(defaults.farReticleSpec.setTypedValue(far));
    EXPECT_EQ(defaults.farReticleSpec.typedValue(), far);
    EXPECT_EQ(db.writes, 0);
    EXPECT_EQ(db.values["farReticleSpec"], PropertyValue{std::string(R"({"id":1})")});
}

TEST(CodableDefaultJson, NumbersOutsideTheirMembersRangeAreRejected) {
    struct Case {
        const char* text;
        bool decodes;
    };
    const Case cases[] = {
        {R"({"int":-5,"float":3.5})", true},
        {R"({"int":9223372036854775807})", true},
        {R"({"int":9223372036854775808})", false},
        {R"({"int":18446744073709551615})", false},
        {R"({"float":3.4e38})", true},
        {R"({"float":1e300})", false},
        {R"({"float":-1e300})", false},
        {R"({"double":1e300})", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const auto json = nlohmann::ordered_json::parse(c.text);
        if (c.decodes)
            EXPECT_NO_THROW(CodableDefault::fromJson(json));
        else
            EXPECT_THROW(CodableDefault::fromJson(json), std::exception);
    }
}

} // namespace
} // namespace zentrivo
