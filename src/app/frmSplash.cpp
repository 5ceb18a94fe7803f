#include "frmSplash.h"

#include <QApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QScreen>

namespace td {

frmSplash::frmSplash(IInstanceLock& lock, std::function<void()> openOptions)
    : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint), lock_(lock), openOptions_(std::move(openOptions))
{
    setObjectName(QStringLiteral("frmSplash"));
    setFixedSize(256, 101);
    Timer1.setInterval(2500);
    Timer1.setSingleShot(true);
    connect(&Timer1, &QTimer::timeout, this, &frmSplash::Timer1_Timer);
}

bool frmSplash::Form_Load()
{
    QCoreApplication::processEvents();
    if (!lock_.tryAcquire()) {
        close();
        return false;
    }
    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    show();
    Timer1.start();
    return true;
}

void frmSplash::Timer1_Timer()
{
    close();
    QCoreApplication::processEvents();
    if (openOptions_)
        openOptions_();
}

QPixmap frmSplash::picture()
{
    QPixmap pm(256, 101);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, 101);
    sky.setColorAt(0, QColor(28, 44, 86));
    sky.setColorAt(1, QColor(78, 110, 170));
    p.fillRect(pm.rect(), sky);
    // A small calendar leaf.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(250, 250, 245));
    p.drawRoundedRect(QRectF(16, 18, 56, 64), 6, 6);
    p.setBrush(QColor(214, 64, 64));
    p.drawRoundedRect(QRectF(16, 18, 56, 18), 6, 6);
    p.drawRect(QRectF(16, 28, 56, 8));
    p.setPen(QColor(40, 40, 40));
    QFont big(QStringLiteral("Arial"), 22, QFont::Bold);
    p.setFont(big);
    p.drawText(QRectF(16, 38, 56, 42), Qt::AlignCenter, QStringLiteral("D"));
    p.setPen(Qt::white);
    QFont title(QStringLiteral("Arial"), 17, QFont::Bold);
    p.setFont(title);
    p.drawText(QRectF(84, 22, 166, 30), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Tunedesk"));
    QFont sub(QStringLiteral("굴림"), 9);
    p.setFont(sub);
    p.setPen(QColor(210, 222, 245));
    p.drawText(QRectF(84, 54, 166, 22), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("데이브룩 환경설정"));
    return pm;
}

QPixmap frmSplash::icon()
{
    QPixmap pm(64, 64);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(250, 250, 245));
    p.drawRoundedRect(QRectF(6, 8, 52, 50), 7, 7);
    p.setBrush(QColor(214, 64, 64));
    p.drawRoundedRect(QRectF(6, 8, 52, 16), 7, 7);
    p.drawRect(QRectF(6, 18, 52, 6));
    p.setPen(QColor(28, 44, 86));
    p.setFont(QFont(QStringLiteral("Arial"), 20, QFont::Bold));
    p.drawText(QRectF(6, 24, 52, 34), Qt::AlignCenter, QStringLiteral("D"));
    return pm;
}

void frmSplash::paintEvent(QPaintEvent*)
{
    QPainter(this).drawPixmap(0, 0, picture());
}

} // namespace td
