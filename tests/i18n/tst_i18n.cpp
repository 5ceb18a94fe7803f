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
    // The line rules at large are replayed from the fuzz corpus. A malformed line
    // anywhere ends the program silently at the first lookup.
    void lookup_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("text"); // "<end>": the program ends
        QTest::newRow("plain") << cp949(QStringLiteral("1000 자동설정\r\n")) << 1000 << QStringLiteral("자동설정");
        QTest::newRow("missing key") << QByteArray("1000 a\r\n") << 1018 << QString();
        QTest::newRow("cr only line ends") << QByteArray("1000 a\r1001 b\r") << 1001 << QStringLiteral("b");
        QTest::newRow("bad line after the key") << QByteArray("1000 a\r\n1001 b\r\nbroken\r\n") << 1000 << QStringLiteral("<end>");
    }
    void lookup()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, key);
        QFETCH(QString, text);
        LngFixture fx(file);
        try {
            QCOMPARE(fx.lng.GetLngText(key, fx.fileName()), text);
        } catch (const ProgramEnd& e) {
            QCOMPARE(text, QStringLiteral("<end>"));
            QVERIFY(e.exitCode != 0);
        }
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
    // The window asks nothing of a missing file until a control needs a caption.
    void missingFileShowsMessage()
    {
        QFETCH(QString, language);
        QFETCH(QString, text);
        QFETCH(QString, title);
        Fixture fx(language);
        LanguageFile lng(fx.fs, fx.boxes, fx.dir.path(), language);
        const QString file = QStringLiteral("tune") + language + QStringLiteral(".lng");
        QWidget window;
        nameControl(new QLabel(&window), QStringLiteral("Label1"));
        ApplyLngFile(&window, file, lng, true);
        QVERIFY(fx.boxes.shown.isEmpty());
        nameControl(new QLabel(&window), QStringLiteral("Label2"), 1000);
        QVERIFY_THROWS_EXCEPTION(ProgramEnd, ApplyLngFile(&window, file, lng, true));
        QCOMPARE(fx.boxes.shown.size(), 1);
        QCOMPARE(fx.boxes.shown[0].text, text);
        QCOMPARE(fx.boxes.shown[0].title, title);
        QCOMPARE(fx.boxes.shown[0].icon, MsgIcon::Critical);
        QCOMPARE(fx.boxes.shown[0].buttons, MsgButtons::Ok);
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
        QTest::addColumn<QString>("firstPage");
        // clang-format off
        QTest::newRow("korean") << "Korean" << "굴림" << "자동설정";
        QTest::newRow("trailing space is not Korean") << "Korean " << "Arial" << "DefaultSet";
        // clang-format on
    }
    void lanSetupFillsListsOnce()
    {
        QFETCH(QString, language);
        QFETCH(QString, face);
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
        QCOMPARE(title->font().family(), face);
        QCOMPARE(title->text(), QStringLiteral("title"));
    }

    // Each kind of control takes its caption where it shows one; every control takes
    // the face of the language and keeps its size and weight.
    void applierFollowsControlKinds_data()
    {
        QTest::addColumn<bool>("koreanFont");
        QTest::addColumn<QString>("face");
        QTest::newRow("korean") << true << QStringLiteral("굴림");
        QTest::newRow("other") << false << QStringLiteral("Arial");
    }
    void applierFollowsControlKinds()
    {
        QFETCH(bool, koreanFont);
        QFETCH(QString, face);
        LngFixture fx("1001 frame\r\n1002 left\r\n10020 tip\r\n1005 label\r\n1006 text\r\n1018 store\r\n1311 undo\r\n");
        QWidget window;
        auto add = [](QWidget* w, const char* name, int key = 0, int index = -1) {
            nameControl(w, QLatin1String(name), key, index);
            return w;
        };
        const QString designed = QStringLiteral("designed");
        QWidget* frame = add(new QGroupBox(designed, &window), "Frame11", 1001);
        struct Expected {
            QWidget* control;
            QString caption, tip;
        };
        const QList<Expected> controls{
            {frame, QStringLiteral("frame"), {}},
            {add(new QRadioButton(designed, frame), "OptPos", 1002, 0), QStringLiteral("left"), QStringLiteral(" tip")},
            {add(new QLabel(designed, &window), "LblColor", 1005, 7), QStringLiteral("label"), {}},
            {add(new QLabel(QStringLiteral("keep me"), &window), "Label99"), QStringLiteral("keep me"), {}},
            {add(new QLineEdit(designed, &window), "TxtX", 1006), QStringLiteral("text"), {}},
            {add(new QPushButton(&window), "CmdDColor", 1018), QStringLiteral("store"), {}},      // no array: no tooltip
            {add(new QPushButton(designed, &window), "CmdBasic", 1309), QString(), {}},           // a key the file lacks empties it
            {add(new QPushButton(&window), "CmdDataInput", 1311, 1), QStringLiteral("undo"), {}}, // 13111 not in the file
            {add(new QComboBox(&window), "CmbDay"), QString(), {}},
            {add(new QCheckBox(designed, &window), "ChkShow"), designed, {}},
        };
        QFont designedFont(QStringLiteral("Serif"), 14);
        designedFont.setBold(true);
        controls[2].control->setFont(designedFont);
        ApplyLngFile(&window, fx.fileName(), fx.lng, koreanFont);
        for (const Expected& e : controls) {
            QCOMPARE(e.control->property(qobject_cast<QGroupBox*>(e.control) ? "title" : "text").toString(), e.caption);
            QCOMPARE(e.control->toolTip(), e.tip);
            QCOMPARE(e.control->font().family(), face);
        }
        QCOMPARE(controls[2].control->font().pointSize(), 14);
        QVERIFY(controls[2].control->font().bold());
    }
};

QTEST_MAIN(TestI18n)
#include "tst_i18n.moc"
