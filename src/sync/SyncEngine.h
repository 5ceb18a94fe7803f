#pragma once
#include "CalDavClient.h"
#include "days/RunJournal.h"
#include "platform/FileSystem.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QUrl>
#include <functional>
#include <memory>
#include <optional>

namespace td::sync {

class SyncState;

// One account as the sync page and the command line set it up.
struct SyncAccount {
    QUrl url;         // a calendar collection, or a server's base URL
    QUrl calendarUrl; // the chosen calendar; empty: url when it is one, else "Daybrook" in the calendar home
    QString user;
    QString password;
    QString pinnedSha256;  // a certificate fingerprint accepted although the system does not trust it
    QString stateFolder;   // empty: SyncState::defaultFolder()
    int timeoutMs = 30000; // per request
};

// What a sync does to one day.
struct SyncDay {
    enum class Action {
        Unchanged,    // nothing to do
        Send,         // changed here: the server gets it
        Fetch,        // changed on the server: the day file gets it
        DeleteLocal,  // deleted on the server, unchanged here
        DeleteRemote, // deleted here, unchanged on the server
        Conflict,     // changed on both: both texts kept, written both ways
        Fold,         // another client's event joins the day; the day's event replaces it
        Unstorable,   // the server's text holds what the code page cannot keep: left alone
        Record,       // both sides already agree: only the sync state learns it
        Forget,       // gone on both sides
    };
    QDate date;
    Action action = Action::Unchanged;
    std::optional<QString> localText;  // the day file's text before; nullopt: no file
    std::optional<QString> serverText; // the server's text, when it was read
    std::optional<QString> resultText; // the day's text after; nullopt: no day
    QStringList folded;                // the summaries of the foreign events it takes in
    QString badCharacter;              // Unstorable: the first character the code page cannot hold

    // Where the day's event is on the server and its ETag (empty: none there).
    QString href;
    QByteArray etag;
    bool onServer = false;
    bool resend = false;         // fetched, and the server's event is rewritten from the day (its title was edited)
    std::optional<QString> done; // the companion text
};

// Another client's event.
struct ForeignEvent {
    QString href;
    QByteArray etag;
    QString summary;
    QList<QDate> days;          // where it lands
    QString problem;            // why it cannot be folded; it stays on the server as it is
    bool alreadyFolded = false; // an earlier sync folded it; only its deletion is left
};

struct SyncOutcome;

struct SyncPlan {
    QUrl calendar;
    bool makeCalendar = false; // the calendar "Daybrook" is made first
    QList<SyncDay> days;       // by date; days without a change left out
    QList<ForeignEvent> foreign;
    QString token; // the collection's sync token, stored when the sync is complete
    int count(SyncDay::Action action) const;
    // Days a run changes on either side (Send to Fold).
    int changes() const;
};

// What went wrong, for one message.
enum class SyncProblem {
    None,
    Unreachable,
    Unauthorized,
    Untrusted,
    ServerError,
    Protocol,
    NoCalendar,
    Cancelled,
    LocalFiles, // day files that could not be read or written (a full disk)
    Journal,    // the run journal could not be written: no day file was touched
    Busy,       // another run, undo or sync holds the journal's lock: nothing was done
    State,      // the sync state database
};

struct SyncOutcome {
    SyncProblem problem = SyncProblem::None;
    QString detail;      // the server's or the system's words
    QString where;       // the URL or the file
    QString fingerprint; // Untrusted: the certificate's SHA-256
    bool midway = false; // some days were already done when it stopped
    int sent = 0, fetched = 0, deletedLocal = 0, deletedRemote = 0, conflicts = 0, folded = 0;
    int failedDays = 0;
    bool ok() const { return problem == SyncProblem::None; }
};

// Progress of a plan or a run: done of total; returning false cancels.
using SyncProgress = std::function<bool(int done, int total)>;

// The two-way sync of the day notes with one CalDAV calendar, against the state
// of the last sync. plan() reads both sides and writes nothing; execute() does
// what the plan says: day files through one journaled run (Undo takes them
// back), events with preconditions, and the state per day as each is done, so
// a sync that is stopped anywhere is finished by the next one.
class SyncEngine {
public:
    SyncEngine(IFileSystem& fs, QString dataFolder, SyncAccount account, RunJournal* journal, bool korean,
               QDate today = QDate::currentDate());
    ~SyncEngine();

    // Finds the calendar: the account's chosen one, the URL when it is a
    // collection, else the calendar named "Daybrook" in the calendar home, made
    // when there is none (only when make is true).
    SyncOutcome findCalendar(bool make, QUrl& calendar);
    // The calendars of the account's server.
    SyncOutcome calendars(QList<DavCalendar>& list);

    // Writes nothing, on either side or in the sync state.
    SyncOutcome plan(SyncPlan& plan, const SyncProgress& progress = {});
    // Holds the journal's lock throughout, as runs and Undo do.
    SyncOutcome execute(const SyncPlan& plan, const SyncProgress& progress = {});

    // What the plan does to the day files, as the preview of a run shows it.
    DayPlan localChanges(const SyncPlan& plan) const;

    // Requests sent to the server by this engine so far.
    int requests() const { return client_->requests(); }

    static constexpr const char* kJournalKind = "caldav-sync";

private:
    struct Local {
        std::optional<QString> text;
        std::optional<QString> done;
    };
    Local readLocal(const QDate& day, IoStatus* failure) const;
    QList<QDate> localDays() const;
    SyncOutcome fromReply(const DavReply& reply, const QUrl& where) const;
    SyncOutcome locate(QUrl& calendar, QUrl& home);
    // A plan reads the state without making it: a calendar never synced gets an
    // empty one in memory, and only a run makes the database.
    bool openState(const QUrl& calendar, SyncOutcome& out, bool make);
    void decide(SyncDay& day, const std::optional<QByteArray>& base, const std::optional<QString>& server,
                bool serverSameAsBase) const;
    QUrl eventUrl(const QUrl& calendar, const SyncDay& day) const;
    bool apply(const QUrl& calendar, QList<SyncDay>& days, QList<SyncDay>& again, SyncOutcome& out);
    bool refetch(const QUrl& calendar, QList<SyncDay>& days, SyncOutcome& out);
    void deleteFolded(const SyncPlan& plan, SyncOutcome& out);
    bool tick(SyncOutcome& out);

    IFileSystem& fs_;
    QString dataFolder_;
    SyncAccount account_;
    RunJournal* journal_;
    bool korean_;
    QDate today_;
    std::unique_ptr<CalDavClient> client_;
    std::unique_ptr<SyncState> state_;
    QUrl stateCalendar_;
    bool stateInMemory_ = false;
    SyncProgress progress_;
    bool cancelled_ = false;
    int done_ = 0, total_ = 0;
    const QList<ForeignEvent>* foreign_ = nullptr;
};

// The plan as text: the counts, then one line per day that changes. The dry
// run prints it; the page shows the same.
QString formatPlan(const SyncPlan& plan, bool korean);
// The one message of a sync that went wrong, or the summary of one that did not.
QString syncMessage(const SyncOutcome& outcome, bool korean);

} // namespace td::sync
