#pragma once
#include "platform/SettingsStore.h"

#include <QString>

namespace td::sync {

// The account the sync page sets up, kept in the per-user settings store under
// a group of our own beside Daybrook's "Options" (which the configuration reset
// clears): server URL, user, the chosen calendar and a pinned certificate. The
// password is not here: it is in the keyring.
struct SyncSettings {
    static constexpr const char* kSection = "TunedeskSync";

    QString url;
    QString user;
    QString calendar;     // the chosen calendar's URL; empty: found from url
    QString pinnedSha256; // a certificate accepted although the system does not trust it

    bool isSet() const { return !url.isEmpty(); }
    static SyncSettings load(const ISettingsStore& store);
    // False when the store could not be written.
    bool save(ISettingsStore& store) const;
};

} // namespace td::sync
