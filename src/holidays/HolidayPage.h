#pragma once
#include "platform/Services.h"

#include <QWidget>

namespace td {

// Page 2: the holidays and anniversaries of Holiday.dat.
class HolidayPage : public QWidget {
    Q_OBJECT
public:
    HolidayPage(Services& services, QWidget* parent);

    // Loads Holiday.dat into the list.
    void Main_ReadProfile();
    // Stores the list; false when it could not be written (the user has been told).
    bool Main_WriteProfile();

private:
    Services& s_;
};

} // namespace td
