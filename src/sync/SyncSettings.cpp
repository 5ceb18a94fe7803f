#include "SyncSettings.h"

namespace td::sync {

namespace {
const QString kUrl = QStringLiteral("Url");
const QString kUser = QStringLiteral("User");
const QString kCalendar = QStringLiteral("Calendar");
const QString kPinned = QStringLiteral("PinnedSha256");
} // namespace

SyncSettings SyncSettings::load(const ISettingsStore& store)
{
    return {store.get(kUrl, QString()), store.get(kUser, QString()), store.get(kCalendar, QString()), store.get(kPinned, QString())};
}

bool SyncSettings::save(ISettingsStore& store) const
{
    bool ok = true;
    for (const auto& [key, value] : {std::pair{kUrl, url}, std::pair{kUser, user}, std::pair{kCalendar, calendar}, std::pair{kPinned, pinnedSha256}})
        if (store.get(key, QString()) != value)
            ok = store.save(key, value) && ok;
    return ok;
}

} // namespace td::sync
