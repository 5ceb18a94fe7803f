#pragma once
// The program's command line: options, the headless commands and the help, in
// the build's language. Parsed before any application object exists, so that
// --help, --version and the commands never need a display.
#include <QCommandLineParser>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

namespace td::cli {

// Exit statuses of every way the program ends.
inline constexpr int kSuccess = 0;
inline constexpr int kFailure = 1;
inline constexpr int kUsage = 2;

// The environment variable naming Daybrook's folder, like --daybrook-dir.
inline constexpr char kDaybrookDirVariable[] = "TUNEDESK_DAYBROOK_DIR";

class CommandLine;
struct CommandContext;

// A headless command: "tunedesk NAME [options] [arguments]". Adding one is one
// entry in commands().
struct Command {
    QString name;
    QString synopsis;        // after "tunedesk ", e.g. "export --from Y-M --to Y-M [--holidays] FILE"
    QString korean, english; // what it does, one line
    QStringList options;     // the options it accepts besides the global ones
    int minArguments = 0;
    int maxArguments = 0;
    std::function<int(CommandContext&)> run;
};

// Every headless command, in the order the help lists them.
const QList<Command>& commands();

class CommandLine {
public:
    explicit CommandLine(bool korean);

    // False on bad usage; error() says why.
    bool parse(const QStringList& arguments);
    const QString& error() const { return error_; }

    bool helpRequested() const;
    bool versionRequested() const;
    // The command named, or null for the window.
    const Command* command() const { return command_; }
    // The positional arguments after the command's name.
    const QStringList& arguments() const { return arguments_; }
    bool isSet(const QString& option) const { return parser_.isSet(option); }
    QString value(const QString& option) const { return parser_.value(option); }

    // The whole help, and the short usage that follows a usage error.
    QString helpText() const;
    QString usageText() const;
    static QString versionText(bool korean);

private:
    bool korean_;
    QCommandLineParser parser_;
    QList<QCommandLineOption> options_;
    const Command* command_ = nullptr;
    QStringList arguments_;
    QString error_;
};

// Whether a window can be shown: a platform that needs no display (offscreen,
// minimal, ...) or an X11 or Wayland display named in the environment.
bool displayAvailable();
// The one line said when the window is asked for without a display, or with
// one (display) that cannot be reached.
QString noDisplayText(bool korean, const QString& display);

} // namespace td::cli
