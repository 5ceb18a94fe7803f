#pragma once
// A spreadsheet server that writes nothing and records every operation in the
// object model's own words, e.g. "A2.BorderAround 1, 2, -4105, 20".
#include "export/Spreadsheet.h"

#include <QStringList>

namespace td::test {

// Outlives the servers that record into it (the export releases its server).
struct Recording {
    QStringList calls;
    IoStatus saveResult = IoStatus::success();
    int started = 0;
};

class RecordingServer : public xl::SpreadsheetServer {
public:
    explicit RecordingServer(Recording& r) : r_(r) { ++r_.started; }
    ~RecordingServer() override { r_.calls << QStringLiteral("(released)"); }

    bool setVisible(bool v) override { return rec(QStringLiteral("Visible = ") + b(v)); }
    bool setDisplayAlerts(bool v) override { return rec(QStringLiteral("DisplayAlerts = ") + b(v)); }
    bool addWorkbook() override { return rec(QStringLiteral("Workbooks.Add")); }
    bool setSheetName(const QString& n) override { return rec(QStringLiteral("Name = ") + n); }
    bool setValue(const xl::RangeRef& r, const QString& v) override { return at(r, QStringLiteral("Value = ") + v); }
    bool borderAround(const xl::RangeRef& r, const xl::BorderArgs& a) override
    {
        return at(r, QStringLiteral("BorderAround %1, %2, %3, %4")
                         .arg(a.lineStyle)
                         .arg(a.weight)
                         .arg(a.colorIndex ? QString::number(*a.colorIndex) : QString())
                         .arg(a.color ? QString::number(*a.color) : QString()));
    }
    bool setInteriorColorIndex(const xl::RangeRef& r, int i) override { return at(r, QStringLiteral("Interior.ColorIndex = %1").arg(i)); }
    bool setHorizontalAlignment(const xl::RangeRef& r, int a) override { return at(r, QStringLiteral("HorizontalAlignment = %1").arg(a)); }
    bool setVerticalAlignment(const xl::RangeRef& r, int a) override { return at(r, QStringLiteral("VerticalAlignment = %1").arg(a)); }
    bool setFontBold(const xl::RangeRef& r, bool v) override { return at(r, QStringLiteral("Font.Bold = ") + b(v)); }
    bool setFontSize(const xl::RangeRef& r, double p) override { return at(r, QStringLiteral("Font.Size = %1").arg(p)); }
    bool setFontName(const xl::RangeRef& r, const QString& f) override { return at(r, QStringLiteral("Font.Name = ") + f); }
    bool setFontColorIndex(const xl::RangeRef& r, int i) override { return at(r, QStringLiteral("Font.ColorIndex = %1").arg(i)); }
    bool setColumnWidth(const xl::RangeRef& r, double w) override { return at(r, QStringLiteral("ColumnWidth = %1").arg(w)); }
    bool setWrapText(const xl::RangeRef& r, bool v) override { return at(r, QStringLiteral("WrapText = ") + b(v)); }
    bool setDisplayGridlines(bool v) override { return rec(QStringLiteral("ActiveWindow.DisplayGridlines = ") + b(v)); }
    IoStatus saveAs(const xl::SaveAsArgs& a) override
    {
        rec(QStringLiteral("ActiveWorkbook.SaveAs %1, %2, \"%3\", \"%4\", %5, %6, %7")
                .arg(a.fileName)
                .arg(a.fileFormat)
                .arg(a.password, a.writeResPassword, b(a.readOnlyRecommended), b(a.createBackup))
                .arg(a.accessMode));
        return r_.saveResult;
    }
    void quit() override { rec(QStringLiteral("Quit")); }

private:
    static QString b(bool v) { return v ? QStringLiteral("True") : QStringLiteral("False"); }
    bool rec(const QString& call)
    {
        r_.calls << call;
        return true;
    }
    bool at(const xl::RangeRef& r, const QString& op) { return rec(r.address() + QLatin1Char('.') + op); }

    Recording& r_;
};

} // namespace td::test
