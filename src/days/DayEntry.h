#pragma once
#include <QString>

namespace td {

// The marked entries the generators write into day files, and the checks a
// plan must pass before anything is written.
struct DayEntry {
    // Left marker, plan text, right marker, each trimmed of spaces: "[Meeting]".
    static QString regular(const QString& left, const QString& plan, const QString& right);
    // " D-30": what a countdown entry adds to its plan text.
    static QString countdownSuffix(int remaining);
    // "[Exam D-30]".
    static QString countdown(const QString& left, const QString& plan, const QString& right, int remaining);

    enum class Problem {
        None,
        Empty,       // nothing left after trimming: it would match every day's text
        LineBreak,   // a line break would split the entry in Daybrook's file
        NotStorable, // a character the day files' code page cannot hold
    };
    struct Check {
        Problem problem = Problem::None;
        QString character; // the first character that cannot be stored
        bool ok() const { return problem == Problem::None; }
    };
    // Checks what the user typed into the three fields and the entry built from them.
    static Check check(const QString& left, const QString& plan, const QString& right, const QString& entry);
};

// The generators' message texts, in Korean or English.
struct ScheduleMessages {
    static QString title() { return QStringLiteral("Tunedesk"); }
    static QString completed(bool korean);
    static QString wrongDate(bool korean);
    // Some days could not be read, written or deleted; names the first path that failed, and why.
    static QString failed(bool korean, int failedDays, const QString& firstPath, const QString& reason = {});
    static QString refused(bool korean, const DayEntry::Check& check);
};

} // namespace td
