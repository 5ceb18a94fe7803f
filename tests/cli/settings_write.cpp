// A settings write by the program's own core, for the command-line tests: the
// window's position or configuration reset (the first argument) on the user's
// settings store, journaled as the window journals it, answered OK.
#include "TestSupport.h"

#include "days/RunJournal.h"
#include "settings/Resets.h"

#include <QCoreApplication>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Tunedesk"));
    td::QtFileSystem fs;
    td::QtSettingsStore store(td::QtSettingsStore::defaultPath());
    td::test::RecordingMessageBoxes boxes;
    td::SettingsJournal journal(fs, td::RunJournal::defaultFolder());
    const bool position = QCoreApplication::arguments().value(1) == QLatin1String("position");
    const td::ResetResult r = position ? td::resetPosition(store, boxes, true, &journal)
                                       : td::resetConfiguration(store, boxes, true, &journal);
    return r == td::ResetResult::Done ? 0 : 1;
}
