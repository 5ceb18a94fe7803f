#pragma once
#include <QLabel>
#include <QWidget>

class QPushButton;

namespace td {

// A label that reports mouse presses as the window design does: button 1 left,
// 2 right, 4 middle; shift state 1 Shift + 2 Ctrl + 4 Alt.
class EggLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;
    static int buttonCode(Qt::MouseButton b);
    static int shiftState(Qt::KeyboardModifiers m);
signals:
    void MouseDown(int button, int shift, int x, int y);

protected:
    void mousePressEvent(QMouseEvent* e) override;
};

// Panel 8: a picture, the credits scrolling upward like a film's, and "안녕~".
class AboutPanel : public QWidget {
    Q_OBJECT
public:
    explicit AboutPanel(QWidget* parent);

    QWidget* Picture2; // the scrolling block, 9300 twips high
    QPushButton* CmdBy;

    static constexpr int kBlockHeight = 9300; // twips
    static constexpr int kRestartTop = 3000;  // twips
    static constexpr int kStep = 10;          // twips per tick

    int blockTop() const { return top_; }
    void setBlockTop(int twipsTop);
    // One tick: up by a step, or back to the start once the block has left the top.
    void scrollStep();

    static QPixmap picture();

private:
    int top_ = kRestartTop;
};

} // namespace td
