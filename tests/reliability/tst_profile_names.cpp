// Names the profile writer accepts must read back. A tab at either end of a
// section or key name is kept by the writer (it trims spaces only) but trimmed
// from the file's names by the reader, so the write is lost, and a tab before
// "[" or ";" turns the key line into a section header or a comment.
// Found by the profile fuzz target.
#include "TestSupport.h"
#include "platform/ProfileFile.h"

#include <QTest>

using namespace td;
using namespace td::test;

class TestProfileNames : public QObject {
    Q_OBJECT
private slots:
    void writtenNamesReadBack_data()
    {
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::newRow("tab before the section") << "\tDefault" << "SunColor";
        QTest::newRow("tab after the section") << "Default\t" << "SunColor";
        QTest::newRow("tab before the key") << "Default" << "\tSunColor";
        QTest::newRow("tab after the key") << "Default" << "SunColor\t";
        QTest::newRow("key line made a header") << "Default" << "\t[Font";
        QTest::newRow("key line made a comment") << "Default" << "\t;Font";
    }
    void writtenNamesReadBack()
    {
        QFETCH(QString, section);
        QFETCH(QString, key);
        Fixture f;
        const QString path = f.path(QStringLiteral("Daybrook.ini"));
        const QByteArray file("[Default]\r\nSunColor=1\r\nFont=Arial,10\r\n\r\n[Other]\r\nSunColor=2\r\n");
        writeFile(path, file);
        ProfileFile profile(f.fs);

        const IoStatus st = profile.write(path, section, key, QStringLiteral("255"));
        // Either refused with the file untouched, or written so that it reads back
        // and nothing else changes.
        bool sound;
        if (!st.ok) {
            sound = readFile(path) == file && !st.reason.isEmpty();
        } else {
            sound = profile.read(path, section, key) == QLatin1String("255")
                && profile.read(path, QStringLiteral("Other"), QStringLiteral("SunColor")) == QLatin1String("2")
                && profile.read(path, QStringLiteral("Default"), QStringLiteral("Font")) == QLatin1String("Arial,10");
        }
        QVERIFY2(sound, qPrintable(QStringLiteral("written: %1").arg(QString::fromLatin1(readFile(path)))));
    }
};

QTEST_GUILESS_MAIN(TestProfileNames)
#include "tst_profile_names.moc"
