#pragma once
#include "platform/Services.h"

#include <QWidget>

namespace td {

// Page 4: a range of months of day notes exported to a workbook.
class ExportPage : public QWidget {
    Q_OBJECT
public:
    ExportPage(Services& services, QWidget* parent);

private:
    Services& s_;
};

} // namespace td
