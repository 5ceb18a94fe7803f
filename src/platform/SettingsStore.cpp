#include "SettingsStore.h"

#include <QSettings>
#include <QStandardPaths>

namespace td {
namespace {
const QString kSection = QStringLiteral("Options");
QString qualified(const QString& key) { return kSection + QLatin1Char('/') + key; }
} // namespace

QtSettingsStore::QtSettingsStore(const QString& iniPath)
    : settings_(std::make_unique<QSettings>(iniPath, QSettings::IniFormat))
{
}

QtSettingsStore::~QtSettingsStore() = default;

QString QtSettingsStore::get(const QString& key, const QString& defaultValue) const
{
    // Re-read the file: Daybrook may have changed it since the last call.
    settings_->sync();
    return settings_->value(qualified(key), defaultValue).toString();
}

bool QtSettingsStore::save(const QString& key, const QString& value)
{
    settings_->setValue(qualified(key), value);
    settings_->sync();
    return settings_->status() == QSettings::NoError;
}

bool QtSettingsStore::removeSection()
{
    settings_->remove(kSection);
    settings_->sync();
    return settings_->status() == QSettings::NoError;
}

QString QtSettingsStore::defaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QLatin1String("/Daybrook/Daybrook.conf");
}

} // namespace td
