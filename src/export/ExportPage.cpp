#include "ExportPage.h"

#include "platform/PageSize.h"

namespace td {

ExportPage::ExportPage(Services& services, QWidget* parent) : QWidget(parent), s_(services)
{
    setFixedSize(kPageSize);
}

} // namespace td
