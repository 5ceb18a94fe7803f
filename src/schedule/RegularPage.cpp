#include "RegularPage.h"

#include "platform/PageSize.h"

namespace td {

RegularPage::RegularPage(Services& services, QWidget* parent) : QWidget(parent), s_(services)
{
    setFixedSize(kPageSize);
}

} // namespace td
