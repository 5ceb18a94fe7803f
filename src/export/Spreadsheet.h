#pragma once
#include "platform/IoStatus.h"

#include <QString>
#include <QtGlobal>
#include <optional>

namespace td::xl {

// Constants of the spreadsheet object model, with the values its automation
// interface gives them.
inline constexpr int xlContinuous = 1;
inline constexpr int xlDash = -4115;
inline constexpr int xlDot = -4118;
inline constexpr int xlDouble = -4119;
inline constexpr int xlLineStyleNone = -4142;
inline constexpr int xlHairline = 1;
inline constexpr int xlThin = 2;
inline constexpr int xlMedium = -4138;
inline constexpr int xlThick = 4;
inline constexpr int xlColorIndexAutomatic = -4105;
inline constexpr int xlColorIndexNone = -4142;
inline constexpr int xlGeneral = 1;
inline constexpr int xlLeft = -4131;
inline constexpr int xlCenter = -4108;
inline constexpr int xlRight = -4152;
inline constexpr int xlTop = -4160;
inline constexpr int xlBottom = -4107;
inline constexpr int xlNormal = -4143;
inline constexpr int xlNoChange = 1;

// The classic 56-colour palette: index 1..56 to 0xRRGGBB; nothing for other indexes.
std::optional<quint32> paletteRgb(int colorIndex);
// A colour argument of the object model (red + 256 * green + 65536 * blue) as 0xRRGGBB.
quint32 rgbFromColorValue(qint32 color);

// The cells an operation addresses: one cell, whole columns, or every cell of the sheet.
struct RangeRef {
    enum class Kind {
        Cell,
        Columns,
        AllCells,
    };
    Kind kind = Kind::AllCells;
    int row = 0;        // Cell
    int column = 0;     // Cell; first column of Columns
    int lastColumn = 0; // Columns

    static RangeRef cell(int row, int column) { return {Kind::Cell, row, column, column}; }
    static RangeRef allCells() { return {}; }
    // "A:A", "B:C"; nothing for a reference that names no columns.
    static std::optional<RangeRef> columns(const QString& reference);

    bool valid() const;
    bool containsColumn(int c) const { return kind == Kind::AllCells || (c >= column && c <= lastColumn); }
    // "A2", "A:A", "Cells".
    QString address() const;
    friend bool operator==(const RangeRef&, const RangeRef&) = default;
};

// "A" for 1, "AB" for 28.
QString columnLetters(int column);

struct BorderArgs {
    int lineStyle = xlContinuous;
    int weight = xlThin;
    std::optional<int> colorIndex; // omitted when empty
    std::optional<qint32> color;   // omitted when empty
};

struct SaveAsArgs {
    QString fileName;
    int fileFormat = xlNormal;
    QString password;
    QString writeResPassword;
    bool readOnlyRecommended = false;
    bool createBackup = false;
    int accessMode = xlNoChange;
};

// The spreadsheet application as the export drives it: one operation per call.
// An operation the server refuses (no workbook open, a value it does not know)
// returns false and changes nothing; callers may go on with the next one.
class SpreadsheetServer {
public:
    virtual ~SpreadsheetServer() = default;

    virtual bool setVisible(bool visible) = 0;
    virtual bool setDisplayAlerts(bool show) = 0;
    virtual bool addWorkbook() = 0;
    virtual bool setSheetName(const QString& name) = 0;
    virtual bool setValue(const RangeRef& range, const QString& value) = 0;
    virtual bool borderAround(const RangeRef& range, const BorderArgs& border) = 0;
    virtual bool setInteriorColorIndex(const RangeRef& range, int colorIndex) = 0;
    virtual bool setHorizontalAlignment(const RangeRef& range, int alignment) = 0;
    virtual bool setVerticalAlignment(const RangeRef& range, int alignment) = 0;
    virtual bool setFontBold(const RangeRef& range, bool bold) = 0;
    virtual bool setFontSize(const RangeRef& range, double points) = 0;
    virtual bool setFontName(const RangeRef& range, const QString& face) = 0;
    virtual bool setFontColorIndex(const RangeRef& range, int colorIndex) = 0;
    virtual bool setColumnWidth(const RangeRef& range, double width) = 0;
    virtual bool setWrapText(const RangeRef& range, bool wrap) = 0;
    virtual bool setDisplayGridlines(bool show) = 0;
    // What every printed page repeats: rows as "$2:$2", columns as "$A:$A".
    virtual bool setPrintTitleRows(const QString& rows) = 0;
    virtual bool setPrintTitleColumns(const QString& columns) = 0;
    // Success only when the workbook file was really written.
    virtual IoStatus saveAs(const SaveAsArgs& args) = 0;
    virtual void quit() = 0;
};

// Handles of the object model. Each holds the server (possibly none, when it
// could not be started: then every operation fails) and what it addresses.
class FontRef {
public:
    FontRef(SpreadsheetServer* s, RangeRef r) : s_(s), r_(r) {}
    bool Bold(bool bold) const { return s_ && s_->setFontBold(r_, bold); }
    bool Size(double points) const { return s_ && s_->setFontSize(r_, points); }
    bool Name(const QString& face) const { return s_ && s_->setFontName(r_, face); }
    bool ColorIndex(int index) const { return s_ && s_->setFontColorIndex(r_, index); }

private:
    SpreadsheetServer* s_;
    RangeRef r_;
};

class InteriorRef {
public:
    InteriorRef(SpreadsheetServer* s, RangeRef r) : s_(s), r_(r) {}
    bool ColorIndex(int index) const { return s_ && s_->setInteriorColorIndex(r_, index); }

private:
    SpreadsheetServer* s_;
    RangeRef r_;
};

class Range {
public:
    Range(SpreadsheetServer* s, RangeRef r) : s_(s), r_(r) {}
    bool Value(const QString& value) const { return s_ && s_->setValue(r_, value); }
    bool BorderAround(int lineStyle, int weight, std::optional<int> colorIndex = {},
                      std::optional<qint32> color = {}) const
    {
        return s_ && s_->borderAround(r_, {lineStyle, weight, colorIndex, color});
    }
    InteriorRef Interior() const { return {s_, r_}; }
    FontRef Font() const { return {s_, r_}; }
    bool HorizontalAlignment(int a) const { return s_ && s_->setHorizontalAlignment(r_, a); }
    bool VerticalAlignment(int a) const { return s_ && s_->setVerticalAlignment(r_, a); }
    bool ColumnWidth(double w) const { return s_ && s_->setColumnWidth(r_, w); }
    bool WrapText(bool wrap) const { return s_ && s_->setWrapText(r_, wrap); }

private:
    SpreadsheetServer* s_;
    RangeRef r_;
};

class PageSetupRef {
public:
    explicit PageSetupRef(SpreadsheetServer* s) : s_(s) {}
    bool PrintTitleRows(const QString& rows) const { return s_ && s_->setPrintTitleRows(rows); }
    bool PrintTitleColumns(const QString& columns) const { return s_ && s_->setPrintTitleColumns(columns); }

private:
    SpreadsheetServer* s_;
};

class Worksheet {
public:
    explicit Worksheet(SpreadsheetServer* s) : s_(s) {}
    bool Name(const QString& name) const { return s_ && s_->setSheetName(name); }
    Range Cells(int row, int column) const { return {s_, RangeRef::cell(row, column)}; }
    Range Cells() const { return {s_, RangeRef::allCells()}; }
    PageSetupRef PageSetup() const { return PageSetupRef(s_); }
    Range Columns(const QString& reference) const
    {
        const auto ref = RangeRef::columns(reference);
        return {ref ? s_ : nullptr, ref.value_or(RangeRef())};
    }

private:
    SpreadsheetServer* s_;
};

class Workbook {
public:
    explicit Workbook(SpreadsheetServer* s) : s_(s) {}
    Worksheet ActiveSheet() const { return Worksheet(s_); }
    IoStatus SaveAs(const QString& fileName, int fileFormat, const QString& password,
                    const QString& writeResPassword, bool readOnlyRecommended, bool createBackup,
                    int accessMode) const;

private:
    SpreadsheetServer* s_;
};

class Workbooks {
public:
    explicit Workbooks(SpreadsheetServer* s) : s_(s) {}
    // The new workbook; its handle fails every operation when Add failed.
    Workbook Add() const { return Workbook(s_ && s_->addWorkbook() ? s_ : nullptr); }

private:
    SpreadsheetServer* s_;
};

class Window {
public:
    explicit Window(SpreadsheetServer* s) : s_(s) {}
    bool DisplayGridlines(bool show) const { return s_ && s_->setDisplayGridlines(show); }

private:
    SpreadsheetServer* s_;
};

class Application {
public:
    explicit Application(SpreadsheetServer* s) : s_(s) {}
    bool started() const { return s_ != nullptr; }
    bool Visible(bool visible) const { return s_ && s_->setVisible(visible); }
    bool DisplayAlerts(bool show) const { return s_ && s_->setDisplayAlerts(show); }
    xl::Workbooks Workbooks() const { return xl::Workbooks(s_); }
    Window ActiveWindow() const { return Window(s_); }
    Workbook ActiveWorkbook() const { return Workbook(s_); }
    void Quit() const
    {
        if (s_)
            s_->quit();
    }

private:
    SpreadsheetServer* s_;
};

} // namespace td::xl
