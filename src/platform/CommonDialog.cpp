#include "CommonDialog.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QFontDialog>
#include <QFontInfo>
#include <QGuiApplication>
#include <QPalette>
#include <QRegularExpression>
#include <QStringList>

namespace td {

QString qtFilterFromCommon(const QString& filter)
{
    QStringList parts = filter.split(QLatin1Char('|'));
    if (!parts.isEmpty() && parts.last().isEmpty())
        parts.removeLast();
    QStringList out;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        patterns = patterns.simplified();
        // A description that already names its patterns ("Excel Files(*.xlsx)") names them once.
        QString description = parts[i];
        static const QRegularExpression named(QStringLiteral("\\(([^()]*)\\)\\s*$"));
        if (const auto m = named.match(description); m.hasMatch()) {
            QString inside = m.captured(1);
            inside.replace(QLatin1Char(','), QLatin1Char(' ')).replace(QLatin1Char(';'), QLatin1Char(' '));
            if (inside.simplified() == patterns)
                description = description.left(m.capturedStart()).trimmed();
        }
        out << description + QLatin1String(" (") + patterns + QLatin1Char(')');
    }
    return out.join(QLatin1String(";;"));
}

QColor paintedColour(qint32 colour, const QPalette& p)
{
    if (colour >= 0)
        return QColor(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
    // The Windows system colour indices, mapped to the palette role that paints the same thing.
    switch (colour & 0xFF) {
    case 0: return p.color(QPalette::Button);          // scroll bar
    case 1: return p.color(QPalette::Window);          // desktop
    case 2: return p.color(QPalette::Highlight);       // active caption
    case 3: return p.color(QPalette::Mid);             // inactive caption
    case 4: return p.color(QPalette::Window);          // menu
    case 5: return p.color(QPalette::Base);            // window
    case 6: return p.color(QPalette::Shadow);          // window frame
    case 7: return p.color(QPalette::WindowText);      // menu text
    case 8: return p.color(QPalette::Text);            // window text
    case 9: return p.color(QPalette::HighlightedText); // caption text
    case 10:
    case 11: return p.color(QPalette::Mid);  // borders
    case 12: return p.color(QPalette::Dark); // application workspace
    case 13: return p.color(QPalette::Highlight);
    case 14: return p.color(QPalette::HighlightedText);
    case 15: return p.color(QPalette::Button);
    case 16: return p.color(QPalette::Dark);                     // button shadow
    case 17: return p.color(QPalette::Disabled, QPalette::Text); // grey text
    case 18: return p.color(QPalette::ButtonText);
    case 19: return p.color(QPalette::Text);     // inactive caption text
    case 20: return p.color(QPalette::Light);    // 3D highlight
    case 21: return p.color(QPalette::Shadow);   // 3D dark shadow
    case 22: return p.color(QPalette::Midlight); // 3D light
    case 23: return p.color(QPalette::ToolTipText);
    default: return p.color(QPalette::ToolTipBase);
    }
}

bool QtCommonDialog::ShowColor()
{
    // Open on the colour the label shows, a system colour included.
    const QColor initial = paintedColour(Color, QGuiApplication::palette());
    const QColor c = QColorDialog::getColor(initial, parent_);
    if (!c.isValid())
        return false;
    if (c.rgb() != initial.rgb())
        Color = c.red() + 256 * c.green() + 65536 * c.blue();
    return true;
}

bool QtCommonDialog::ShowFont()
{
    QFont initial(FontName);
    if (FontSize > 0)
        initial.setPointSizeF(FontSize);
    initial.setBold(FontBold);
    // A face drawn through a substitute (Daybrook's Windows faces) is not in the
    // dialog's list: open on the family that really draws, so the dialog shows it.
    initial.setFamily(QFontInfo(initial).family());
    QFontDialog dialog(parent_);
    dialog.setCurrentFont(initial);
    // The dialog may open on another style of the face (bold where the face has no
    // regular style it can match, or the reverse): what counts as a change is a
    // change from what it showed, not from what was asked for.
    const QFont shown = dialog.currentFont();
    if (dialog.exec() != QDialog::Accepted)
        return false;
    const QFont f = dialog.selectedFont();
    if (f.family() != shown.family())
        FontName = f.family();
    if (!qFuzzyCompare(f.pointSizeF(), shown.pointSizeF()))
        FontSize = float(f.pointSizeF());
    if (f.bold() != shown.bold())
        FontBold = f.bold();
    return true;
}

bool QtCommonDialog::ShowOpen()
{
    const QString name = QFileDialog::getOpenFileName(parent_, QString(), InitDir, qtFilterFromCommon(Filter));
    if (name.isEmpty())
        return false;
    FileName = name;
    return true;
}

bool QtCommonDialog::ShowSave()
{
    const QStringList filters = qtFilterFromCommon(Filter).split(QStringLiteral(";;"));
    QString selected = filters.value(FilterIndex - 1, filters.value(0));
    const QString name = QFileDialog::getSaveFileName(parent_, QString(), InitDir, filters.join(QStringLiteral(";;")), &selected);
    if (name.isEmpty())
        return false;
    FileName = name;
    FilterIndex = int(filters.indexOf(selected)) + 1;
    if (FilterIndex < 1)
        FilterIndex = 1;
    return true;
}

} // namespace td
