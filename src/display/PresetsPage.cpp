#include "PresetsPage.h"

#include "platform/Controls.h"
#include "platform/PageSize.h"

#include <QComboBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace td {

PresetsPage::PresetsPage(Services& services, QWidget* parent) : QWidget(parent), s_(services)
{
    setFixedSize(kPageSize);
    auto* layout = new QVBoxLayout(this);
    CmbDefault = new QComboBox(this);
    nameControl(CmbDefault, QStringLiteral("CmbDefault"));
    CmbSMode = new QComboBox(this);
    nameControl(CmbSMode, QStringLiteral("CmbSMode"));
    CmdDColor = new QPushButton(this);
    nameControl(CmdDColor, QStringLiteral("CmdDColor"), 1018);
    layout->addWidget(CmbDefault);
    layout->addWidget(CmdDColor);
    layout->addWidget(CmbSMode);
    layout->addStretch();
}

} // namespace td
