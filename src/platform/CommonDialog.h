#pragma once
#include <QString>

class QColor;
class QPalette;
class QWidget;

namespace td {

// The window's one common dialog, CmDLG. Its properties persist across every
// dialog shown; a cancelled dialog changes none of them.
class CommonDialog {
public:
    virtual ~CommonDialog() = default;

    qint32 Color = 0; // red + 256 * green + 65536 * blue
    QString FontName;
    float FontSize = 0;
    bool FontBold = false;
    qint32 Flags = 0;
    QString Filter;      // "Description|patterns|" pairs
    int FilterIndex = 1; // the pair chosen in the last open or save dialog, from 1
    QString InitDir;
    QString FileName;

    // Each returns true when the user confirmed. A property the user left as
    // it was shown keeps its value exactly (a system colour, a face drawn
    // through a substitute, a size with a fraction).
    virtual bool ShowColor() = 0;
    virtual bool ShowFont() = 0;
    virtual bool ShowOpen() = 0;
    virtual bool ShowSave() = 0;
};

class QtCommonDialog : public CommonDialog {
public:
    explicit QtCommonDialog(QWidget* parent = nullptr) : parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }

    bool ShowColor() override;
    bool ShowFont() override;
    bool ShowOpen() override;
    bool ShowSave() override;

private:
    QWidget* parent_;
};

// The colour a stored colour value paints with: RGB values as they are, system
// colours (negative) as the nearest colour of the palette.
QColor paintedColour(qint32 colour, const QPalette& palette);

// "Pictures(*.jpg)|*.jpg;*.bmp|All|*.*|" -> "Pictures(*.jpg) (*.jpg *.bmp);;All (*.*)"
QString qtFilterFromCommon(const QString& filter);

} // namespace td
