#pragma once

#include "BoolDefault.h"
#include "DateDefault.h"
#include "DefaultsDatabase.h"
#include "FloatDefault.h"
#include "IntDefault.h"
#include "IntEnumDefault.h"
#include "JSONDefault.h"
#include "StringDefault.h"

#include "app/model/ReticleSpec.h"

#include <array>
#include <optional>
#include <string_view>

namespace zentrivo {

/// Every setting of the main program, one object per key, each read from the database once when
/// the registry is built. The composition root owns the one registry and hands it out by
/// reference.
class Defaults {
public:
    explicit Defaults(DefaultsDatabase& db);
    Defaults(const Defaults&) = delete;
    Defaults& operator=(const Defaults&) = delete;

    DefaultsDatabase& database;

    /// The setting stored under `key`; null for a key that is no setting of this registry.
    Default* setting(std::string_view key);

    // Panel and geometry.
    JSONDefault<ReticleSpec> mainReticleSpec;
    JSONDefault<ReticleSpec> farReticleSpec;
    IntDefault safeAreaSize;
    FloatDefault reticleDisplayMinDist;
    FloatDefault firstRingDist;
    FloatDefault outerSafeArea;
    IntDefault hoverMillis;

    // Triggers.
    IntDefault reticleFlags;
    IntDefault reticleMouseButton;
    IntDefault restToOneTouches;
    OptionalBoolDefault arrowKeysDisplays;
    OptionalBoolDefault vimKeyShortcuts;

    // Behaviour of the panel and its actions.
    OptionalBoolDefault background;
    OptionalBoolDefault reticleFade;
    OptionalBoolDefault hapticFeedback;
    OptionalBoolDefault relaunchActive;
    OptionalBoolDefault hideFrontmost;
    OptionalBoolDefault lastFrontAppCanBeZentrivo;
    OptionalBoolDefault dropInReticleReplaces;
    OptionalBoolDefault showTags;
    IntEnumDefault<FolderLabel> folderLabel;

    // Application shell.
    BoolDefault hideMenuBarIcon;
    BoolDefault launchOnLogin;
    BoolDefault relaunchOpensMenu;
    StringDefault lastVersion;

    // File slots.
    IntDefault bookmarkLoadAttempts;
    IntDefault bookmarkRetryDelay;

    // Cloud configuration.
    OptionalBoolDefault iCloudSync;
    DateDefault lastCloudSync;
    /// The folder the user keeps in sync between machines; none means the default folder.
    StringDefault cloudFolder;

    /// The settings a configuration record may carry, in the order they are applied.
    std::array<Default*, 3> cloudSynced() { return {&mainReticleSpec, &safeAreaSize, &iCloudSync}; }
};

/// The two settings only the application delegate holds: relaunch after wake, and its delay.
class WakeDefaults {
public:
    explicit WakeDefaults(DefaultsDatabase& db);
    WakeDefaults(const WakeDefaults&) = delete;
    WakeDefaults& operator=(const WakeDefaults&) = delete;

    OptionalBoolDefault autoRestartOnWake;
    FloatDefault restartOnWakeDelay;

    /// The setting stored under `key`; null for a key that is no setting of this registry.
    Default* setting(std::string_view key);
};

/// The value kind each setting of `Defaults` and `WakeDefaults` is stored as: "bool", "int",
/// "float", "string" or "date" (enumerations and three-state switches are "int", JSON records
/// "string"). None for a key that is no setting.
std::optional<std::string_view> settingKind(std::string_view key);

/// The trigger bits of `reticleFlags`, in the device-independent modifier layout.
namespace modifierFlags {
inline constexpr std::int64_t capsLock = 0x10000;
inline constexpr std::int64_t shift = 0x20000;
inline constexpr std::int64_t control = 0x40000;
inline constexpr std::int64_t option = 0x80000;
inline constexpr std::int64_t command = 0x100000;
inline constexpr std::int64_t function = 0x800000;
} // namespace modifierFlags

} // namespace zentrivo
