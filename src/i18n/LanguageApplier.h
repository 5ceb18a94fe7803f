#pragma once
#include "LanguageFile.h"

#include <QString>

class QComboBox;
class QLabel;
class QListWidget;
class QWidget;

namespace td {

// The face every captioned control gets.
inline QString captionFace(bool koreanFont) { return koreanFont ? QStringLiteral("굴림") : QStringLiteral("Arial"); }

// ApplyLngFile: walks every control of the window and replaces captions, texts
// and tooltips by the language file's texts for their tags, and sets the face.
// A control's kind follows the window design: QLabel is a Label, QLineEdit /
// QPlainTextEdit a TextBox, QGroupBox a Frame, everything else the generic kind.
void ApplyLngFile(QWidget* window, const QString& fileName, LanguageFile& lng, bool koreanFont);

// The lists and faces LanSetup sets before it applies the file.
struct LanSetupTargets {
    QListWidget* LstOption = nullptr;
    QComboBox* CmbSMode = nullptr;
    QComboBox* CmbDefault = nullptr;
    QLabel* LblOptTitle = nullptr;
    QWidget* window = nullptr;
};

// Fills the three lists in the current language, applies the language file and
// returns KoreanFont. Throws ProgramEnd when the language file ends the program.
bool LanSetup(const LanSetupTargets& t, const QString& currentLanguage, LanguageFile& lng);

} // namespace td
