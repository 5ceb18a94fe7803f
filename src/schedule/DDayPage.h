#pragma once
#include "platform/Services.h"

#include <QWidget>

namespace td {

// Page 6: D-Day countdown entries written into, or taken out of, the day files.
class DDayPage : public QWidget {
    Q_OBJECT
public:
    DDayPage(Services& services, QWidget* parent);

private:
    Services& s_;
};

} // namespace td
