#pragma once
#include "platform/MessageBoxes.h"
#include "platform/SettingsStore.h"
#include "settings/SettingsJournal.h"

namespace td {

// The two maintenance commands on Daybrook's stored configuration. Both ask
// first (OK / Cancel, OK default, no icon) and act only on OK.
enum class ResetResult {
    Declined, // the user did not answer OK; nothing changed
    Done,
    Failed, // the store refused; the user has been told
};

// The question, two lines joined by a lone CR, in the current language; given
// the store, then what will be removed or changed (the data folder setting with
// its value too) and that it can be taken back.
Message configurationResetQuestion(bool korean, const ISettingsStore* store = nullptr);
Message positionResetQuestion(bool korean, const ISettingsStore* store = nullptr);

// Removes every key of Daybrook's "Options" section. With a journal, the store
// is recorded first; when that fails, nothing changes (the user is told).
ResetResult resetConfiguration(ISettingsStore& store, IMessageBoxes& boxes, bool korean,
                               SettingsJournal* journal = nullptr);
// Puts Daybrook's window back at "100", "100".
ResetResult resetPosition(ISettingsStore& store, IMessageBoxes& boxes, bool korean, SettingsJournal* journal = nullptr);

// A settings journal could not be written: nothing was stored.
QString settingsJournalNotWritten(bool korean, const IoStatus& status);

} // namespace td
