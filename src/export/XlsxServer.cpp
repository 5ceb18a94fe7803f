#include "XlsxServer.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <xlsxwriter.h>

namespace td::xl {

namespace {

bool validSheetName(const QString& name)
{
    if (name.isEmpty() || name.size() > 31)
        return false;
    if (name.startsWith(QLatin1Char('\'')) || name.endsWith(QLatin1Char('\'')))
        return false;
    for (QChar c : name) {
        if (QStringView(u"[]:*?/\\").contains(c))
            return false;
    }
    return true;
}

// The palette entry of a fill or font colour; 0 when the range gets no colour of its own.
std::optional<int> colorIndexFor(int index, int noColour)
{
    if (index == noColour || index == xlColorIndexAutomatic)
        return 0;
    if (paletteRgb(index))
        return index;
    return std::nullopt;
}

std::optional<lxw_format_borders> borderType(int lineStyle, int weight)
{
    if (lineStyle == xlLineStyleNone)
        return LXW_BORDER_NONE;
    const bool medium = weight == xlMedium;
    switch (lineStyle) {
    case xlContinuous:
        switch (weight) {
        case xlHairline: return LXW_BORDER_HAIR;
        case xlThin: return LXW_BORDER_THIN;
        case xlMedium: return LXW_BORDER_MEDIUM;
        case xlThick: return LXW_BORDER_THICK;
        }
        return std::nullopt;
    case xlDash:
        return medium ? LXW_BORDER_MEDIUM_DASHED : LXW_BORDER_DASHED;
    case xlDot:
        return LXW_BORDER_DOTTED;
    case xlDouble:
        return LXW_BORDER_DOUBLE;
    }
    return std::nullopt;
}

std::optional<uint8_t> horizontalAlign(int a)
{
    switch (a) {
    case xlGeneral: return LXW_ALIGN_NONE;
    case xlLeft: return LXW_ALIGN_LEFT;
    case xlCenter: return LXW_ALIGN_CENTER;
    case xlRight: return LXW_ALIGN_RIGHT;
    case -4130: return LXW_ALIGN_JUSTIFY;     // xlJustify
    case 5: return LXW_ALIGN_FILL;            // xlFill
    case -4117: return LXW_ALIGN_DISTRIBUTED; // xlDistributed
    }
    return std::nullopt;
}

std::optional<uint8_t> verticalAlign(int a)
{
    switch (a) {
    case xlTop: return LXW_ALIGN_VERTICAL_TOP;
    case xlCenter: return LXW_ALIGN_VERTICAL_CENTER;
    case xlBottom: return LXW_ALIGN_VERTICAL_BOTTOM;
    case -4130: return LXW_ALIGN_VERTICAL_JUSTIFY;
    case -4117: return LXW_ALIGN_VERTICAL_DISTRIBUTED;
    }
    return std::nullopt;
}

// libxlsxwriter reads 0 as "no colour"; black has a value of its own.
lxw_color_t lxwColor(quint32 rgb)
{
    return rgb == 0 ? lxw_color_t(LXW_COLOR_BLACK) : lxw_color_t(rgb);
}

// A row tall enough for its largest font, in points (the spreadsheet's own steps of 0.75).
double rowHeightFor(double points)
{
    return std::ceil(points * 1.275 / 0.75) * 0.75;
}

// The lines a wrapped cell takes in a column of the given width. The width
// counts digits of the default 11-point font: smaller type fits more of them,
// and a Hangul syllable or another wide character takes two.
int wrappedLines(const QString& text, double columnWidth, double points)
{
    const double perLine = std::max(1.0, columnWidth * 11.0 / std::max(points, 1.0));
    int lines = 0;
    double units = 0;
    for (QChar c : text) {
        if (c == QLatin1Char('\n')) {
            lines += std::max(1, int(std::ceil(units / perLine)));
            units = 0;
            continue;
        }
        units += (c.unicode() >= 0x1100 && !c.isLowSurrogate()) ? 2 : (c.isLowSurrogate() ? 0 : 1);
    }
    return lines + std::max(1, int(std::ceil(units / perLine)));
}

// A cut that does not split a surrogate pair.
QString cellText(const QString& value)
{
    if (value.size() <= XlsxServer::kMaxCellText)
        return value;
    qsizetype n = XlsxServer::kMaxCellText;
    if (value.at(n - 1).isHighSurrogate())
        --n;
    return value.left(n);
}

class FormatCache {
public:
    explicit FormatCache(lxw_workbook* wb) : wb_(wb) {}

    lxw_format* get(const CellStyle& s)
    {
        auto it = formats_.find(s);
        if (it != formats_.end())
            return it->second;
        lxw_format* f = workbook_add_format(wb_);
        // libxlsxwriter has no workbook default font: every format names its own.
        format_set_font_name(f, s.fontName.toUtf8().constData());
        format_set_font_size(f, s.fontSize);
        if (s.bold)
            format_set_bold(f);
        if (s.fontColorIndex > 0)
            format_set_font_color(f, lxwColor(*paletteRgb(s.fontColorIndex)));
        if (s.interiorColorIndex > 0) {
            format_set_pattern(f, LXW_PATTERN_SOLID);
            format_set_bg_color(f, lxwColor(*paletteRgb(s.interiorColorIndex)));
        }
        if (s.horizontalAlignment != xlGeneral)
            format_set_align(f, *horizontalAlign(s.horizontalAlignment));
        if (s.verticalAlignment != xlBottom)
            format_set_align(f, *verticalAlign(s.verticalAlignment));
        if (s.wrapText)
            format_set_text_wrap(f);
        if (s.borderLineStyle != xlLineStyleNone) {
            format_set_border(f, *borderType(s.borderLineStyle, s.borderWeight));
            if (s.borderRgb >= 0)
                format_set_border_color(f, lxwColor(quint32(s.borderRgb)));
        }
        formats_.emplace(s, f);
        return f;
    }

private:
    lxw_workbook* wb_;
    std::map<CellStyle, lxw_format*> formats_;
};

} // namespace

const Cell* Sheet::cell(int row, int column) const
{
    const auto r = std::lower_bound(rows.begin(), rows.end(), row, [](const Row& a, int n) { return a.number < n; });
    if (r == rows.end() || r->number != row)
        return nullptr;
    const auto c = std::lower_bound(r->cells.begin(), r->cells.end(), column,
                                    [](const Cell& a, int n) { return a.column < n; });
    return c == r->cells.end() || c->column != column ? nullptr : &*c;
}

Cell& Sheet::cellAt(int row, int column)
{
    auto r = rows.end();
    if (rows.empty() || rows.back().number < row)
        r = rows.insert(r, Row{row, {}});
    else if (rows.back().number == row)
        r = rows.end() - 1;
    else {
        r = std::lower_bound(rows.begin(), rows.end(), row, [](const Row& a, int n) { return a.number < n; });
        if (r->number != row)
            r = rows.insert(r, Row{row, {}});
    }
    std::vector<Cell>& cells = r->cells;
    auto c = std::lower_bound(cells.begin(), cells.end(), column, [](const Cell& a, int n) { return a.column < n; });
    if (c == cells.end() || c->column != column) {
        const auto col = columns.find(column);
        const CellStyle& from = col != columns.end() && col->second.style ? *col->second.style : base;
        c = cells.insert(c, Cell{column, QString(), from});
    }
    return *c;
}

XlsxServer::XlsxServer(IFileSystem& fs, std::function<bool(const QUrl&)> openUrl)
    : fs_(fs), openUrl_(std::move(openUrl))
{
}

XlsxServer::~XlsxServer() = default;

bool XlsxServer::setVisible(bool visible)
{
    if (!running_)
        return false;
    visible_ = visible;
    return true;
}

bool XlsxServer::setDisplayAlerts(bool show)
{
    // The component never asks anything; the setting is kept for what it is.
    if (!running_)
        return false;
    displayAlerts_ = show;
    return true;
}

bool XlsxServer::addWorkbook()
{
    if (!running_)
        return false;
    sheet_ = std::make_unique<Sheet>();
    return true;
}

bool XlsxServer::setSheetName(const QString& name)
{
    if (!sheet_ || !validSheetName(name))
        return false;
    sheet_->name = name;
    return true;
}

template <typename F>
bool XlsxServer::format(const RangeRef& range, F&& f)
{
    if (!sheet_ || !range.valid())
        return false;
    Sheet& s = *sheet_;
    switch (range.kind) {
    case RangeRef::Kind::Cell:
        f(s.cellAt(range.row, range.column).style);
        return true;
    case RangeRef::Kind::Columns:
        for (int c = range.column; c <= range.lastColumn; ++c) {
            Column& col = s.columns[c];
            if (!col.style)
                col.style = s.base;
            f(*col.style);
        }
        break;
    case RangeRef::Kind::AllCells:
        f(s.base);
        for (auto& [c, col] : s.columns) {
            if (col.style)
                f(*col.style);
        }
        break;
    }
    for (Row& row : s.rows) {
        for (Cell& cell : row.cells) {
            if (range.containsColumn(cell.column))
                f(cell.style);
        }
    }
    return true;
}

bool XlsxServer::setValue(const RangeRef& range, const QString& value)
{
    if (range.kind != RangeRef::Kind::Cell)
        return false;
    if (!sheet_ || !range.valid())
        return false;
    sheet_->cellAt(range.row, range.column).value = cellText(value);
    return true;
}

bool XlsxServer::borderAround(const RangeRef& range, const BorderArgs& border)
{
    // Only single cells get an outline here; the export draws no other.
    if (range.kind != RangeRef::Kind::Cell || !borderType(border.lineStyle, border.weight))
        return false;
    qint64 rgb = -1;
    if (border.color) {
        rgb = rgbFromColorValue(*border.color);
    } else if (border.colorIndex && *border.colorIndex != xlColorIndexAutomatic) {
        const auto p = paletteRgb(*border.colorIndex);
        if (!p)
            return false;
        rgb = *p;
    }
    return format(range, [&](CellStyle& s) {
        s.borderLineStyle = border.lineStyle;
        s.borderWeight = border.weight;
        s.borderRgb = rgb;
    });
}

bool XlsxServer::setInteriorColorIndex(const RangeRef& range, int colorIndex)
{
    const auto index = colorIndexFor(colorIndex, xlColorIndexNone);
    if (!index)
        return false;
    return format(range, [&](CellStyle& s) { s.interiorColorIndex = *index; });
}

bool XlsxServer::setHorizontalAlignment(const RangeRef& range, int alignment)
{
    if (!horizontalAlign(alignment))
        return false;
    return format(range, [&](CellStyle& s) { s.horizontalAlignment = alignment; });
}

bool XlsxServer::setVerticalAlignment(const RangeRef& range, int alignment)
{
    if (!verticalAlign(alignment))
        return false;
    return format(range, [&](CellStyle& s) { s.verticalAlignment = alignment; });
}

bool XlsxServer::setFontBold(const RangeRef& range, bool bold)
{
    return format(range, [&](CellStyle& s) { s.bold = bold; });
}

bool XlsxServer::setFontSize(const RangeRef& range, double points)
{
    if (!(points >= 1 && points <= 409))
        return false;
    return format(range, [&](CellStyle& s) { s.fontSize = points; });
}

bool XlsxServer::setFontName(const RangeRef& range, const QString& face)
{
    if (face.trimmed().isEmpty() || face.size() > 31)
        return false;
    return format(range, [&](CellStyle& s) { s.fontName = face; });
}

bool XlsxServer::setFontColorIndex(const RangeRef& range, int colorIndex)
{
    const auto index = colorIndexFor(colorIndex, 0);
    if (!index)
        return false;
    return format(range, [&](CellStyle& s) { s.fontColorIndex = *index; });
}

bool XlsxServer::setColumnWidth(const RangeRef& range, double width)
{
    if (!sheet_ || !range.valid() || range.kind == RangeRef::Kind::AllCells || !(width >= 0 && width <= 255))
        return false;
    // A cell's width is its column's.
    for (int c = range.column; c <= range.lastColumn; ++c)
        sheet_->columns[c].width = width;
    return true;
}

bool XlsxServer::setWrapText(const RangeRef& range, bool wrap)
{
    return format(range, [&](CellStyle& s) { s.wrapText = wrap; });
}

bool XlsxServer::setDisplayGridlines(bool show)
{
    if (!sheet_)
        return false;
    sheet_->gridlines = show;
    return true;
}

bool XlsxServer::setPrintTitleRows(const QString& rows)
{
    static const QRegularExpression form(QStringLiteral("^\\$?(\\d+):\\$?(\\d+)$"));
    const QRegularExpressionMatch m = form.match(rows);
    const int first = m.captured(1).toInt(), last = m.captured(2).toInt();
    if (!sheet_ || !m.hasMatch() || first < 1 || last < first || last > 1048576)
        return false;
    sheet_->printTitleRows = std::pair(first, last);
    return true;
}

bool XlsxServer::setPrintTitleColumns(const QString& columns)
{
    const std::optional<RangeRef> ref = RangeRef::columns(QString(columns).remove(QLatin1Char('$')));
    if (!sheet_ || !ref)
        return false;
    sheet_->printTitleColumns = std::pair(ref->column, ref->lastColumn);
    return true;
}

IoStatus XlsxServer::saveAs(const SaveAsArgs& args)
{
    if (!running_ || !sheet_)
        return IoStatus::failure(args.fileName, QStringLiteral("no workbook is open"));
    const IoStatus st = writeWorkbook(*sheet_, fs_, args.fileName);
    if (st && visible_ && openUrl_)
        openUrl_(QUrl::fromLocalFile(QFileInfo(args.fileName).absoluteFilePath()));
    return st;
}

void XlsxServer::quit()
{
    // An unsaved workbook is dropped without asking.
    sheet_.reset();
    visible_ = false;
    running_ = false;
}

QString XlsxServer::storedText(const QString& text)
{
    // Every "_" that opens such a sequence is escaped, overlapping ones too
    // ("_x0041_x0042_"), as readers decode from left to right.
    static const QRegularExpression opening(QStringLiteral("_(?=x[0-9A-Fa-f]{4}_)"));
    // Nearly every note has neither, and is stored as it is.
    const QStringView view(text);
    bool plain = !view.contains(QChar(0));
    for (qsizetype i = view.indexOf(u'_'); plain && i >= 0; i = view.indexOf(u'_', i + 1))
        plain = i + 1 == view.size() || view[i + 1] != u'x';
    if (plain)
        return text;
    QString out = text;
    out.remove(QChar(0));
    out.replace(opening, QStringLiteral("_x005F_"));
    return out;
}

IoStatus XlsxServer::writeWorkbook(const Sheet& sheet, IFileSystem& fs, const QString& path)
{
    if (path.isEmpty())
        return IoStatus::failure(path, QStringLiteral("no file name was given"));
    QTemporaryDir tmp;
    if (!tmp.isValid())
        return IoStatus::failure(path, tmp.errorString());
    const QByteArray tmpDir = QFile::encodeName(tmp.path());
    const QString tmpFile = tmp.filePath(QStringLiteral("book.xlsx"));
    const QByteArray tmpName = QFile::encodeName(tmpFile);

    lxw_workbook_options options{};
    options.tmpdir = const_cast<char*>(tmpDir.constData());
    lxw_workbook* wb = workbook_new_opt(tmpName.constData(), &options);
    if (!wb)
        return IoStatus::failure(path, QStringLiteral("the workbook could not be created"));

    lxw_error failed = LXW_NO_ERROR;
    auto check = [&](lxw_error e) {
        if (e != LXW_NO_ERROR && failed == LXW_NO_ERROR)
            failed = e;
    };

    const QByteArray sheetName = sheet.name.toUtf8();
    lxw_worksheet* ws = workbook_add_worksheet(wb, sheetName.constData());
    if (ws) {
        FormatCache formats(wb);
        const bool baseChanged = !(sheet.base == CellStyle());
        // Only the columns the sheet names carry a format. Formatting every
        // column would stretch the sheet's used range to column XFD, which some
        // spreadsheet programs refuse to load in full.
        for (const auto& [c, col] : sheet.columns) {
            lxw_format* f = col.style ? formats.get(*col.style) : baseChanged ? formats.get(sheet.base)
                                                                              : nullptr;
            check(worksheet_set_column(ws, lxw_col_t(c - 1), lxw_col_t(c - 1), col.width.value_or(LXW_DEF_COL_WIDTH), f));
        }

        // A row is as tall as its largest font, or as the lines of its wrapped
        // cells need, up to the spreadsheet's 409 points: no note runs over the rows below.
        int row = 0;
        double tallest = 0, needed = 0;
        auto finishRow = [&] {
            const double height = std::min(409.0, std::max(tallest > 11 ? rowHeightFor(tallest) : 0.0, needed));
            if (row > 0 && height > 0)
                check(worksheet_set_row(ws, lxw_row_t(row - 1), height, nullptr));
        };
        QByteArray utf8;
        for (const Row& r : sheet.rows) {
            row = r.number;
            tallest = 0;
            needed = 0;
            for (const Cell& cell : r.cells) {
                tallest = qMax(tallest, cell.style.fontSize);
                lxw_format* f = formats.get(cell.style);
                if (cell.value.isEmpty()) {
                    check(worksheet_write_blank(ws, lxw_row_t(row - 1), lxw_col_t(cell.column - 1), f));
                    continue;
                }
                const QString text = storedText(cell.value);
                if (cell.style.wrapText) {
                    const auto col = sheet.columns.find(cell.column);
                    const double width = col != sheet.columns.end() && col->second.width ? *col->second.width : LXW_DEF_COL_WIDTH;
                    const int lines = wrappedLines(text, width, cell.style.fontSize);
                    if (lines > 1)
                        needed = std::max(needed, lines * rowHeightFor(cell.style.fontSize));
                }
                utf8 = text.toUtf8();
                check(worksheet_write_string(ws, lxw_row_t(row - 1), lxw_col_t(cell.column - 1), utf8.constData(), f));
            }
            finishRow();
        }
        if (!sheet.gridlines)
            worksheet_gridlines(ws, LXW_HIDE_ALL_GRIDLINES);
        if (sheet.printTitleRows)
            check(worksheet_repeat_rows(ws, lxw_row_t(sheet.printTitleRows->first - 1), lxw_row_t(sheet.printTitleRows->second - 1)));
        if (sheet.printTitleColumns)
            check(worksheet_repeat_columns(ws, lxw_col_t(sheet.printTitleColumns->first - 1),
                                           lxw_col_t(sheet.printTitleColumns->second - 1)));
    }
    const lxw_error closed = workbook_close(wb);
    if (!ws)
        return IoStatus::failure(path, QStringLiteral("the sheet could not be created"));
    check(closed);
    if (failed != LXW_NO_ERROR)
        return IoStatus::failure(path, QString::fromUtf8(lxw_strerror(failed)));

    // The library writes its own temporary files; what it made is read back
    // like any other file, so a failed read is told, never a half workbook saved.
    QByteArray bytes;
    if (const IoStatus st = fs.readAll(tmpFile, bytes); !st)
        return IoStatus::failure(path, st.reason);
    // A workbook cut short (a full temporary folder) lacks the closing record of its archive.
    static const QByteArray endOfArchive("PK\x05\x06", 4);
    const qsizetype end = bytes.lastIndexOf(endOfArchive);
    if (end < 0 || end > bytes.size() - 22 || end < bytes.size() - 22 - 0xFFFF)
        return IoStatus::failure(path, QStringLiteral("the workbook could not be written in the temporary folder"));
    return fs.writeAtomic(path, bytes, Durability::Synced);
}

} // namespace td::xl
