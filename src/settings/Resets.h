#pragma once
#include "platform/MessageBoxes.h"
#include "platform/SettingsStore.h"

namespace td {

// The two maintenance commands on Daybrook's stored configuration. Both ask
// first (OK / Cancel, OK default, no icon) and act only on OK.
enum class ResetResult {
    Declined, // the user did not answer OK; nothing changed
    Done,
    Failed, // the store refused; the user has been told
};

// The question, two lines joined by a lone CR, in the current language.
Message configurationResetQuestion(bool korean);
Message positionResetQuestion(bool korean);

// Removes every key of Daybrook's "Options" section.
ResetResult resetConfiguration(ISettingsStore& store, IMessageBoxes& boxes, bool korean);
// Puts Daybrook's window back at "100", "100".
ResetResult resetPosition(ISettingsStore& store, IMessageBoxes& boxes, bool korean);

} // namespace td
