// Setting reads come from memory, and writing a value that is already stored costs no database
// traffic: the reticle reads several settings on every cursor movement, and sliders report the
// same value again and again.
#include "app/model/ReticleSpec.h"
#include "app/settings/Defaults.h"
#include "tests/fakes/FakeDefaultsDatabase.h"

#include <benchmark/benchmark.h>

namespace zentrivo {
namespace {

using test::FakeDefaultsDatabase;

void storeSomeSettings(FakeDefaultsDatabase& db) {
    db.values["safeAreaSize"] = std::int64_t{30};
    db.values["firstRingDist"] = 250.0f;
    db.values["hapticFeedback"] = std::int64_t{2};
    db.values["mainReticleSpec"] =
        std::string(R"({"id":0,"t":{"stringValue":"org.gnome.Nautilus","type":0}})");
}

void reportTraffic(benchmark::State& state, const FakeDefaultsDatabase& db, int readsAtStart) {
    state.counters["dbReads"] = db.reads - readsAtStart;
    state.counters["dbWrites"] = db.writes;
}

void BM_IntSettingRead(benchmark::State& state) {
    FakeDefaultsDatabase db;
    storeSomeSettings(db);
    Defaults defaults(db);
    const int reads = db.reads;
    for (auto _ : state)
        benchmark::DoNotOptimize(defaults.safeAreaSize.value());
    reportTraffic(state, db, reads);
}
BENCHMARK(BM_IntSettingRead);

// What the reticle manager reads per cursor movement.
void BM_CursorMoveSettingReads(benchmark::State& state) {
    FakeDefaultsDatabase db;
    storeSomeSettings(db);
    Defaults defaults(db);
    const int reads = db.reads;
    for (auto _ : state) {
        benchmark::DoNotOptimize(defaults.safeAreaSize.value());
        benchmark::DoNotOptimize(defaults.firstRingDist.value());
        benchmark::DoNotOptimize(defaults.outerSafeArea.value());
        benchmark::DoNotOptimize(defaults.hoverMillis.value());
        benchmark::DoNotOptimize(defaults.hapticFeedback.onUnlessDisabled());
    }
    reportTraffic(state, db, reads);
}
BENCHMARK(BM_CursorMoveSettingReads);

void BM_SameValueWriteInt(benchmark::State& state) {
    FakeDefaultsDatabase db;
    storeSomeSettings(db);
    Defaults defaults(db);
    const int reads = db.reads;
    for (auto _ : state)
        defaults.safeAreaSize.set(30);
    reportTraffic(state, db, reads);
}
BENCHMARK(BM_SameValueWriteInt);

void BM_SameValueWriteFloat(benchmark::State& state) {
    FakeDefaultsDatabase db;
    storeSomeSettings(db);
    Defaults defaults(db);
    const int reads = db.reads;
    for (auto _ : state)
        defaults.firstRingDist.set(250.0f);
    reportTraffic(state, db, reads);
}
BENCHMARK(BM_SameValueWriteFloat);

// A panel save that changes nothing: the record is encoded and compared with the stored text.
void BM_SameValueWritePanel(benchmark::State& state) {
    FakeDefaultsDatabase db;
    storeSomeSettings(db);
    Defaults defaults(db);
    const ReticleSpec panel = *defaults.mainReticleSpec.typedValue();
    const int reads = db.reads;
    for (auto _ : state)
        defaults.mainReticleSpec.setTypedValue(panel);
    reportTraffic(state, db, reads);
}
BENCHMARK(BM_SameValueWritePanel);

} // namespace
} // namespace zentrivo
