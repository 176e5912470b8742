#include "Defaults.h"

namespace zentrivo {

Defaults::Defaults(DefaultsDatabase& db)
    : database(db), mainReticleSpec(db, "mainReticleSpec"), farReticleSpec(db, "farReticleSpec"),
      safeAreaSize(db, "safeAreaSize", 25), reticleDisplayMinDist(db, "reticleDisplayMinDist"),
      firstRingDist(db, "firstRingDist", 200.0f), outerSafeArea(db, "outerSafeArea", 1001.0f),
      hoverMillis(db, "hoverMillis"), reticleFlags(db, "reticleFlags"),
      reticleMouseButton(db, "reticleMouseButton"), restToOneTouches(db, "restToOneTouches"),
      arrowKeysDisplays(db, "arrowKeysDisplays"), vimKeyShortcuts(db, "vimKeyShortcuts"),
      background(db, "background"), reticleFade(db, "reticleFade"),
      hapticFeedback(db, "hapticFeedback"), relaunchActive(db, "relaunchActive"),
      hideFrontmost(db, "hideFrontmost"),
      lastFrontAppCanBeZentrivo(db, "lastFrontAppCanBeZentrivo"),
      dropInReticleReplaces(db, "dropInReticleReplaces"), showTags(db, "showTags"),
      folderLabel(db, "folderLabel", FolderLabel::acronym), hideMenuBarIcon(db, "hideMenuBarIcon"),
      launchOnLogin(db, "launchOnLogin"), relaunchOpensMenu(db, "relaunchOpensMenu"),
      lastVersion(db, "lastVersion"), bookmarkLoadAttempts(db, "bookmarkLoadAttempts", 3),
      bookmarkRetryDelay(db, "bookmarkRetryDelay", 5), iCloudSync(db, "iCloudSync"),
      lastCloudSync(db, "lastCloudSync"), cloudFolder(db, "cloudFolder") {}

Default* Defaults::setting(std::string_view key) {
    Default* const all[] = {&mainReticleSpec, &farReticleSpec, &safeAreaSize,
                            &reticleDisplayMinDist, &firstRingDist, &outerSafeArea, &hoverMillis,
                            &reticleFlags, &reticleMouseButton, &restToOneTouches,
                            &arrowKeysDisplays, &vimKeyShortcuts, &background, &reticleFade,
                            &hapticFeedback, &relaunchActive, &hideFrontmost,
                            &lastFrontAppCanBeZentrivo, &dropInReticleReplaces, &showTags,
                            &folderLabel, &hideMenuBarIcon, &launchOnLogin, &relaunchOpensMenu,
                            &lastVersion, &bookmarkLoadAttempts, &bookmarkRetryDelay, &iCloudSync,
                            &lastCloudSync, &cloudFolder};
    for (Default* each : all)
        if (each->key() == key)
            return each;
    return nullptr;
}

std::optional<std::string_view> settingKind(std::string_view key) {
    // Kept beside the constructors above: a key added there belongs here too.
    static constexpr std::pair<std::string_view, std::string_view> kinds[] = {
        {"mainReticleSpec", "string"},   {"farReticleSpec", "string"},
        {"safeAreaSize", "int"},         {"reticleDisplayMinDist", "float"},
        {"firstRingDist", "float"},      {"outerSafeArea", "float"},
        {"hoverMillis", "int"},          {"reticleFlags", "int"},
        {"reticleMouseButton", "int"},   {"restToOneTouches", "int"},
        {"arrowKeysDisplays", "int"},    {"vimKeyShortcuts", "int"},
        {"background", "int"},           {"reticleFade", "int"},
        {"hapticFeedback", "int"},       {"relaunchActive", "int"},
        {"hideFrontmost", "int"},        {"lastFrontAppCanBeZentrivo", "int"},
        {"dropInReticleReplaces", "int"}, {"showTags", "int"},
        {"folderLabel", "int"},          {"hideMenuBarIcon", "bool"},
        {"launchOnLogin", "bool"},       {"relaunchOpensMenu", "bool"},
        {"lastVersion", "string"},       {"bookmarkLoadAttempts", "int"},
        {"bookmarkRetryDelay", "int"},   {"iCloudSync", "int"},
        {"lastCloudSync", "date"},       {"autoRestartOnWake", "int"},
        {"restartOnWakeDelay", "float"}, {"cloudFolder", "string"},
    };
    for (const auto& [name, kind] : kinds)
        if (name == key)
            return kind;
    return std::nullopt;
}

WakeDefaults::WakeDefaults(DefaultsDatabase& db)
    : autoRestartOnWake(db, "autoRestartOnWake"),
      restartOnWakeDelay(db, "restartOnWakeDelay", 1.0f) {}

Default* WakeDefaults::setting(std::string_view key) {
    for (Default* each : {static_cast<Default*>(&autoRestartOnWake), static_cast<Default*>(&restartOnWakeDelay)})
        if (each->key() == key)
            return each;
    return nullptr;
}

} // namespace zentrivo
