#include "app/settings/CloudImport.h"

#include "app/core/Notifications.h"
#include "app/settings/CloudConfig.h"
#include "ctl/CloudExport.h"
#include "ctl/Zentrivoctl.h"
#include "tests/fakes/FakeDefaultsDatabase.h"
#include "tests/fakes/FakeMainQueue.h"
#include "tests/fakes/FreedesktopTestProfile.h"
#include "tests/unit/platform/TemporaryDirectory.h"

#include <functional>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <sstream>
#include <utility>

namespace zentrivo {
namespace {

using namespace std::chrono_literals;

struct FakeCloudStore final : CloudStore {
    std::optional<std::string> string(std::string_view key) const override {
        return values.contains(key) ? std::optional(values.find(key)->second) : std::nullopt;
    }
    void observeChanges(ChangeHandler h) override { handler = std::move(h); }
    std::map<std::string, std::string, std::less<>> values;
    ChangeHandler handler;
};

struct FakeQuestion final : CloudImportQuestion {
    bool askToImportExisting() override {
        ++asked;
        if (whileOpen)
            std::exchange(whileOpen, nullptr)();
        return answer;
    }
    bool answer = true;
    int asked = 0;
    /// What happens while the user has not answered yet (the event loop keeps running).
    std::function<void()> whileOpen;
};

/// A panel other than the (empty) default: a terminal in the top slot.
constexpr const char* terminalPanel =
    R"({"id":0,"t":{"stringValue":"org.gnome.Terminal","type":0}})";

/// A record as another machine writes it, at `timestamp` (seconds since 2001).
std::string record(double timestamp,
                   const std::string& defaults = R"({"mainReticleSpec":{"string":)" +
                                                 nlohmann::json(terminalPanel).dump() +
                                                 R"(},"safeAreaSize":{"int":40}})") {
    return R"({"bundleId":"com.tovelane.ZentrivoPro","version":"7","timestamp":)" +
           nlohmann::json(timestamp).dump() + R"(,"defaults":)" + defaults + "}";
}

struct CloudRig {
    test::FakeDefaultsDatabase db;
    test::FreedesktopTestProfile profile;
    FakeCloudStore store;
    FakeQuestion question;
    test::FakeMainQueue queue;
    NotificationCenter center;
    int imported = 0;
    std::unique_ptr<Defaults> defaults;
    std::unique_ptr<ReticleSpecModel> model;
    std::unique_ptr<CloudImport> cloud;

    /// `lastSync`: seconds since 2001 of the record applied last; none for never.
    explicit CloudRig(std::optional<double> lastSync = 100.0) {
        if (lastSync)
            db.values["lastCloudSync"] = Date(Date::duration(978307200.0 + *lastSync)); // 2001
        defaults = std::make_unique<Defaults>(db);
        model = std::make_unique<ReticleSpecModel>(*defaults, profile);
        cloud = std::make_unique<CloudImport>(
            CloudImport::Collaborators{*defaults, *model, store, question, queue, center});
        center.addObserver(notifications::configImported, [this](auto&) { ++imported; });
        cloud->start();
    }
    /// The store reports a new record and the 2 s pass.
    void arrives(std::string text) {
        store.values["config"] = std::move(text);
        store.handler({"config"});
        queue.advance(2s);
    }
    std::optional<double> lastSync() const {
        const auto& d = defaults->lastCloudSync.value();
        return d ? std::optional(Config::timestampOf(*d)) : std::nullopt;
    }
};

TEST(CloudImport, ABurstOfChangesCausesOneImportTwoSecondsAfterTheLast) {
    CloudRig rig;
    rig.store.values["config"] = record(200);
    for (const auto wait : {400ms, 500ms, 1999ms}) {
        rig.cloud->changesDetected({"config"});
        rig.queue.advance(wait);
    }
    EXPECT_EQ(rig.imported, 0);
    rig.queue.advance(1ms);
    EXPECT_EQ(rig.imported, 1);
}

TEST(CloudImport, AppliesNewerRecordsAndTheFirstOneOnlyWhenTheUserSaysYes) {
    struct Row {
        const char* name;
        std::optional<double> lastSync;
        bool answer;
        double first, second; // timestamps of two records arriving one after the other
        int asked, importedFirst, importedBoth;
        std::optional<double> lastSyncAfter;
    };
    // clang-format off
    const Row rows[] = {
        {"the same time", 100.0, true, 100.0, 100.0, 0, 0, 0, 100.0},
        {"newer, then the same record again", 100.0, true, 100.001, 100.001, 0, 1, 1, 100.001},
        {"older", 100.0, true, 99.0, 99.0, 0, 0, 0, 100.0},
        {"first, no: asked again even for an older one", {}, false, 500.0, 400.0, 2, 0, 0, {}},
        {"first, yes: from then on without asking", {}, true, 500.0, 600.0, 1, 1, 2, 600.0},
    };
    // clang-format on
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        CloudRig rig(row.lastSync);
        rig.question.answer = row.answer;
        rig.arrives(record(row.first));
        EXPECT_EQ(rig.imported, row.importedFirst);
        EXPECT_EQ(rig.defaults->safeAreaSize.value(), row.importedFirst ? 40 : 25);
        rig.arrives(record(row.second));
        EXPECT_EQ(rig.question.asked, row.asked);
        EXPECT_EQ(rig.imported, row.importedBoth);
        EXPECT_NEAR(rig.lastSync().value_or(-1), row.lastSyncAfter.value_or(-1), 1e-6);
    }
}

TEST(CloudImport, ARecordArrivingWhileTheQuestionIsOpenWaitsForTheAnswer) {
    CloudRig rig(std::nullopt);
    rig.question.whileOpen = [&] { rig.arrives(record(600)); };
    rig.arrives(record(500));
    EXPECT_EQ(std::pair(rig.question.asked, rig.imported), std::pair(1, 1)) << "asked, imported";
    rig.queue.advance(1h); // then the newer record, without asking
    EXPECT_EQ(std::pair(rig.question.asked, rig.imported), std::pair(1, 2)) << "asked, imported";
    EXPECT_NEAR(rig.lastSync().value_or(0), 600.0, 1e-6);
}

TEST(CloudImport, BadRecordsAndOtherKeysChangeNothingAndAskNothing) {
    const std::pair<const char*, std::string> rows[] = {
        {"not JSON", "{\"bundleId\":"},
        {"no version",
         R"({"bundleId":"b","timestamp":500,"defaults":{"safeAreaSize":{"int":40}}})"},
        {"timestamp as text", R"({"bundleId":"b","version":"1","timestamp":"500","defaults":{}})"},
        {"no defaults", R"({"bundleId":"b","version":"1","timestamp":500})"},
        {"a value of the wrong type", record(500, R"({"safeAreaSize":{"int":"40"}})")},
    };
    for (const auto& [name, text] : rows) {
        SCOPED_TRACE(name);
        for (const bool firstTime : {false, true}) {
            CloudRig rig(firstTime ? std::nullopt : std::optional(100.0));
            rig.arrives(text);
            EXPECT_EQ(
                std::tuple(rig.imported, rig.question.asked, rig.defaults->safeAreaSize.value()),
                std::tuple(0, 0, 25));
        }
    }
    CloudRig rig;
    rig.store.values["config"] = record(500);
    rig.store.values["other"] = record(600);
    rig.store.handler({"other", "config.tmp"});
    rig.queue.advance(2s);
    rig.store.values.erase("config");
    rig.store.handler({"config"}); // removed
    rig.queue.advance(2s);
    EXPECT_EQ(rig.imported, 0);
}

TEST(CloudImport, TakesOnlyTheSyncedSettingsAndFallsBackToTheDefaultPanel) {
    CloudRig rig;
    rig.defaults->safeAreaSize.set(30);
    rig.model->setMainSpec(*ReticleSpec::fromJsonString(terminalPanel));
    // No safeAreaSize; a panel text that is no panel; settings that are not synced.
    rig.arrives(record(500, R"({"mainReticleSpec":{"string":"{\"id\":"},"hoverMillis":{"int":9},)"
                            R"("farReticleSpec":{"string":"{\"id\":1}"}})"));
    EXPECT_EQ(rig.imported, 1);
    EXPECT_EQ(rig.defaults->safeAreaSize.value(), 30);
    EXPECT_EQ(rig.defaults->mainReticleSpec.value(), "{\"id\":");
    EXPECT_EQ(rig.model->mainSpec(), ReticleSpec{}) << "the profile's default panel";
    EXPECT_EQ(rig.defaults->hoverMillis.value(), 0);
    EXPECT_FALSE(rig.db.values.contains("farReticleSpec"));
}

TEST(CloudConfig, TheExportedRecordImportsElsewhereButNotOnTheMachineThatWroteIt) {
    test::TemporaryDirectory folder;
    CloudRig here(std::nullopt);
    here.db.values.insert({{"cloudFolder", folder.root.string()},
                           {"safeAreaSize", std::int64_t{33}},
                           {"iCloudSync", std::int64_t{2}},
                           {"mainReticleSpec", std::string(terminalPanel)}});
    std::ostringstream out, err;
    ASSERT_EQ(exportCloudConfig(out, err, here.db, here.profile), ctlStatus::ok) << err.str();
    const std::string text = test::readFile(folder / "config");
    EXPECT_EQ(nlohmann::json::parse(text).at("bundleId"), "com.tovelane.ZentrivoPro");
    here.arrives(text);
    EXPECT_EQ(here.question.asked + here.imported, 0);
    CloudRig there;
    there.arrives(text);
    EXPECT_EQ(there.imported, 1);
    // Everything synced arrives as it was, the time of the record included.
    here.db.values.erase("cloudFolder");
    EXPECT_EQ(there.db.values, here.db.values);
}

} // namespace
} // namespace zentrivo
