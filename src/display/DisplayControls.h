#pragma once
#include <QColor>
#include <QLabel>
#include <QPixmap>
#include <QWidget>

class QCheckBox;
class QScrollBar;

namespace td {

// The colour a stored colour value paints with: RGB values as they are, system
// colours (negative) as the nearest colour of the platform palette.
QColor shownColour(qint32 colour, const QPalette& palette);

// A label that reports clicks and changes of its text. Set the text through
// this class so that the change is reported.
class ClickLabel : public QLabel {
    Q_OBJECT
public:
    explicit ClickLabel(const QString& text, QWidget* parent);
    void setText(const QString& text);
    // What a key press or a screen reader's press action does: the same as a click.
    void click() { emit clicked(); }

signals:
    void clicked();
    void textChanged(const QString& text);

protected:
    void mouseReleaseEvent(QMouseEvent* e) override;
    // A label that acts on clicks takes the keyboard too: Space or Enter is a click.
    void connectNotify(const QMetaMethod& signal) override;
    void keyPressEvent(QKeyEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
};

// A label that carries colour settings: its text colour and background colour
// hold stored colour values exactly, system colours included.
class ColorLabel : public ClickLabel {
    Q_OBJECT
public:
    explicit ColorLabel(const QString& text, QWidget* parent);

    qint32 foreColor() const { return fore_; }
    qint32 backColor() const { return back_; }
    void setForeColor(qint32 colour);
    void setBackColor(qint32 colour); // also fills the background

    // A sample the user clicks to choose a colour: a screen reader meets it as a
    // button named by what it colours, with the colour it holds as its description.
    void speakColour(bool heldInBackground, bool korean);

private:
    void repaintColours();
    void describeColour();
    qint32 fore_ = 0;
    qint32 back_ = -1; // none: the parent shows through
    enum class Spoken { No,
                        Fore,
                        Back } spoken_ = Spoken::No;
    bool korean_ = true;
};

// The panel the colour samples sit on: a plain area with a box round it (a frame
// widget would stand as a window of its own to a screen reader).
class SamplePanel : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override;
};

// A rectangle outline (the title border sample); clicks pass through to what lies under it.
class ShapeBox : public QWidget {
    Q_OBJECT
public:
    explicit ShapeBox(QWidget* parent);
    qint32 borderColor() const { return border_; }
    void setBorderColor(qint32 colour);

protected:
    void paintEvent(QPaintEvent*) override;

private:
    qint32 border_ = 0;
};

// Our own pictures of Daybrook's week view in its two styles (310 x 119 and 333 x 127).
QPixmap weekViewPicture(int style);

namespace display {
struct DisplayValues;
}

// The bar that shows a settings-store value, named and ranged as its key declares,
// at the value the page starts with. Its value label follows when a change is
// complete (an arrow or track click, the end of a drag, code setting the value),
// not while the thumb moves.
QScrollBar* valueBar(QWidget* parent, const QString& key, Qt::Orientation o, int small, int large, QRect g);
// The check box that shows a settings-store value, named and captioned as its key declares.
QCheckBox* valueCheck(QWidget* parent, const QString& key, QRect g);
// A check box's three states as stored: 0 off, 1 on, 2 greyed.
int checkValue(const QCheckBox* box);
void setCheckValue(QCheckBox* box, int value);
// Every declared bar and check box on page shows its value, or gives it back.
void showStored(QWidget* page, const display::DisplayValues& v);
void takeStored(const QWidget* page, display::DisplayValues& v);
// The sunken label that shows a bar's value.
QLabel* valueLabel(QWidget* parent, const QString& name, int value, QRect g);

} // namespace td
