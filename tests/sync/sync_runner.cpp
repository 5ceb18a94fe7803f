// One sync of a data folder, printing how many steps are done as it goes, so
// that a test can kill it in the middle.
// sync_runner DATA_FOLDER URL USER PASSWORD STATE_FOLDER JOURNAL_FOLDER
#include "sync/SyncEngine.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList a = app.arguments();
    if (a.size() != 7)
        return 2;
    td::QtFileSystem fs;
    td::RunJournal journal(a[6]);
    td::sync::SyncAccount account;
    account.url = QUrl(a[2]);
    account.user = a[3];
    account.password = a[4];
    account.stateFolder = a[5];
    td::sync::SyncEngine engine(fs, a[1], account, &journal, false);
    td::sync::SyncPlan plan;
    td::sync::SyncOutcome out = engine.plan(plan);
    if (out.ok())
        out = engine.execute(plan, [](int done, int) {
            std::printf("%d\n", done);
            std::fflush(stdout);
            return true;
        });
    std::puts(qPrintable(td::sync::syncMessage(out, false)));
    return out.ok() ? 0 : 1;
}
