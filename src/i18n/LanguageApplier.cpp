#include "LanguageApplier.h"

#include "BuiltinCaptions.h"
#include "platform/Language.h"
#include "ui/Spoken.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTextEdit>

namespace td {
namespace {

// Strict: the tag must be a whole number (an empty tag fails).
std::optional<int> strictKey(const QWidget* w)
{
    bool ok = false;
    const int key = w->property("tag").toString().trimmed().toInt(&ok);
    if (!ok || key < -32768 || key > 32767)
        return std::nullopt;
    return key;
}

// By numeric value: leading digits, anything else gives 0.
long long leadingValue(const QString& s)
{
    long long v = 0;
    qsizetype i = 0;
    while (i < s.size() && s[i] == QLatin1Char(' ')) ++i;
    for (; i < s.size() && s[i].isDigit(); ++i) {
        v = v * 10 + s[i].digitValue();
        if (v > 1'000'000'000) break;
    }
    return v;
}

void setFace(QWidget* w, bool koreanFont)
{
    QFont f = w->font();
    f.setFamily(captionFace(koreanFont));
    w->setFont(f);
}

} // namespace

void ApplyLngFile(QWidget* window, const QString& fileName, LanguageFile& lng, bool koreanFont)
{
    if (auto key = strictKey(window))
        window->setWindowTitle(lng.GetLngText(*key, fileName));

    const auto controls = window->findChildren<QWidget*>();
    for (QWidget* w : controls) {
        // A name a screen reader speaks where nothing is shown; a file without the key keeps the built-in one.
        if (const QVariant nameKey = w->property(ui::kNameKey); nameKey.isValid()) {
            if (const QString name = lng.GetLngText(nameKey.toInt(), fileName); !name.isEmpty())
                w->setAccessibleName(name);
        }
        if (auto* label = qobject_cast<QLabel*>(w)) {
            if (auto key = strictKey(w))
                label->setText(lng.GetLngText(*key, fileName));
            setFace(w, koreanFont);
        } else if (qobject_cast<QLineEdit*>(w) || qobject_cast<QPlainTextEdit*>(w) || qobject_cast<QTextEdit*>(w)) {
            if (auto key = strictKey(w)) {
                const QString text = lng.GetLngText(*key, fileName);
                if (auto* e = qobject_cast<QLineEdit*>(w))
                    e->setText(text);
                else if (auto* p = qobject_cast<QPlainTextEdit*>(w))
                    p->setPlainText(text);
                else
                    qobject_cast<QTextEdit*>(w)->setPlainText(text);
            }
            setFace(w, koreanFont);
        } else if (auto* frame = qobject_cast<QGroupBox*>(w)) {
            if (auto key = strictKey(w))
                frame->setTitle(lng.GetLngText(*key, fileName));
            setFace(w, koreanFont);
        } else {
            // Widgets that are only parts of another control (a combo's popup, a scroll area's
            // viewport) are not controls of the window.
            if (w->objectName().isEmpty() && !w->property("tag").isValid())
                continue;
            const QString tag = w->property("tag").toString();
            const long long captionKey = leadingValue(tag);
            if (captionKey > 0 && captionKey <= 32767) {
                if (auto* b = qobject_cast<QAbstractButton*>(w))
                    b->setText(lng.GetLngText(int(captionKey), fileName));
            }
            const QVariant index = w->property("index");
            if (index.isValid() && !tag.isEmpty()) {
                const long long tipKey = leadingValue(tag + QString::number(index.toInt()));
                if (tipKey > 0 && tipKey <= 32767) {
                    // A five-digit key fills the column where the text of a four-digit one
                    // begins: the space after it is no part of the tooltip.
                    QString tip = lng.GetLngText(int(tipKey), fileName);
                    if (tipKey >= 10000 && tip.startsWith(QLatin1Char(' ')))
                        tip.remove(0, 1);
                    w->setToolTip(tip);
                }
            }
            setFace(w, koreanFont);
        }
    }
}

bool LanSetup(const LanSetupTargets& t, const QString& currentLanguage, LanguageFile& lng)
{
    const bool korean = isKorean(currentLanguage);
    const QString face = captionFace(korean);

    t.LstOption->clear();
    QFont listFont = t.LstOption->font();
    listFont.setFamily(face);
    listFont.setPointSize(korean ? 9 : 8);
    t.LstOption->setFont(listFont);
    t.LstOption->addItems(BuiltinCaptions::pages(korean));
    t.LstOption->setCurrentRow(-1);

    for (auto [combo, items] : {std::pair{t.CmbSMode, BuiltinCaptions::displayModes(korean)},
                                std::pair{t.CmbDefault, BuiltinCaptions::presets(korean)}}) {
        if (!combo) continue;
        const QSignalBlocker block(combo);
        combo->clear();
        combo->addItems(items);
        combo->setCurrentIndex(-1);
    }

    QFont titleFont = t.LblOptTitle->font();
    titleFont.setFamily(face);
    t.LblOptTitle->setFont(titleFont);

    ApplyLngFile(t.window, QStringLiteral("tune") + currentLanguage + QStringLiteral(".lng"), lng, korean);
    return korean;
}

} // namespace td
