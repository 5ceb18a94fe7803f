// Exports through the real workbook component and reads the workbook back with
// openpyxl, a reader that knows nothing of how it was written.
#include "TestSupport.h"
#include "export/ExportPage.h"

#include <QComboBox>
#include <QProcess>
#include <QPushButton>
#include <QTest>

using namespace td;

namespace {

// The reader's lines for the workbook: the sheet, then one line per cell.
QStringList readBack(const QString& path, QString& error)
{
    QProcess p;
    p.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral(READ_WORKBOOK_SCRIPT), path});
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        error = QStringLiteral("reader failed: ") + QString::fromUtf8(p.readAllStandardError()) + p.errorString();
    return QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

const QList<std::tuple<QString, QByteArray>> kDays = {
    {"2001_12/2001_12.1", "first\r\n"},
    {"2001_12/2001_12.1_D", "finished\r\n"},
    {"2001_12/2001_12.2", test::cp949(QStringLiteral("일요일 모임\r\n똠방각하\r\n"))},
    {"2001_12/2001_12.2_D", test::cp949(QStringLiteral("끝난 일\r\n"))},
    {"2001_12/2001_12.3", "a\r\n\r\nb\r\n"},
    {"2001_12/2001_12.4", "_x0041_ and _x0041_x0042_ stay\r\n"},
    {"2001_12/2001_12.4_D", QByteArray("before\0after\r\n", 14)},
    {"2001_12/2001_12.5", ""},
    {"2001_12/2001_12.6_D", "companion without a day file\r\n"},
    {"2001_12/2001_12.7", "\r\na\r\n"},
    {"2002_1/2002_1.15", "[Team meeting]\n[Exam D-30]\r\n"},
};

} // namespace

class TestExportWorkbook : public QObject {
    Q_OBJECT
private slots:
    void readBack();
};

// 2001/12 to 2002/1 exported and read back, every cell with its formatting.
void TestExportWorkbook::readBack()
{
    test::Fixture f;
    ExportPage page(f.services, nullptr);
    page.locale = QLocale(QLocale::English, QLocale::UnitedStates);
    for (const auto& [name, bytes] : kDays)
        test::writeFile(f.path(name), bytes);
    const QStringList lists = {"2001", "12", "2002", "1"};
    for (int i = 0; i < 2; ++i) {
        auto* year = test::control<QComboBox>(page, "CmbPYear", i);
        auto* month = test::control<QComboBox>(page, "CmbPmonth", i);
        year->setCurrentIndex(year->findText(lists[2 * i]));
        month->setCurrentIndex(month->findText(lists[2 * i + 1]));
    }
    const QString target = f.path(QStringLiteral("export"));
    f.dialog.confirmWith([target](CommonDialog& d) { d.FileName = target; });
    test::control<QPushButton>(page, "CmdTitle")->click();
    QCOMPARE(f.boxes.shown.size(), 1);
    QVERIFY(f.boxes.shown[0].text.contains(QStringLiteral("완료")));
    QString error;
    const QStringList book = ::readBack(target + QStringLiteral(".xlsx"), error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    // Rows from 3 without gaps; C only with a companion file; widths with the
    // padding the file format adds (18 -> 18.71).
    QCOMPARE(book, (QStringList{
                       "sheets Daybrook; gridlines False; 9 rows, 3 columns; widths A=18.7109 B=36.7109 C=36.7109",
                       "A1 \"Daybrook Data List\" Arial 14 bold - fill - border - align -/top",
                       "A2 \"Date\" Arial 8 bold - fill FFC0C0C0 border thin FF140000 align center/top",
                       "B2 \"ToDo List\" Arial 8 bold - fill FFCCCCFF border thin FF140000 align center/top wrap",
                       "C2 \"End List\" Arial 8 bold - fill FFFFFF99 border thin FF140000 align center/top wrap",
                       "A3 \"2001/12/1(Sat)\" Arial 8 bold FF0000FF fill - border thin FF140000 align -/top",
                       "B3 \"first\" Arial 8 - fill FFCCCCFF border thin FF180000 align -/top wrap",
                       "C3 \"finished\" Arial 8 - fill FFFFFF99 border thin FF240000 align -/top wrap",
                       "A4 \"2001/12/2(Sun)\" Arial 8 bold FFFF0000 fill - border thin FF140000 align -/top",
                       "B4 \"일요일 모임\\n똠방각하\" Arial 8 - fill FFCCCCFF border thin FF180000 align -/top wrap",
                       "C4 \"끝난 일\" Arial 8 - fill FFFFFF99 border thin FF240000 align -/top wrap",
                       "A5 \"2001/12/3(Mon)\" Arial 8 bold - fill - border thin FF140000 align -/top",
                       "B5 \"a\\n\\nb\" Arial 8 - fill FFCCCCFF border thin FF180000 align -/top wrap",
                       "A6 \"2001/12/4(Tue)\" Arial 8 bold - fill - border thin FF140000 align -/top", // literal text, NUL dropped
                       "B6 \"_x0041_ and _x0041_x0042_ stay\" Arial 8 - fill FFCCCCFF border thin FF180000 align -/top wrap",
                       "C6 \"beforeafter\" Arial 8 - fill FFFFFF99 border thin FF240000 align -/top wrap",
                       "A7 \"2001/12/5(Wed)\" Arial 8 bold - fill - border thin FF140000 align -/top", // an empty day file
                       "B7 null Arial 8 - fill FFCCCCFF border thin FF180000 align -/top wrap",
                       "A8 \"2001/12/7(Fri)\" Arial 8 bold - fill - border thin FF140000 align -/top", // leading empty line dropped
                       "B8 \"a\" Arial 8 - fill FFCCCCFF border thin FF180000 align -/top wrap",
                       "A9 \"2002/1/15(Tue)\" Arial 8 bold - fill - border thin FF140000 align -/top",
                       "B9 \"[Team meeting]\\n[Exam D-30]\" Arial 8 - fill FFCCCCFF border thin FF180000 align -/top wrap",
                   }));
}

QTEST_MAIN(TestExportWorkbook)
#include "tst_export_workbook.moc"
