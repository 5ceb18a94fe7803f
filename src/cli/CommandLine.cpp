#include "CommandLine.h"

#include <QtGlobal>

namespace td::cli {

namespace {

struct OptionText {
    QStringList names;
    const char* valueName; // nullptr: a switch
    const char* korean;
    const char* english;
    bool global; // accepted with or without a command
};

// Every option; a command accepts the global ones and those it lists.
const QList<OptionText>& optionTexts()
{
    static const QList<OptionText> texts = {
        {{QStringLiteral("h"), QStringLiteral("help")}, nullptr, "이 도움말을 보이고 끝냅니다", "show this help and end", true},
        {{QStringLiteral("v"), QStringLiteral("version")}, nullptr, "판 번호를 보이고 끝냅니다", "show the version and end", true},
        {{QStringLiteral("daybrook-dir")}, "DIR", "Daybrook.ini와 Holiday.dat가 있는 폴더 (기본: 프로그램 폴더; 환경 변수 TUNEDESK_DAYBROOK_DIR)", "the folder of Daybrook.ini and Holiday.dat (default: the program's folder; environment TUNEDESK_DAYBROOK_DIR)", true},
        {{QStringLiteral("data-folder")}, "DIR", "이 명령에만 DataSaveDir 대신 쓸 날짜 파일 폴더", "the folder of the day files for this command, instead of DataSaveDir", false},
        {{QStringLiteral("from")}, "Y-M", "첫 달 (예: 2004-01)", "the first month (e.g. 2004-01)", false},
        {{QStringLiteral("to")}, "Y-M", "마지막 달 (예: 2004-12)", "the last month (e.g. 2004-12)", false},
        {{QStringLiteral("holidays")}, nullptr, "iCalendar 파일에 공휴일과 기념일 포함", "take the holidays into the iCalendar file", false},
        {{QStringLiteral("dry-run")}, nullptr, "미리 보기만 보이고 아무것도 쓰지 않습니다", "show the preview only, write nothing", false},
        {{QStringLiteral("list")}, nullptr, "되돌릴 수 있는 작업 목록을 보입니다", "list the runs that can be undone", false},
        {{QStringLiteral("url")}, "URL", "CalDAV 달력이나 서버의 주소 (기본: 동기화 페이지에 저장한 계정)", "a CalDAV calendar's or server's URL (default: the account saved on the Sync page)", false},
        {{QStringLiteral("user")}, "NAME", "서버의 사용자 이름", "the user name on the server", false},
        {{QStringLiteral("password-file")}, "FILE", "암호를 첫 줄에 담은 파일, 주인만 읽을 수 있어야 함 (기본: 키링)", "a file holding the password on its first line, readable by its owner only (default: the keyring)", false},
    };
    return texts;
}

QString tr(bool korean, const char* ko, const char* en)
{
    return korean ? QString::fromUtf8(ko) : QString::fromUtf8(en);
}

QString optionLabel(const OptionText& o)
{
    QStringList names;
    for (const QString& n : o.names)
        names << (n.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + n;
    QString label = names.join(QStringLiteral(", "));
    if (o.valueName)
        label += QLatin1Char(' ') + QLatin1String(o.valueName);
    return label;
}

// "  label   text" with the texts in one column.
QString table(const QList<QPair<QString, QString>>& rows)
{
    qsizetype width = 0;
    for (const auto& r : rows)
        width = std::max(width, r.first.size());
    QString out;
    for (const auto& r : rows)
        out += QStringLiteral("  ") + r.first.leftJustified(width + 2) + r.second + QLatin1Char('\n');
    return out;
}

} // namespace

CommandLine::CommandLine(bool korean) : korean_(korean)
{
    parser_.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    for (const OptionText& o : optionTexts()) {
        QCommandLineOption option(o.names, tr(korean, o.korean, o.english));
        if (o.valueName)
            option.setValueName(QLatin1String(o.valueName));
        options_ << option;
        parser_.addOption(option);
    }
}

bool CommandLine::helpRequested() const { return parser_.isSet(QStringLiteral("help")); }
bool CommandLine::versionRequested() const { return parser_.isSet(QStringLiteral("version")); }

bool CommandLine::parse(const QStringList& arguments)
{
    if (!parser_.parse(arguments)) {
        // Qt's own text is English; the build's language says it.
        const QStringList unknown = parser_.unknownOptionNames();
        error_ = unknown.isEmpty() ? (korean_ ? QStringLiteral("옵션에 값이 없습니다: %1") : QStringLiteral("An option lacks its value: %1"))
                                         .arg(arguments.mid(1).join(QLatin1Char(' ')))
                                   : (korean_ ? QStringLiteral("알 수 없는 옵션: %1") : QStringLiteral("Unknown option: %1"))
                                         .arg((unknown.first().size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + unknown.first());
        return false;
    }
    if (helpRequested() || versionRequested())
        return true;
    QStringList positional = parser_.positionalArguments();
    if (!positional.isEmpty()) {
        const QString name = positional.takeFirst();
        for (const Command& c : commands())
            if (c.name == name)
                command_ = &c;
        if (!command_) {
            error_ = (korean_ ? QStringLiteral("알 수 없는 명령: %1") : QStringLiteral("Unknown command: %1")).arg(name);
            return false;
        }
    }
    arguments_ = positional;
    // Options that the command (or the window) does not take.
    for (const OptionText& o : optionTexts()) {
        if (o.global || !parser_.isSet(o.names.last()))
            continue;
        if (!command_ || !command_->options.contains(o.names.last())) {
            error_ = command_ ? (korean_ ? QStringLiteral("%1 명령에 쓸 수 없는 옵션: --%2") : QStringLiteral("The %1 command takes no option --%2"))
                                    .arg(command_->name, o.names.last())
                              : (korean_ ? QStringLiteral("명령 없이 쓸 수 없는 옵션: --%1") : QStringLiteral("Option --%1 needs a command"))
                                    .arg(o.names.last());
            return false;
        }
    }
    if (!command_ && !arguments_.isEmpty()) {
        error_ = (korean_ ? QStringLiteral("알 수 없는 인자: %1") : QStringLiteral("Unexpected argument: %1")).arg(arguments_.first());
        return false;
    }
    if (command_ && (arguments_.size() < command_->minArguments || arguments_.size() > command_->maxArguments)) {
        error_ = arguments_.size() < command_->minArguments
                     ? (korean_ ? QStringLiteral("%1 명령에 파일 이름이 없습니다") : QStringLiteral("The %1 command needs a file name")).arg(command_->name)
                     : (korean_ ? QStringLiteral("%1 명령에 인자가 너무 많습니다: %2") : QStringLiteral("Too many arguments for %1: %2"))
                           .arg(command_->name, arguments_.join(QLatin1Char(' ')));
        return false;
    }
    return true;
}

QString CommandLine::usageText() const
{
    QString text = (korean_ ? QStringLiteral("사용법: ") : QStringLiteral("Usage: ")) + QStringLiteral("tunedesk [--daybrook-dir DIR]\n");
    const QString indent(korean_ ? 8 : 7, QLatin1Char(' '));
    for (const Command& c : commands())
        text += indent + QStringLiteral("tunedesk ") + c.synopsis + QLatin1Char('\n');
    text += indent + QStringLiteral("tunedesk --help | --version\n");
    return text;
}

QString CommandLine::helpText() const
{
    QString text = usageText() + QLatin1Char('\n');
    text += korean_ ? QStringLiteral("Daybrook 달력의 환경설정과 관리 도구입니다. 명령 없이 시작하면 설정 창을 엽니다.\n"
                                     "명령은 화면 없이 실행되며, 진행과 메시지는 표준 오류로, 결과 한 줄은 표준 출력으로 냅니다.\n")
                    : QStringLiteral("The settings and maintenance tool of the Daybrook calendar. Without a command it opens the options window.\n"
                                     "Commands run without a display: progress and messages go to standard error, one result line to standard output.\n");
    QList<QPair<QString, QString>> rows;
    for (const Command& c : commands())
        rows.append({c.name, korean_ ? c.korean : c.english});
    text += (korean_ ? QStringLiteral("\n명령:\n") : QStringLiteral("\nCommands:\n")) + table(rows);
    rows.clear();
    for (const OptionText& o : optionTexts())
        rows.append({optionLabel(o), tr(korean_, o.korean, o.english)});
    text += (korean_ ? QStringLiteral("\n옵션:\n") : QStringLiteral("\nOptions:\n")) + table(rows);
    text += korean_ ? QStringLiteral("\n종료 상태: 0 성공, 1 실패, 2 잘못된 사용.\n")
                    : QStringLiteral("\nExit status: 0 success, 1 failure, 2 bad usage.\n");
    return text;
}

QString CommandLine::versionText(bool korean)
{
    return (korean ? QStringLiteral("튠데스크 (Tunedesk) %1\n") : QStringLiteral("Tunedesk %1\n")).arg(QStringLiteral(TUNEDESK_VERSION));
}

bool displayAvailable()
{
    const QString platform = qEnvironmentVariable("QT_QPA_PLATFORM");
    const bool needsDisplay = platform.isEmpty() || platform.startsWith(QLatin1String("xcb"))
                              || platform.startsWith(QLatin1String("wayland"));
    return !needsDisplay || !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

QString noDisplayText(bool korean, const QString& display)
{
    if (!display.isEmpty())
        return (korean ? QStringLiteral("tunedesk: 화면 %1에 연결할 수 없어 설정 창을 열 수 없습니다. 화면 없이 쓰는 명령은 'tunedesk --help'에 있습니다.")
                       : QStringLiteral("tunedesk: cannot connect to the display %1 to open the options window on; 'tunedesk --help' lists the commands that need none."))
            .arg(display);
    return korean ? QStringLiteral("tunedesk: 화면(DISPLAY)이 없어 설정 창을 열 수 없습니다. 화면 없이 쓰는 명령은 'tunedesk --help'에 있습니다.")
                  : QStringLiteral("tunedesk: no display (DISPLAY) to open the options window on; 'tunedesk --help' lists the commands that need none.");
}

} // namespace td::cli
