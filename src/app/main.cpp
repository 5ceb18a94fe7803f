#include "WindowBeacon.h"
#include "frmOptions.h"
#include "frmSplash.h"

#include "cli/CommandLine.h"
#include "cli/Commands.h"
#include "days/RunJournal.h"
#include "i18n/LanguageFile.h"
#include "i18n/QtTranslation.h"
#include "platform/CommonDialog.h"
#include "platform/FileSystem.h"
#include "platform/InstanceLock.h"
#include "platform/MessageBoxes.h"
#include "platform/Services.h"
#include "platform/SettingsStore.h"
#include "sync/Keyring.h"
#include "sync/SyncSettings.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QIcon>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <unistd.h>

namespace {

void print(FILE* stream, const QString& text)
{
    std::fputs(text.toUtf8().constData(), stream);
    std::fflush(stream);
}
void printLine(FILE* stream, QString text) { print(stream, text.replace(QLatin1Char('\r'), QLatin1Char('\n')) + QLatin1Char('\n')); }

// Daybrook's folder: --daybrook-dir, else the environment, else the program's own folder.
QString daybrookFolder(const td::cli::CommandLine& line)
{
    if (line.isSet(QStringLiteral("daybrook-dir")))
        return QDir(line.value(QStringLiteral("daybrook-dir"))).absolutePath();
    const QString fromEnvironment = qEnvironmentVariable(td::cli::kDaybrookDirVariable);
    return fromEnvironment.isEmpty() ? QCoreApplication::applicationDirPath() : QDir(fromEnvironment).absolutePath();
}

// The language file is the program's own: beside the executable, or in the
// install's data folder (share/tunedesk).
QString languageFolder(const QString& currentLanguage)
{
    const QString program = QCoreApplication::applicationDirPath();
    const QString name = QStringLiteral("tune%1.lng").arg(currentLanguage);
    const QString shared = QDir(program + QStringLiteral("/../../share/tunedesk")).absolutePath();
    return !QFileInfo::exists(td::joinPath(program, name)) && QFileInfo::exists(td::joinPath(shared, name)) ? shared : program;
}

// The instance lock of the window, answering second starts once it is held.
class AnsweringLock : public td::IInstanceLock {
public:
    AnsweringLock(td::IInstanceLock& lock, td::WindowBeacon& beacon) : lock_(lock), beacon_(beacon) {}
    bool tryAcquire() override
    {
        if (!lock_.tryAcquire())
            return false;
        beacon_.listen();
        return true;
    }

private:
    td::IInstanceLock& lock_;
    td::WindowBeacon& beacon_;
};

// While the application object connects to the display: a display that is named
// but cannot be reached ends the program with one clear line, not an abort.
bool startupKorean = true;
QtMessageHandler defaultHandler = nullptr;
void startupMessages(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type == QtFatalMsg) {
        printLine(stderr, td::cli::noDisplayText(startupKorean, qEnvironmentVariable("DISPLAY")));
        std::_Exit(td::cli::kFailure);
    }
    // The platform's own complaints lead up to the line above.
    if (!QByteArray(context.category ? context.category : "").startsWith("qt.qpa"))
        defaultHandler(type, context, message);
}

int runHeadless(int argc, char* argv[], const td::cli::CommandLine& line, bool korean)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Tunedesk"));
    const QString folder = daybrookFolder(line);
    if (!QFileInfo(folder).isDir()) {
        printLine(stderr, (korean ? QStringLiteral("tunedesk: Daybrook 폴더가 없습니다: %1") : QStringLiteral("tunedesk: no Daybrook folder: %1")).arg(folder));
        return td::cli::kFailure;
    }
    td::QtFileSystem fs;
    td::QtSettingsStore store(td::QtSettingsStore::defaultPath());
    td::QtSettingsStore syncStore(td::QtSettingsStore::defaultPath(), QString::fromLatin1(td::sync::SyncSettings::kSection));
    td::sync::SystemKeyring keyring;
    td::cli::CommandContext context(line, fs, store);
    context.syncStore = &syncStore;
    context.keyring = &keyring;
    context.daybrookFolder = folder;
    context.journalFolder = td::RunJournal::defaultFolder();
    context.korean = korean;
    td::QtInstanceLock instance(td::QtInstanceLock::defaultPath());
    context.instance = &instance;
    context.out = [](const QString& text) { printLine(stdout, text); };
    context.err = [](const QString& text) { printLine(stderr, text); };
    // Progress only on a terminal: a script or a timer gets the messages alone.
    bool progressShown = false;
    if (::isatty(STDERR_FILENO))
        context.progress = [&progressShown](int percent) {
            print(stderr, QStringLiteral("\r%1%").arg(percent, 3));
            progressShown = true;
        };
    const int status = td::cli::runCommand(context);
    if (progressShown)
        print(stderr, QStringLiteral("\r    \r"));
    return status;
}

} // namespace

int main(int argc, char* argv[])
{
    const QString language = QStringLiteral(TUNEDESK_LANGUAGE);
    const bool korean = td::isKorean(language);
    // Decided before any application object exists: help, version and the
    // commands need no display, and a missing one is said, not aborted on.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    td::cli::CommandLine line(korean);
    if (!line.parse(arguments)) {
        printLine(stderr, QStringLiteral("tunedesk: ") + line.error());
        print(stderr, line.usageText());
        return td::cli::kUsage;
    }
    if (line.helpRequested()) {
        print(stdout, line.helpText());
        return td::cli::kSuccess;
    }
    if (line.versionRequested()) {
        print(stdout, td::cli::CommandLine::versionText(korean));
        return td::cli::kSuccess;
    }
    if (line.command())
        return runHeadless(argc, argv, line, korean);
    if (!td::cli::displayAvailable()) {
        printLine(stderr, td::cli::noDisplayText(korean, QString()));
        return td::cli::kFailure;
    }

    startupKorean = korean;
    defaultHandler = qInstallMessageHandler(startupMessages);
    QApplication app(argc, argv);
    qInstallMessageHandler(defaultHandler);
    QApplication::setApplicationName(QStringLiteral("Tunedesk"));
    QApplication::setQuitOnLastWindowClosed(false);
    const QString folder = daybrookFolder(line);
    if (!QFileInfo(folder).isDir()) {
        printLine(stderr, (korean ? QStringLiteral("tunedesk: Daybrook 폴더가 없습니다: %1") : QStringLiteral("tunedesk: no Daybrook folder: %1")).arg(folder));
        return td::cli::kFailure;
    }
    // The window is designed in 굴림 and Arial; map them to faces a Linux desktop has.
    QFont::insertSubstitutions(QStringLiteral("굴림"), {QStringLiteral("NanumGothic"), QStringLiteral("Nanum Gothic"),
                                                        QStringLiteral("Noto Sans CJK KR"), QStringLiteral("UnDotum")});
    QFont::insertSubstitutions(QStringLiteral("Arial"), {QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    QApplication::setWindowIcon(QIcon(td::frmSplash::icon()));

    td::QtFileSystem fs;
    td::QtSettingsStore store(td::QtSettingsStore::defaultPath());
    td::QtMessageBoxes boxes;
    td::QtCommonDialog dialog;
    td::Services services{fs, store, boxes, dialog, folder};
    services.currentLanguage = language;
    td::installQtTranslation(services.currentLanguage);
    services.journalFolder = td::RunJournal::defaultFolder();
    td::QtSettingsStore syncStore(td::QtSettingsStore::defaultPath(), QString::fromLatin1(td::sync::SyncSettings::kSection));
    td::sync::SystemKeyring keyring;
    services.syncStore = &syncStore;
    services.keyring = &keyring;
    services.openUrl = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
    td::LanguageFile lng(fs, boxes, languageFolder(language), services.currentLanguage);
    td::QtInstanceLock lock(td::QtInstanceLock::defaultPath());
    td::WindowBeacon beacon(td::WindowBeacon::defaultPath());
    AnsweringLock answeringLock(lock, beacon);

    std::unique_ptr<td::frmOptions> options;
    td::frmSplash splash(answeringLock, [&] {
        options = std::make_unique<td::frmOptions>(
            services, lng, td::frmOptions::captionFor(TUNEDESK_VERSION_MINOR, TUNEDESK_VERSION_REVISION));
        boxes.setParent(options.get());
        dialog.setParent(options.get());
        if (!options->Form_Load()) {
            QCoreApplication::exit(td::cli::kFailure);
            return;
        }
        options->show();
        beacon.setWindow(options.get());
        // From now on, closing the options window ends the program.
        QApplication::setQuitOnLastWindowClosed(true);
    });
    if (!splash.Form_Load()) {
        // Another copy holds the lock: its window comes forward, this one ends.
        if (td::WindowBeacon::callRunning(td::WindowBeacon::defaultPath())) {
            printLine(stderr, korean ? QStringLiteral("tunedesk: 이미 실행 중인 Tunedesk 창을 앞으로 가져왔습니다.")
                                     : QStringLiteral("tunedesk: Tunedesk is already running; its window was brought to the front."));
            return td::cli::kSuccess;
        }
        printLine(stderr, korean ? QStringLiteral("tunedesk: 실행 중인 다른 Tunedesk 창이 응답하지 않아 창을 열지 않았습니다.")
                                 : QStringLiteral("tunedesk: another Tunedesk window is running but does not answer; no window was opened."));
        return td::cli::kFailure;
    }
    return app.exec();
}
