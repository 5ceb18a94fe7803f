#pragma once
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class QSettings;

namespace td {

// Daybrook's per-user settings, application "Daybrook", section "Options".
class ISettingsStore {
public:
    virtual ~ISettingsStore() = default;
    virtual QString get(const QString& key, const QString& defaultValue) const = 0;
    // False when the store could not be written.
    virtual bool save(const QString& key, const QString& value) = 0;
    // Removes every key of the section and nothing else.
    virtual bool removeSection() = 0;
    // The keys the section holds.
    virtual QStringList keys() const { return {}; }
    // The file that holds the store, for a journal of what a write replaces; empty when none.
    virtual QString filePath() const { return QString(); }
};

class QtSettingsStore : public ISettingsStore {
public:
    // iniPath: the store file, normally defaultPath(); section: Daybrook's "Options",
    // or a group of our own beside it.
    explicit QtSettingsStore(const QString& iniPath, const QString& section = QStringLiteral("Options"));
    ~QtSettingsStore() override;

    QString get(const QString& key, const QString& defaultValue) const override;
    bool save(const QString& key, const QString& value) override;
    bool removeSection() override;
    QStringList keys() const override;
    QString filePath() const override { return path_; }

    // Daybrook/Daybrook.conf in the user's configuration folder.
    static QString defaultPath();

private:
    bool store(const std::function<void(QSettings&)>& change, bool mayEmpty);

    QString path_;
    QString section_;
    std::unique_ptr<QSettings> settings_;
};

} // namespace td
