#include "CommonDialog.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QFontDialog>
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
        out << parts[i] + QLatin1String(" (") + patterns.trimmed() + QLatin1Char(')');
    }
    return out.join(QLatin1String(";;"));
}

bool QtCommonDialog::ShowColor()
{
    const QColor initial(Color & 0xFF, (Color >> 8) & 0xFF, (Color >> 16) & 0xFF);
    const QColor c = QColorDialog::getColor(initial, parent_);
    if (!c.isValid())
        return false;
    Color = c.red() + 256 * c.green() + 65536 * c.blue();
    return true;
}

bool QtCommonDialog::ShowFont()
{
    QFont initial(FontName);
    if (FontSize > 0)
        initial.setPointSizeF(FontSize);
    initial.setBold(FontBold);
    bool ok = false;
    const QFont f = QFontDialog::getFont(&ok, initial, parent_);
    if (!ok)
        return false;
    FontName = f.family();
    FontSize = float(f.pointSizeF());
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
    const QString name = QFileDialog::getSaveFileName(parent_, QString(), InitDir, qtFilterFromCommon(Filter));
    if (name.isEmpty())
        return false;
    FileName = name;
    return true;
}

} // namespace td
