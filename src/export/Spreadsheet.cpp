#include "Spreadsheet.h"

#include <QStringList>
#include <array>

namespace td::xl {

namespace {
// The spreadsheet's classic default palette, indexes 1 to 56.
constexpr std::array<quint32, 56> kPalette = {
    0x000000,
    0xFFFFFF,
    0xFF0000,
    0x00FF00,
    0x0000FF,
    0xFFFF00,
    0xFF00FF,
    0x00FFFF,
    0x800000,
    0x008000,
    0x000080,
    0x808000,
    0x800080,
    0x008080,
    0xC0C0C0,
    0x808080,
    0x9999FF,
    0x993366,
    0xFFFFCC,
    0xCCFFFF,
    0x660066,
    0xFF8080,
    0x0066CC,
    0xCCCCFF,
    0x000080,
    0xFF00FF,
    0xFFFF00,
    0x00FFFF,
    0x800080,
    0x800000,
    0x008080,
    0x0000FF,
    0x00CCFF,
    0xCCFFFF,
    0xCCFFCC,
    0xFFFF99,
    0x99CCFF,
    0xFF99CC,
    0xCC99FF,
    0xFFCC99,
    0x3366FF,
    0x33CCCC,
    0x99CC00,
    0xFFCC00,
    0xFF9900,
    0xFF6600,
    0x666699,
    0x969696,
    0x003366,
    0x339966,
    0x003300,
    0x333300,
    0x993300,
    0x993366,
    0x333399,
    0x333333,
};
constexpr int kMaxColumn = 16384;

int columnNumber(QStringView letters)
{
    if (letters.isEmpty() || letters.size() > 3)
        return 0;
    int n = 0;
    for (QChar ch : letters) {
        const char16_t c = ch.toUpper().unicode();
        if (c < u'A' || c > u'Z')
            return 0;
        n = n * 26 + (c - u'A' + 1);
    }
    return n <= kMaxColumn ? n : 0;
}
} // namespace

std::optional<quint32> paletteRgb(int colorIndex)
{
    if (colorIndex < 1 || colorIndex > int(kPalette.size()))
        return std::nullopt;
    return kPalette[colorIndex - 1];
}

quint32 rgbFromColorValue(qint32 color)
{
    const auto v = quint32(color);
    return ((v & 0xFF) << 16) | (v & 0xFF00) | ((v >> 16) & 0xFF);
}

std::optional<RangeRef> RangeRef::columns(const QString& reference)
{
    const QStringList parts = reference.trimmed().split(QLatin1Char(':'));
    if (parts.size() > 2)
        return std::nullopt;
    const int first = columnNumber(parts.front());
    const int last = columnNumber(parts.back());
    if (first == 0 || last == 0)
        return std::nullopt;
    return RangeRef{Kind::Columns, 0, qMin(first, last), qMax(first, last)};
}

bool RangeRef::valid() const
{
    switch (kind) {
    case Kind::Cell:
        return row >= 1 && row <= 1048576 && column >= 1 && column <= kMaxColumn;
    case Kind::Columns:
        return column >= 1 && column <= lastColumn && lastColumn <= kMaxColumn;
    case Kind::AllCells:
        return true;
    }
    return false;
}

QString columnLetters(int column)
{
    QString s;
    while (column > 0) {
        const int r = (column - 1) % 26;
        s.prepend(QChar(u'A' + r));
        column = (column - 1) / 26;
    }
    return s;
}

QString RangeRef::address() const
{
    switch (kind) {
    case Kind::Cell:
        return columnLetters(column) + QString::number(row);
    case Kind::Columns:
        return columnLetters(column) + QLatin1Char(':') + columnLetters(lastColumn);
    case Kind::AllCells:
        break;
    }
    return QStringLiteral("Cells");
}

IoStatus Workbook::SaveAs(const QString& fileName, int fileFormat, const QString& password,
                          const QString& writeResPassword, bool readOnlyRecommended, bool createBackup,
                          int accessMode) const
{
    if (!s_)
        return IoStatus::failure(fileName, QStringLiteral("no workbook is open"));
    return s_->saveAs({fileName, fileFormat, password, writeResPassword, readOnlyRecommended, createBackup, accessMode});
}

} // namespace td::xl
