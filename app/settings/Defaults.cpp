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
      lastCloudSync(db, "lastCloudSync") {}

WakeDefaults::WakeDefaults(DefaultsDatabase& db)
    : autoRestartOnWake(db, "autoRestartOnWake"),
      restartOnWakeDelay(db, "restartOnWakeDelay", 1.0f) {}

} // namespace zentrivo
