// Feeds every file of a fuzz target's corpus through the target once, as a
// plain test: the seeds and every input that once broke a property stay checked.
#include "FuzzSupport.h"

#include <QDir>
#include <QTest>

class ReplayCorpus : public QObject {
    Q_OBJECT
private slots:
    void replay()
    {
        const QDir dir(QStringLiteral(FUZZ_CORPUS));
        const QStringList names = dir.entryList(QDir::Files, QDir::Name);
        QVERIFY2(!names.isEmpty(), "the corpus is empty");
        for (const QString& name : names) {
            QFile f(dir.filePath(name));
            QVERIFY(f.open(QIODevice::ReadOnly));
            const QByteArray bytes = f.readAll();
            try {
                LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size()));
            } catch (const std::exception& e) {
                QFAIL(qPrintable(name + QStringLiteral(": ") + QString::fromStdString(e.what())));
            }
        }
    }
};

QTEST_GUILESS_MAIN(ReplayCorpus)
#include "ReplayCorpus.moc"
