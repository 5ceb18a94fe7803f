#include "frmOptions.h"
#include "frmSplash.h"

#include "i18n/LanguageFile.h"
#include "i18n/QtTranslation.h"
#include "platform/CommonDialog.h"
#include "platform/FileSystem.h"
#include "platform/InstanceLock.h"
#include "platform/MessageBoxes.h"
#include "platform/Services.h"
#include "platform/SettingsStore.h"
#include "days/RunJournal.h"

#include <QApplication>
#include <QFont>
#include <QIcon>
#include <QDesktopServices>
#include <memory>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tunedesk"));
    QApplication::setQuitOnLastWindowClosed(false);
    // The window is designed in 굴림 and Arial; map them to faces a Linux desktop has.
    QFont::insertSubstitutions(QStringLiteral("굴림"), {QStringLiteral("NanumGothic"), QStringLiteral("Nanum Gothic"),
                                                        QStringLiteral("Noto Sans CJK KR"), QStringLiteral("UnDotum")});
    QFont::insertSubstitutions(QStringLiteral("Arial"), {QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    QApplication::setWindowIcon(QIcon(td::frmSplash::icon()));

    td::QtFileSystem fs;
    td::QtSettingsStore store(td::QtSettingsStore::defaultPath());
    td::QtMessageBoxes boxes;
    td::QtCommonDialog dialog;
    td::Services services{fs, store, boxes, dialog, QCoreApplication::applicationDirPath()};
    services.currentLanguage = QStringLiteral(TUNEDESK_LANGUAGE);
    td::installQtTranslation(services.currentLanguage);
    services.journalFolder = td::RunJournal::defaultFolder();
    services.openUrl = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
    td::LanguageFile lng(fs, boxes, services.programFolder, services.currentLanguage);
    td::QtInstanceLock lock(td::QtInstanceLock::defaultPath());

    std::unique_ptr<td::frmOptions> options;
    td::frmSplash splash(lock, [&] {
        options = std::make_unique<td::frmOptions>(
            services, lng, td::frmOptions::captionFor(TUNEDESK_VERSION_MINOR, TUNEDESK_VERSION_REVISION));
        boxes.setParent(options.get());
        dialog.setParent(options.get());
        if (!options->Form_Load()) {
            QCoreApplication::exit(2);
            return;
        }
        options->show();
        // From now on, closing the options window ends the program.
        QApplication::setQuitOnLastWindowClosed(true);
    });
    if (!splash.Form_Load())
        return 0;
    return app.exec();
}
