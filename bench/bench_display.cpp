// Load and store of one display preset (Main_ReadColor + Main_WriteColor) on a
// Daybrook.ini with all nine presets and 200 other sections.
#include "BenchFiles.h"
#include "display/DisplaySettings.h"
#include "display/MiscPage.h"
#include "display/PresetsPage.h"
#include "display/ScreenPage.h"
#include "display/WeekViewPage.h"
#include "i18n/BuiltinCaptions.h"
#include "platform/Cp949.h"
#include "platform/ProfileFile.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QMap>
#include <QTemporaryDir>
#include <cstdio>

using namespace td;

namespace {

class CountingFileSystem : public QtFileSystem {
public:
    int rewrites = 0;
    IoStatus writeAtomic(const QString& path, const QByteArray& bytes, Durability d) override
    {
        ++rewrites;
        return QtFileSystem::writeAtomic(path, bytes, d);
    }
};

class MapStore : public ISettingsStore {
public:
    QMap<QString, QString> values;
    QString get(const QString& k, const QString& d) const override { return values.value(k, d); }
    bool save(const QString& k, const QString& v) override
    {
        values.insert(k, v);
        return true;
    }
    bool removeSection() override
    {
        values.clear();
        return true;
    }
};

class SilentBoxes : public IMessageBoxes {
public:
    int shown = 0;
    MsgAnswer show(const Message& m) override
    {
        ++shown;
        return m.defaultButton;
    }
};

class NoDialog : public CommonDialog {
public:
    bool ShowColor() override { return false; }
    bool ShowFont() override { return false; }
    bool ShowOpen() override { return false; }
    bool ShowSave() override { return false; }
};

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    CountingFileSystem fs;
    MapStore store;
    SilentBoxes boxes;
    NoDialog dialog;
    Services services{fs, store, boxes, dialog, dir.path()};

    PresetsPage p0(services, nullptr);
    ScreenPage p1(services, nullptr);
    WeekViewPage p5(services, nullptr);
    MiscPage p7(services, nullptr);
    DisplaySettings display(services, &p0, &p1, &p5, &p7);
    const QStringList presets = BuiltinCaptions::presets(true);
    {
        // The lists as the language file fills them, found by their names.
        auto* presetList = p0.findChild<QComboBox*>(QStringLiteral("CmbDefault"));
        auto* modeList = p0.findChild<QComboBox*>(QStringLiteral("CmbSMode"));
        const QSignalBlocker b1(presetList), b2(modeList);
        presetList->addItems(presets);
        modeList->addItems(BuiltinCaptions::displayModes(true));
    }
    const QString ini = services.programFile(QStringLiteral("Daybrook.ini"));
    const QByteArray original = bench::daybrookIni(presets, 200);
    {
        QFile f(ini);
        f.open(QIODevice::WriteOnly);
        f.write(original);
    }

    // One rewrite per OK must give the file that key-by-key writes give.
    display.Main_ReadColor(5);
    const auto values = display.presetValues();
    ProfileFile pf(fs);
    QElapsedTimer kt;
    kt.start();
    for (const auto& kv : values)
        pf.write(ini, presets[5], kv.first, kv.second);
    const double keyByKeyMs = kt.nsecsElapsed() / 1e6;
    QByteArray keyByKey;
    fs.readAll(ini, keyByKey);
    fs.writeAtomic(ini, original, Durability::Synced);
    pf.writeMany(ini, presets[5], values);
    QByteArray many;
    fs.readAll(ini, many);
    std::printf("file size %lld bytes; one rewrite equals %lld key-by-key rewrites: %s\n",
                (long long)original.size(), (long long)values.size(), many == keyByKey ? "identical" : "DIFFERENT");
    std::printf("preset keys written key by key: %.2f ms\n", keyByKeyMs);

    const int rounds = 50;
    QElapsedTimer t;
    qint64 readNs = 0, writeNs = 0;
    fs.rewrites = 0;
    for (int r = 0; r < rounds; ++r) {
        const int i = r % 9;
        t.start();
        display.Main_ReadColor(i);
        readNs += t.nsecsElapsed();
        t.start();
        display.Main_WriteColor(i);
        writeNs += t.nsecsElapsed();
    }
    std::printf("Main_ReadColor: %.2f ms, Main_WriteColor: %.2f ms (mean of %d, synced writes)\n",
                readNs / 1e6 / rounds, writeNs / 1e6 / rounds, rounds);
    std::printf("whole-file rewrites per OK: %.1f; messages shown: %d\n", double(fs.rewrites) / rounds, boxes.shown);
    return many == keyByKey && boxes.shown == 0 ? 0 : 1;
}
