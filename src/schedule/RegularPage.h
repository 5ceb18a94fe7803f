#pragma once
#include "platform/Services.h"

#include <QWidget>

namespace td {

// Page 3: a recurring plan written into, or taken out of, Daybrook's day files.
class RegularPage : public QWidget {
    Q_OBJECT
public:
    RegularPage(Services& services, QWidget* parent);

private:
    Services& s_;
};

} // namespace td
