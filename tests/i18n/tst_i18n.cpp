#include "TestSupport.h"

#include "i18n/LanguageApplier.h"
#include "i18n/LanguageFile.h"

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

// A program folder holding a language file with these lines (CP949, CR LF); null: no file.
struct LngFixture : Fixture {
    LngFixture(const QByteArray& content, const QString& language) : Fixture(language)
    {
        if (!content.isNull())
            writeFile(path(fileName()), content);
    }
    LanguageFile lng{fs, boxes, dir.path(), services.currentLanguage};
    QString fileName() const { return QStringLiteral("tune") + services.currentLanguage + QStringLiteral(".lng"); }
};

} // namespace

class TestI18n : public QObject {
    Q_OBJECT
private slots:
    // The line rules at large are replayed from the fuzz corpus. A malformed line anywhere
    // ends the program silently at the first lookup; a missing file ends it with a message,
    // but only once a control needs a caption.
    void lookup_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QByteArray>("file"); // null: none
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("text");        // "<end>": the program ends
        QTest::addColumn<QStringList>("message"); // text and title
        // clang-format off
        QTest::newRow("plain") << "Korean" << cp949(QStringLiteral("1000 자동설정\r\n")) << 1000 << "자동설정" << QStringList{};
        QTest::newRow("missing key") << "Korean" << QByteArray("1000 a\r\n") << 1018 << "" << QStringList{};
        QTest::newRow("bad line after the key") << "Korean" << QByteArray("1000 a\r\n1001 b\r\nbroken\r\n") << 1000 << "<end>"
            << QStringList{};
        QTest::newRow("no file, Korean") << "Korean" << QByteArray() << 1000 << "<end>"
            << QStringList{"파일을 찾을수 없습니다..\r\n적어도 하나의 언어파일이 있어야 합니다!", "언어 파일 없음"};
        QTest::newRow("no file, English") << "English" << QByteArray() << 1000 << "<end>"
            << QStringList{"File Not Found.\r\nMust Have at least one Language File!", "Errore While Loading"};
        // clang-format on
    }
    void lookup()
    {
        QFETCH(QString, language);
        QFETCH(QByteArray, file);
        QFETCH(int, key);
        QFETCH(QString, text);
        QFETCH(QStringList, message);
        LngFixture fx(file, language);
        QStringList reported; // what the terminal is told
        fx.lng.reportError = [&reported](const QString& line) { reported << line; };
        QWidget window;
        nameControl(new QLabel(&window), QStringLiteral("Label1"));
        ApplyLngFile(&window, fx.fileName(), fx.lng, true);
        QVERIFY(fx.boxes.shown.isEmpty());
        auto* label = new QLabel(QStringLiteral("designed"), &window);
        nameControl(label, QStringLiteral("Label2"), key);
        try {
            ApplyLngFile(&window, fx.fileName(), fx.lng, true);
            QCOMPARE(label->text(), text);
        } catch (const ProgramEnd& e) {
            QCOMPARE(text, QStringLiteral("<end>"));
            QVERIFY(e.exitCode != 0);
        }
        QCOMPARE(fx.boxes.shown.size(), message.size() / 2);
        // Every end names the file by its full path.
        QCOMPARE(reported.size(), text == QStringLiteral("<end>") ? 1 : 0);
        QVERIFY(reported.isEmpty() || reported[0].contains(fx.path(fx.fileName())));
        if (!message.isEmpty()) {
            QCOMPARE(fx.boxes.shown[0].text, message[0]);
            QCOMPARE(fx.boxes.shown[0].title, message[1]);
            QCOMPARE(fx.boxes.shown[0].icon, MsgIcon::Critical);
            QCOMPARE(fx.boxes.shown[0].buttons, MsgButtons::Ok);
        }
    }

    void shippedFileCoversEveryKey()
    {
        QByteArray bytes = readFile(QStringLiteral(TUNEDESK_SOURCE_DIR "/data/tuneKorean.lng"));
        QCOMPARE(bytes.count("\r\n"), bytes.count('\n')); // CR LF throughout
        const auto texts = LanguageFile::parse(bytes);
        QVERIFY(texts.has_value());
        // Every caption key the window asks for, as ranges.
        // clang-format off
        const std::pair<int, int> ranges[] = {{1000, 1018}, {1100, 1118}, {1200, 1208}, {1300, 1311}, {1400, 1406},
                                              {1500, 1501}, {1503, 1506}, {1600, 1614}, {1700, 1700}, {1705, 1711},
                                              {2000, 2000}, {3000, 3000}};
        // clang-format on
        for (const auto& [from, to] : ranges) {
            for (int key = from; key <= to; ++key)
                QVERIFY2(!texts->value(key).isEmpty() && texts->value(key) != QLatin1String("??????"),
                         qPrintable(QString::number(key)));
        }
    }

    // The lists are filled afresh each time, nothing chosen; each kind of control takes
    // its caption where it shows one; every control takes the face of the language and
    // keeps its size and weight.
    void lanSetupCaptionsEveryControl_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("face");
        // clang-format off
        QTest::newRow("korean") << "Korean" << "굴림";
        QTest::newRow("trailing space is not Korean") << "Korean " << "Arial";
        // clang-format on
    }
    void lanSetupCaptionsEveryControl()
    {
        QFETCH(QString, language);
        QFETCH(QString, face);
        LngFixture fx("1000 title\r\n1001 frame\r\n1002 left\r\n10020 tip\r\n1005 label\r\n1006 text\r\n1311 undo\r\n", language);
        QWidget window;
        auto add = [](QWidget* w, const char* name, int key = 0, int index = -1) {
            nameControl(w, QLatin1String(name), key, index);
            return w;
        };
        const QString designed = QStringLiteral("designed");
        QWidget* frame = add(new QGroupBox(designed, &window), "Frame11", 1001);
        auto* title = static_cast<QLabel*>(add(new QLabel(&window), "LblOptTitle", 1000));
        struct Expected {
            QWidget* control;
            QString caption, tip;
        };
        const QList<Expected> controls{
            {frame, QStringLiteral("frame"), {}},
            {title, QStringLiteral("title"), {}},
            {add(new QRadioButton(designed, frame), "OptPos", 1002, 0), QStringLiteral("left"), QStringLiteral("tip")}, // no space from the five-digit key
            {add(new QLabel(designed, &window), "LblColor", 1005, 7), QStringLiteral("label"), {}},
            {add(new QLabel(QStringLiteral("keep me"), &window), "Label99"), QStringLiteral("keep me"), {}},
            {add(new QLineEdit(designed, &window), "TxtX", 1006), QStringLiteral("text"), {}},
            {add(new QPushButton(designed, &window), "CmdBasic", 1309), QString(), {}},           // a key the file lacks empties it
            {add(new QPushButton(&window), "CmdDataInput", 1311, 1), QStringLiteral("undo"), {}}, // 13111 not in the file
        };
        QFont designedFont(QStringLiteral("Serif"), 14);
        designedFont.setBold(true);
        controls[3].control->setFont(designedFont);
        auto* list = new QListWidget(&window);
        auto* modes = new QComboBox(&window);
        auto* presets = new QComboBox(&window);
        list->addItem(QStringLiteral("designed entry"));
        for (int round = 0; round < 2; ++round) {
            QCOMPARE(LanSetup({list, modes, presets, title, &window}, language, fx.lng), language == QLatin1String("Korean"));
            QCOMPARE(list->count(), 9);
            QCOMPARE(modes->count(), 7);
            QCOMPARE(presets->count(), 9);
            QCOMPARE(list->currentRow() + modes->currentIndex() + presets->currentIndex(), -3); // nothing chosen
        }
        QCOMPARE(list->font().family(), face);
        for (const Expected& e : controls) {
            QCOMPARE(e.control->property(qobject_cast<QGroupBox*>(e.control) ? "title" : "text").toString(), e.caption);
            QCOMPARE(e.control->toolTip(), e.tip);
            QCOMPARE(e.control->font().family(), face);
        }
        QCOMPARE(controls[3].control->font().pointSize(), 14);
        QVERIFY(controls[3].control->font().bold());
    }
};

QTEST_MAIN(TestI18n)
#include "tst_i18n.moc"
