// Start-up: from nothing to the options window shown and painted (the 2.5 s
// splash delay left out), against a plain read of the same files: the nine
// presets Daybrook writes and a Holiday.dat of holidays and anniversaries.
#include "BenchFiles.h"
#include "app/frmOptions.h"
#include "holidays/HolidayPage.h"
#include "i18n/BuiltinCaptions.h"
#include "i18n/LanguageFile.h"
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

void write(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const int kHolidays = 60;
    QFile::copy(QStringLiteral(TUNEDESK_SOURCE_DIR "/data/tuneKorean.lng"), dir.filePath(QStringLiteral("tuneKorean.lng")));
    write(dir.filePath(QStringLiteral("Daybrook.ini")), bench::daybrookIni(td::BuiltinCaptions::presets(true)));
    write(dir.filePath(QStringLiteral("Holiday.dat")), bench::holidayDat(bench::holidayEntries(kHolidays)));

    const int rounds = 20;
    double ours = 0, plain = 0;
    int lngReads = 0;
    for (int r = 0; r < rounds; ++r) {
        QElapsedTimer t;
        t.start();
        td::QtFileSystem fs;
        td::QtSettingsStore store(dir.filePath(QStringLiteral("config/Daybrook.conf")));
        td::QtMessageBoxes boxes;
        td::QtCommonDialog dialog;
        td::Services services{fs, store, boxes, dialog, dir.path()};
        td::LanguageFile lng(fs, boxes, dir.path(), services.currentLanguage);
        {
            td::frmOptions window(services, lng, td::frmOptions::captionFor(1, 55));
            window.Form_Load();
            window.show();
            QCoreApplication::processEvents();
            ours += t.nsecsElapsed() / 1e6;
            if (window.findChild<td::HolidayPage*>()->entries().size() != kHolidays)
                return 1; // the files were not what the window read
        }
        lngReads = lng.fileReads();

        // The same file work done plainly: read and decode the three files.
        t.restart();
        qsizetype chars = 0;
        for (const char* name : {"tuneKorean.lng", "Daybrook.ini", "Holiday.dat"}) {
            QFile f(dir.filePath(QLatin1String(name)));
            f.open(QIODevice::ReadOnly);
            chars += td::Cp949::decode(f.readAll()).size();
        }
        plain += t.nsecsElapsed() / 1e6;
        if (chars == 0)
            return 1;
    }
    std::printf("startup (window ready, splash excluded): ours %.2f ms, plain file reads %.3f ms, ratio %.0f; "
                "language file reads at start-up: %d\n",
                ours / rounds, plain / rounds, (ours / rounds) / (plain / rounds), lngReads);
    return 0;
}
