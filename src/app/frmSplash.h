#pragma once
#include "platform/InstanceLock.h"

#include <QTimer>

class QPainter;
#include <QWidget>
#include <functional>

namespace td {

// The start-up picture. Shown for 2.5 s unless another copy of the tool runs.
class frmSplash : public QWidget {
    Q_OBJECT
public:
    // openOptions runs when the timer fires, after the splash has closed.
    frmSplash(IInstanceLock& lock, std::function<void()> openOptions);

    // False when another copy runs: the splash closes at once and the program ends.
    bool Form_Load();

    QTimer Timer1;

    // The splash picture, 256 x 101, drawn rather than shipped.
    static QPixmap picture();
    // The application icon, 64 x 64.
    static QPixmap icon();
    static void drawLeaf(QPainter& p, const QRectF& r, const QString& letter, const QColor& ink);

protected:
    void paintEvent(QPaintEvent*) override;

private slots:
    void Timer1_Timer();

private:
    IInstanceLock& lock_;
    std::function<void()> openOptions_;
};

} // namespace td
