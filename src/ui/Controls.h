#pragma once
#include <QString>
#include <QWidget>

namespace td {

// Names a control as the window design does: "CmdAdd", or "LblColor(11)" for an
// element of a control array. The tag holds the language key (0: none).
inline void nameControl(QWidget* w, const QString& name, int tag = 0, int index = -1)
{
    w->setObjectName(index >= 0 ? QStringLiteral("%1(%2)").arg(name).arg(index) : name);
    if (tag > 0)
        w->setProperty("tag", QString::number(tag));
    if (index >= 0)
        w->setProperty("index", index);
}

// Geometry in twips (15 to a pixel), as the design gives it.
constexpr int twips(int t) { return t / 15; }

} // namespace td
