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

// A calendar leaf with a red binding and a letter on it: the program's mark.
void frmSplash::drawLeaf(QPainter& p, const QRectF& r, const QString& letter, const QColor& ink)
{
    const qreal band = r.height() * 0.28;
    const qreal radius = r.width() / 8;
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(250, 250, 245));
    p.drawRoundedRect(r, radius, radius);
    p.setBrush(QColor(214, 64, 64));
    p.drawRoundedRect(QRectF(r.left(), r.top(), r.width(), band), radius, radius);
    p.drawRect(QRectF(r.left(), r.top() + band / 2, r.width(), band / 2));
    if (letter.isEmpty())
        return;
    p.setPen(ink);
    p.setFont(QFont(QStringLiteral("Arial"), int(r.height() / 3), QFont::Bold));
    p.drawText(QRectF(r.left(), r.top() + band, r.width(), r.height() - band), Qt::AlignCenter, letter);
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
    drawLeaf(p, QRectF(16, 18, 56, 64), QStringLiteral("D"), QColor(40, 40, 40));
    p.setPen(Qt::white);
    p.setFont(QFont(QStringLiteral("Arial"), 17, QFont::Bold));
    p.drawText(QRectF(84, 22, 166, 30), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Tunedesk"));
    p.setFont(QFont(QStringLiteral("굴림"), 9));
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
    drawLeaf(p, QRectF(6, 8, 52, 50), QStringLiteral("D"), QColor(28, 44, 86));
    return pm;
}

void frmSplash::paintEvent(QPaintEvent*)
{
    QPainter(this).drawPixmap(0, 0, picture());
}

} // namespace td
