#include "TestSupport.h"

#include "i18n/LanguageApplier.h"
#include "i18n/LanguageFile.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "ui/Controls.h"

using namespace td;
using namespace td::test;

namespace {

// A program folder holding a language file with these lines (CP949, CR LF).
struct LngFixture : Fixture {
    explicit LngFixture(const QByteArray& content, const QString& language = QStringLiteral("Korean"))
        : Fixture(language)
    {
        writeFile(path(QStringLiteral("tune") + language + QStringLiteral(".lng")), content);
    }
    LanguageFile lng{fs, boxes, dir.path(), services.currentLanguage};
    QString fileName() const { return QStringLiteral("tune") + services.currentLanguage + QStringLiteral(".lng"); }
};

} // namespace

class TestI18n : public QObject {
    Q_OBJECT
private slots:
    void lookup_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("text");
        QTest::newRow("plain") << cp949(QStringLiteral("1000 자동설정\r\n")) << 1000 << QStringLiteral("자동설정");
        QTest::newRow("last line wins") << QByteArray("1000 first\r\n1001 x\r\n1000 second\r\n") << 1000 << QStringLiteral("second");
        QTest::newRow("key without text") << QByteArray("1603 \r\n") << 1603 << QStringLiteral("??????");
        QTest::newRow("missing key") << QByteArray("1000 a\r\n") << 1018 << QString();
        QTest::newRow("blank lines skipped") << QByteArray("\r\n1000 a\r\n\r\n\r\n1001 b\r\n") << 1001 << QStringLiteral("b");
        // The text always starts at the 6th character.
        QTest::newRow("five-digit key keeps the space") << QByteArray("10020 tip\r\n") << 10020 << QStringLiteral(" tip");
        QTest::newRow("outermost key") << QByteArray("-32768 min\r\n") << -32768 << QStringLiteral("8 min");
        QTest::newRow("cr only line ends") << QByteArray("1000 a\r1001 b\r") << 1001 << QStringLiteral("b");
        QTest::newRow("lf stays in line") << QByteArray("1000 a\nb\r\n") << 1000 << QStringLiteral("a\nb");
        QTest::newRow("no final line end") << QByteArray("1000 a\r\n1001 end") << 1001 << QStringLiteral("end");
    }
    void lookup()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, key);
        QFETCH(QString, text);
        LngFixture fx(file);
        QCOMPARE(fx.lng.GetLngText(key, fx.fileName()), text);
        QVERIFY(fx.boxes.shown.isEmpty());
    }

    void malformedFileEndsSilently_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::newRow("line without space") << QByteArray("1000 a\r\nnospace\r\n");
        QTest::newRow("key out of range") << QByteArray("32768 text\r\n");
        // A bad line after the wanted key still ends the program at the first lookup.
        QTest::newRow("bad line at the end") << QByteArray("1000 a\r\n1001 b\r\nbroken\r\n");
    }
    void malformedFileEndsSilently()
    {
        QFETCH(QByteArray, file);
        LngFixture fx(file);
        bool ended = false;
        try {
            fx.lng.GetLngText(1000, fx.fileName());
        } catch (const ProgramEnd& e) {
            ended = true;
            QVERIFY(e.exitCode != 0);
        }
        QVERIFY(ended);
        QVERIFY(fx.boxes.shown.isEmpty());
    }

    void missingFileShowsMessage_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("title");
        // clang-format off
        QTest::newRow("korean") << QStringLiteral("Korean")
                                << QStringLiteral("파일을 찾을수 없습니다..\r\n적어도 하나의 언어파일이 있어야 합니다!")
                                << QStringLiteral("언어 파일 없음");
        QTest::newRow("english") << QStringLiteral("English")
                                 << QStringLiteral("File Not Found.\r\nMust Have at least one Language File!")
                                 << QStringLiteral("Errore While Loading");
        // clang-format on
    }
    void missingFileShowsMessage()
    {
        QFETCH(QString, language);
        QFETCH(QString, text);
        QFETCH(QString, title);
        Fixture fx(language);
        LanguageFile lng(fx.fs, fx.boxes, fx.dir.path(), language);
        QVERIFY_THROWS_EXCEPTION(ProgramEnd, lng.GetLngText(1000, QStringLiteral("tune") + language + QStringLiteral(".lng")));
        QCOMPARE(fx.boxes.shown.size(), 1);
        QCOMPARE(fx.boxes.shown[0].text, text);
        QCOMPARE(fx.boxes.shown[0].title, title);
        QCOMPARE(fx.boxes.shown[0].icon, MsgIcon::Critical);
        QCOMPARE(fx.boxes.shown[0].buttons, MsgButtons::Ok);
    }

    // A folder with a trailing separator is not doubled; the file is read once per window.
    void folderAndReadsOnce()
    {
        LngFixture fx("1000 a\r\n1001 b\r\n");
        LanguageFile lng(fx.fs, fx.boxes, fx.dir.path() + QLatin1Char('/'), QStringLiteral("Korean"));
        for (int i = 0; i < 50; ++i)
            QCOMPARE(lng.GetLngText(1000 + i % 2, fx.fileName()), i % 2 ? QStringLiteral("b") : QStringLiteral("a"));
        QCOMPARE(lng.fileReads(), 1);
    }

    void shippedFileCoversEveryKey()
    {
        QByteArray bytes = readFile(QStringLiteral(TUNEDESK_SOURCE_DIR "/data/tuneKorean.lng"));
        QVERIFY(!bytes.isEmpty());
        QVERIFY(!bytes.contains("\n\n"));
        QCOMPARE(bytes.count("\r\n"), bytes.count('\n')); // CR LF throughout
        const auto texts = LanguageFile::parse(bytes);
        QVERIFY(texts.has_value());
        // Every caption key the window asks for, as ranges.
        // clang-format off
        const std::pair<int, int> ranges[] = {{1000, 1018}, {1100, 1118}, {1200, 1208}, {1300, 1311}, {1400, 1406},
                                              {1500, 1501}, {1503, 1506}, {1600, 1612}, {1700, 1700}, {1705, 1711},
                                              {2000, 2000}, {3000, 3000}};
        // clang-format on
        for (const auto& [from, to] : ranges) {
            for (int key = from; key <= to; ++key)
                QVERIFY2(!texts->value(key).isEmpty() && texts->value(key) != QLatin1String("??????"),
                         qPrintable(QString::number(key)));
        }
    }

    void lanSetupFillsListsOnce_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("face");
        QTest::addColumn<int>("listSize");
        QTest::addColumn<QString>("firstPage");
        // clang-format off
        QTest::newRow("korean") << QStringLiteral("Korean") << QStringLiteral("굴림") << 9 << QStringLiteral("자동설정");
        QTest::newRow("trailing space is not Korean") << QStringLiteral("Korean ") << QStringLiteral("Arial") << 8
                                                      << QStringLiteral("DefaultSet");
        // clang-format on
    }
    void lanSetupFillsListsOnce()
    {
        QFETCH(QString, language);
        QFETCH(QString, face);
        QFETCH(int, listSize);
        QFETCH(QString, firstPage);
        LngFixture fx("1000 title\r\n", language);
        QWidget window;
        auto* list = new QListWidget(&window);
        auto* modes = new QComboBox(&window);
        auto* presets = new QComboBox(&window);
        auto* title = new QLabel(&window);
        nameControl(title, QStringLiteral("LblOptTitle"), 1000);
        list->addItem(QStringLiteral("designed entry"));
        for (int round = 0; round < 2; ++round) {
            const bool korean = LanSetup({list, modes, presets, title, &window}, language, fx.lng);
            QCOMPARE(korean, language == QLatin1String("Korean"));
            QCOMPARE(list->count(), 8);
            QCOMPARE(modes->count(), 7);
            QCOMPARE(presets->count(), 9);
            QCOMPARE(list->currentRow(), -1);
            QCOMPARE(modes->currentIndex(), -1);
            QCOMPARE(presets->currentIndex(), -1);
        }
        QCOMPARE(list->item(0)->text(), firstPage);
        QCOMPARE(list->font().family(), face);
        QCOMPARE(list->font().pointSize(), listSize);
        QCOMPARE(title->font().family(), face);
        QCOMPARE(title->text(), QStringLiteral("title"));
    }

    void applierFollowsControlKinds()
    {
        LngFixture fx("1001 frame\r\n1002 left\r\n10020 tip\r\n1005 label\r\n1006 text\r\n1018 store\r\n1311 undo\r\n");
        QWidget window;
        auto* frame = new QGroupBox(QStringLiteral("designed"), &window);
        nameControl(frame, QStringLiteral("Frame11"), 1001);
        auto* opt = new QRadioButton(QStringLiteral("designed"), frame);
        nameControl(opt, QStringLiteral("OptPos"), 1002, 0);
        auto* label = new QLabel(QStringLiteral("designed"), &window);
        nameControl(label, QStringLiteral("LblColor"), 1005, 7);
        auto* untagged = new QLabel(QStringLiteral("keep me"), &window);
        nameControl(untagged, QStringLiteral("Label99"));
        auto* edit = new QLineEdit(QStringLiteral("designed"), &window);
        nameControl(edit, QStringLiteral("TxtX"), 1006);
        auto* button = new QPushButton(&window);
        nameControl(button, QStringLiteral("CmdDColor"), 1018);
        auto* missing = new QPushButton(QStringLiteral("designed"), &window);
        nameControl(missing, QStringLiteral("CmdBasic"), 1309);
        auto* arrayButton = new QPushButton(&window);
        nameControl(arrayButton, QStringLiteral("CmdDataInput"), 1311, 1);
        auto* combo = new QComboBox(&window);
        nameControl(combo, QStringLiteral("CmbDay"));
        auto* check = new QCheckBox(QStringLiteral("designed"), &window);
        nameControl(check, QStringLiteral("ChkShow"));

        ApplyLngFile(&window, fx.fileName(), fx.lng, true);

        QCOMPARE(frame->title(), QStringLiteral("frame"));
        QCOMPARE(opt->text(), QStringLiteral("left"));
        QCOMPARE(opt->toolTip(), QStringLiteral(" tip"));
        QCOMPARE(label->text(), QStringLiteral("label"));
        QCOMPARE(untagged->text(), QStringLiteral("keep me"));
        QCOMPARE(edit->text(), QStringLiteral("text"));
        QCOMPARE(button->text(), QStringLiteral("store"));
        QCOMPARE(button->toolTip(), QString()); // not in a control array: no tooltip
        QCOMPARE(missing->text(), QString());   // a key the file lacks empties the caption
        QCOMPARE(arrayButton->text(), QStringLiteral("undo"));
        QCOMPARE(arrayButton->toolTip(), QString()); // 13111 not in the file
        QCOMPARE(check->text(), QStringLiteral("designed"));
        for (QWidget* w : QList<QWidget*>{frame, opt, label, untagged, edit, combo, check})
            QCOMPARE(w->font().family(), QStringLiteral("굴림"));
    }

    void applierKeepsSizeAndBold()
    {
        LngFixture fx("1000 a\r\n");
        QWidget window;
        auto* label = new QLabel(&window);
        nameControl(label, QStringLiteral("LblOptTitle"), 1000);
        QFont f(QStringLiteral("Serif"), 14);
        f.setBold(true);
        label->setFont(f);
        ApplyLngFile(&window, fx.fileName(), fx.lng, false);
        QCOMPARE(label->font().family(), QStringLiteral("Arial"));
        QCOMPARE(label->font().pointSize(), 14);
        QVERIFY(label->font().bold());
    }

    void applierEndsOnMissingFileOnlyWhenAKeyIsAsked()
    {
        Fixture fx;
        LanguageFile lng(fx.fs, fx.boxes, fx.dir.path(), QStringLiteral("Korean"));
        QWidget window;
        auto* untagged = new QLabel(&window);
        nameControl(untagged, QStringLiteral("Label1"));
        ApplyLngFile(&window, QStringLiteral("tuneKorean.lng"), lng, true); // no key, no lookup
        QVERIFY(fx.boxes.shown.isEmpty());
        auto* tagged = new QLabel(&window);
        nameControl(tagged, QStringLiteral("Label2"), 1000);
        QVERIFY_THROWS_EXCEPTION(ProgramEnd, ApplyLngFile(&window, QStringLiteral("tuneKorean.lng"), lng, true));
        QCOMPARE(fx.boxes.shown.size(), 1);
    }
};

QTEST_MAIN(TestI18n)
#include "tst_i18n.moc"
