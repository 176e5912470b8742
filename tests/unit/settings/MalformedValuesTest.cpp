// Whatever a hand-edited or damaged database holds, settings read a usable value or their
// fallback, and never crash.
#include "app/settings/Defaults.h"
#include "tests/fakes/FakeDefaultsDatabase.h"

#include <gtest/gtest.h>
#include <limits>
#include <nlohmann/json.hpp>

namespace zentrivo {
namespace {

using test::FakeDefaultsDatabase;

TEST(MalformedValues, NumbersThatAreNoUsableSettingReadAsTheFallback) {
    // What firstRingDist (a float with fallback 200) and safeAreaSize (an int with fallback 25)
    // read when they hold the value.
    const std::tuple<const char*, PropertyValue, float, std::int64_t> cases[] = {
        {"float NaN", std::numeric_limits<float>::quiet_NaN(), 200, 25},
        {"double NaN", std::numeric_limits<double>::quiet_NaN(), 200, 25},
        {"minus infinity", -std::numeric_limits<float>::infinity(), 200, 25},
        {"beyond the float range", 1e300, 200, INT64_MAX},
        {"text beyond the float range", std::string("1e300"), 200, INT64_MAX},
        {"a date", Date(Date::duration(1e9)), 200, 25},
        {"a usable double", 320.5, 320.5f, 320},
    };
    for (const auto& [name, stored, firstRingDist, safeAreaSize] : cases) {
        SCOPED_TRACE(name);
        FakeDefaultsDatabase db;
        for (const char* key : {"firstRingDist", "safeAreaSize", "hapticFeedback"})
            db.values[key] = stored;
        const Defaults defaults(db);
        EXPECT_EQ(defaults.firstRingDist.value(), firstRingDist);
        EXPECT_EQ(defaults.safeAreaSize.value(), safeAreaSize);
        EXPECT_EQ(defaults.hapticFeedback.value(), OptionalBool::undefined);
    }
}

TEST(MalformedValues, StoredPanelsThatAreNoPanelReadAsAbsentAndStayUntilAssigned) {
    const std::string deep = std::string(100000, '[') + std::string(100000, ']');
    const std::string notUtf8 = "{\"id\":0,\"t\":{\"stringValue\":\"caf\xE9\",\"type\":0}}";
    for (const std::string& text :
         {std::string("{\"id\":"), deep, std::string(R"({"id":1e999})"), notUtf8}) {
        SCOPED_TRACE(text.substr(0, 40));
        FakeDefaultsDatabase db;
        db.values["farReticleSpec"] = text;
        Defaults defaults(db);
        EXPECT_FALSE(defaults.farReticleSpec.typedValue());
        EXPECT_EQ(defaults.farReticleSpec.value(), text);
        ReticleSpec spec;
        spec.id = 1;
        defaults.farReticleSpec.setTypedValue(spec);
        defaults.farReticleSpec.setTypedValue(spec);
        EXPECT_EQ(db.writes, 1);
        EXPECT_EQ(db.values["farReticleSpec"], PropertyValue{std::string(R"({"id":1})")});
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
    const std::pair<const char*, bool> cases[] = {
        {R"({"int":9223372036854775807,"float":3.4e38})", true},
        {R"({"int":9223372036854775808})", false},
        {R"({"float":-1e300})", false},
        {R"({"double":1e300})", true},
    };
    for (const auto& [text, decodes] : cases) {
        SCOPED_TRACE(text);
        const auto json = nlohmann::ordered_json::parse(text);
        if (decodes)
            EXPECT_NO_THROW(CodableDefault::fromJson(json));
        else
            EXPECT_THROW(CodableDefault::fromJson(json), std::exception);
    }
}

} // namespace
} // namespace zentrivo
