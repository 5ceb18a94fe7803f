#pragma once
#include "Spreadsheet.h"
#include "platform/FileSystem.h"

#include <QUrl>
#include <functional>
#include <map>
#include <tuple>
#include <vector>

namespace td::xl {

// Everything a cell (or a column, or the sheet as a whole) can be formatted with.
struct CellStyle {
    QString fontName = QStringLiteral("Calibri");
    double fontSize = 11;
    bool bold = false;
    int fontColorIndex = 0;     // 0: the default colour
    int interiorColorIndex = 0; // 0: no fill
    int horizontalAlignment = xlGeneral;
    int verticalAlignment = xlBottom;
    int borderLineStyle = xlLineStyleNone;
    int borderWeight = xlThin;
    qint64 borderRgb = -1; // 0xRRGGBB, or -1 for the automatic colour
    bool wrapText = false;

    auto key() const
    {
        return std::tie(fontName, fontSize, bold, fontColorIndex, interiorColorIndex, horizontalAlignment,
                        verticalAlignment, borderLineStyle, borderWeight, borderRgb, wrapText);
    }
    friend bool operator<(const CellStyle& a, const CellStyle& b) { return a.key() < b.key(); }
    friend bool operator==(const CellStyle& a, const CellStyle& b) { return a.key() == b.key(); }
};

struct Cell {
    int column = 0; // from 1
    QString value;  // empty: a blank cell that carries only its format
    CellStyle style;
};

// One row's cells, in column order.
struct Row {
    int number = 0; // from 1
    std::vector<Cell> cells;
};

struct Column {
    std::optional<double> width;
    std::optional<CellStyle> style; // set once a format reached the whole column
};

// One workbook with its one sheet, kept in memory until it is saved.
struct Sheet {
    QString name = QStringLiteral("Sheet1");
    CellStyle base; // what every cell starts from
    std::map<int, Column> columns;
    // The rows that hold a cell, in row order. An export fills them one after
    // another, so a new row nearly always goes at the end.
    std::vector<Row> rows;
    bool gridlines = true;
    // Rows and columns every printed page repeats (first, last; from 1).
    std::optional<std::pair<int, int>> printTitleRows, printTitleColumns;

    const Cell* cell(int row, int column) const;
    // The cell at (row, column), made blank with its column's format when there is none yet.
    Cell& cellAt(int row, int column);
};

// The in-process spreadsheet server: keeps the workbook in memory and writes it
// as an Office Open XML workbook when it is saved. "Visible" means the saved
// workbook is opened in the desktop's spreadsheet program.
class XlsxServer : public SpreadsheetServer {
public:
    XlsxServer(IFileSystem& fs, std::function<bool(const QUrl&)> openUrl);
    ~XlsxServer() override;

    bool setVisible(bool visible) override;
    bool setDisplayAlerts(bool show) override;
    bool addWorkbook() override;
    bool setSheetName(const QString& name) override;
    bool setValue(const RangeRef& range, const QString& value) override;
    bool borderAround(const RangeRef& range, const BorderArgs& border) override;
    bool setInteriorColorIndex(const RangeRef& range, int colorIndex) override;
    bool setHorizontalAlignment(const RangeRef& range, int alignment) override;
    bool setVerticalAlignment(const RangeRef& range, int alignment) override;
    bool setFontBold(const RangeRef& range, bool bold) override;
    bool setFontSize(const RangeRef& range, double points) override;
    bool setFontName(const RangeRef& range, const QString& face) override;
    bool setFontColorIndex(const RangeRef& range, int colorIndex) override;
    bool setColumnWidth(const RangeRef& range, double width) override;
    bool setWrapText(const RangeRef& range, bool wrap) override;
    bool setDisplayGridlines(bool show) override;
    bool setPrintTitleRows(const QString& rows) override;
    bool setPrintTitleColumns(const QString& columns) override;
    IoStatus saveAs(const SaveAsArgs& args) override;
    void quit() override;

    bool visible() const { return visible_; }
    // The open workbook's sheet; null before Workbooks.Add and after Quit.
    const Sheet* sheet() const { return sheet_.get(); }

    // Writes a sheet as a workbook file at path (replacing it), through a
    // temporary file so a failed write leaves an existing file untouched.
    static IoStatus writeWorkbook(const Sheet& sheet, IFileSystem& fs, const QString& path);

    // Cell text as the workbook stores it: a literal "_xHHHH_" escaped as
    // "_x005F_xHHHH_" so it reads back as written, and NUL characters dropped
    // (the file format cannot hold them; the text after one is kept).
    static QString storedText(const QString& text);

    // The longest text a cell holds; longer values are cut there.
    static constexpr int kMaxCellText = 32767;

private:
    // Applies f to every cell, column and sheet default the range covers.
    template <typename F>
    bool format(const RangeRef& range, F&& f);

    IFileSystem& fs_;
    std::function<bool(const QUrl&)> openUrl_;
    bool running_ = true;
    bool visible_ = false;
    bool displayAlerts_ = true;
    std::unique_ptr<Sheet> sheet_;
};

} // namespace td::xl
