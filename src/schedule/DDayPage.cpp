#include "DDayPage.h"

#include "platform/PageSize.h"

namespace td {

DDayPage::DDayPage(Services& services, QWidget* parent) : QWidget(parent), s_(services)
{
    setFixedSize(kPageSize);
}

} // namespace td
