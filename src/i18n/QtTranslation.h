#pragma once
#include <QString>

class QTranslator;

namespace td {

// Qt's own texts (the colour, font and file dialogs, the message-box buttons) in
// the current language: for "Korean" Qt's Korean catalogue from Qt's translation
// folder is installed on the application. Returns the installed translator, owned
// by the application, or nullptr (another language, or no catalogue installed).
QTranslator* installQtTranslation(const QString& currentLanguage);

} // namespace td
