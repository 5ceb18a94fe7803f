// Load and store of a long holiday list: 5,000 entries over a Holiday.dat that held 6,000.
#include "holidays/HolidayFile.h"
#include "holidays/HolidayPage.h"
#include "platform/CommonDialog.h"
#include "platform/Cp949.h"
#include "platform/FileSystem.h"
#include "platform/MessageBoxes.h"
#include "platform/SettingsStore.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QListWidget>
#include <QTemporaryDir>
#include <cstdio>

namespace {

class SilentBoxes : public td::IMessageBoxes {
public:
    int shown = 0;
    td::MsgAnswer show(const td::Message&) override
    {
        ++shown;
        return td::MsgAnswer::Ok;
    }
};

class NoStore : public td::ISettingsStore {
public:
    QString get(const QString&, const QString& def) const override { return def; }
    bool save(const QString&, const QString&) override { return true; }
    bool removeSection() override { return true; }
};

class NoDialog : public td::CommonDialog {
public:
    bool ShowColor() override { return false; }
    bool ShowFont() override { return false; }
    bool ShowOpen() override { return false; }
    bool ShowSave() override { return false; }
};

QString entry(int i)
{
    return QStringLiteral("%1/%2(%3)[기념일 %4 제목]").arg(i % 12 + 1).arg(i % 28 + 1).arg(i % 2 ? 'L' : 'S').arg(i);
}

void writeHeld(const QString& path, int held)
{
    QByteArray bytes("[Holiday Day]\r\n");
    for (int i = 0; i < held; ++i)
        bytes += "Holi" + QByteArray::number(i) + "=" + td::Cp949::encode(entry(i + 100000)).bytes + "\r\n";
    bytes += "[Holiday Etc]\r\nContents No=" + QByteArray::number(held) + "\r\n";
    QFile f(path);
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    f.write(bytes);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    constexpr int kHeld = 6000, kList = 5000, kRounds = 5;
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/Holiday.dat");
    td::QtFileSystem fs;
    QStringList list;
    for (int i = 0; i < kList; ++i)
        list.append(entry(i));

    double coreStore = 0, coreLoad = 0, pageStore = 0, pageLoad = 0;
    QElapsedTimer t;
    for (int round = 0; round < kRounds; ++round) {
        writeHeld(path, kHeld);
        t.start();
        if (!td::HolidayFile::store(fs, path, list)) {
            std::puts("store failed");
            return 1;
        }
        coreStore += t.nsecsElapsed() / 1e6;
        t.start();
        const QStringList loaded = td::HolidayFile::load(fs, path);
        coreLoad += t.nsecsElapsed() / 1e6;
        if (loaded != list) {
            std::puts("load gave another list");
            return 1;
        }

        // The same through the page, as the window's start-up and OK run it.
        SilentBoxes boxes;
        NoStore store;
        NoDialog dialog;
        td::Services services{fs, store, boxes, dialog, dir.path()};
        writeHeld(path, kHeld);
        td::HolidayPage held(services, nullptr);
        held.setEntries(list);
        t.start();
        if (!held.Main_WriteProfile()) {
            std::puts("page store failed");
            return 1;
        }
        pageStore += t.nsecsElapsed() / 1e6;
        td::HolidayPage page(services, nullptr);
        t.start();
        page.Main_ReadProfile();
        pageLoad += t.nsecsElapsed() / 1e6;
        if (page.entries().size() != kList) {
            std::puts("page load lost entries");
            return 1;
        }
    }
    std::printf("Holiday.dat: %d entries stored over a file that held %d (%lld bytes after), mean of %d rounds\n",
                kList, kHeld, (long long)QFile(path).size(), kRounds);
    std::printf("  store (file):  %8.2f ms, one whole-file rewrite\n", coreStore / kRounds);
    std::printf("  load  (file):  %8.2f ms\n", coreLoad / kRounds);
    std::printf("  Main_WriteProfile: %8.2f ms\n", pageStore / kRounds);
    std::printf("  Main_ReadProfile:  %8.2f ms (into the sorted list)\n", pageLoad / kRounds);
    return 0;
}
