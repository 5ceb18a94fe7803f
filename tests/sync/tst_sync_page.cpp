// The ninth page of the real window against a Radicale started here: the
// preview shows the counts in the run preview dialog, the run sends the days,
// and the password goes to the keyring, never into the settings file.
#include "../gui/WindowFixture.h"
#include "DavServer.h"
#include "days/PlanPreview.h"
#include "sync/Keyring.h"
#include "sync/SyncPage.h"
#include "sync/SyncSettings.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

using namespace td;
using test::DavServer;

namespace {
// A keyring is not the point here (test_keyring has the real one).
class MemoryKeyring : public sync::IKeyring {
public:
    QMap<QString, QString> kept;
    Status read(const QString& account, QString& password, QString&) override
    {
        password = kept.value(account);
        return kept.contains(account) ? Status::Ok : Status::Missing;
    }
    Status write(const QString& account, const QString& password, QString&) override
    {
        kept.insert(account, password);
        return Status::Ok;
    }
};
} // namespace

class TestSyncPage : public QObject {
    Q_OBJECT

private slots:
    void previewAndRun()
    {
        DavServer server(DavServer::Radicale);
        QVERIFY(server.start());
        test::WindowFixture fx;
        QtSettingsStore syncStore(fx.path(QStringLiteral("Daybrook.conf")), QString::fromLatin1(sync::SyncSettings::kSection));
        MemoryKeyring keyring;
        fx.services.syncStore = &syncStore;
        fx.services.keyring = &keyring;
        fx.services.syncStateFolder = fx.path(QStringLiteral("state"));
        for (int day : {5, 6})
            test::writeFile(fx.path(QStringLiteral("2026_3/2026_3.%1").arg(day)), "[meeting]\r\n");
        QVERIFY(fx.open());
        QCOMPARE(fx.pageList()->count(), 9);
        test::showPage(fx.window, 8);
        QVERIFY(fx.window.isPanelShown(frmOptions::kSyncPanel) && !fx.window.isPanelShown(frmOptions::kAboutPanel));
        QCOMPARE(fx.title(), QStringLiteral("동기화"));
        const QWidget& page = *test::control<SyncPage>(fx.window);
        QCOMPARE(test::control<QLabel>(page, "LblSyncUrl")->text(), QStringLiteral("서버 주소"));
        test::control<QLineEdit>(page, "TxtSyncUrl")->setText(server.base().toString());
        test::control<QLineEdit>(page, "TxtSyncUser")->setText(QString::fromLatin1(DavServer::kUser));
        test::control<QLineEdit>(page, "TxtSyncPassword")->setText(QString::fromLatin1(DavServer::kPassword));

        // The preview dialog, read as shown, then its apply button.
        QString notes;
        int days = -1;
        QTimer look;
        connect(&look, &QTimer::timeout, [&] {
            if (auto* preview = qobject_cast<PlanPreview*>(QApplication::activeModalWidget())) {
                look.stop();
                notes = preview->notes(0)->toPlainText();
                days = preview->model(0)->rowCount();
                preview->accept();
            }
        });
        look.start(20);
        QTest::mouseClick(test::control<QPushButton>(page, "CmdSyncPreview"), Qt::LeftButton);
        QVERIFY2(notes.contains(QStringLiteral("보낼 날 2, 받을 날 0, 여기서 지울 날 0, 서버에서 지울 날 0, 충돌 0")), qPrintable(notes));
        QCOMPARE(days, 0); // no day file changes
        QCOMPARE(fx.boxes.shown.last().text,
                 QStringLiteral("동기화를 마쳤습니다. 보냄 2, 받음 0, 여기서 지움 0, 서버에서 지움 0, 충돌 0, 합친 일정 0."));

        // The account is kept; its password is in the keyring only.
        const QByteArray settings = test::readFile(fx.path(QStringLiteral("Daybrook.conf")));
        QVERIFY2(settings.contains("[TunedeskSync]") && settings.contains("User=daybrook"), settings.constData());
        QVERIFY(!settings.contains(DavServer::kPassword));
        QCOMPARE(keyring.kept.value(sync::keyringAccount(QStringLiteral("daybrook"), server.base().toString())),
                 QString::fromLatin1(DavServer::kPassword));
    }
};

QTEST_MAIN(TestSyncPage)
#include "tst_sync_page.moc"
