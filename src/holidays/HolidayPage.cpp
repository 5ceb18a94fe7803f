#include "HolidayPage.h"

#include "platform/PageSize.h"

namespace td {

HolidayPage::HolidayPage(Services& services, QWidget* parent) : QWidget(parent), s_(services)
{
    setFixedSize(kPageSize);
}

void HolidayPage::Main_ReadProfile() {}

bool HolidayPage::Main_WriteProfile() { return true; }

} // namespace td
