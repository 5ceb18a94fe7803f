#pragma once
// The options window over the fakes, with the shipped language file in its folder.
#include "TestSupport.h"

#include "app/frmOptions.h"
#include "i18n/LanguageFile.h"

#include <QLabel>
#include <QListWidget>
#include <QTest>

namespace td::test {

struct WindowFixture : Fixture {
    WindowFixture() { installLanguageFile(); }
    LanguageFile lng{fs, boxes, dir.path(), services.currentLanguage};
    frmOptions window{services, lng, frmOptions::captionFor(1, 55)};

    // Loads, shows and activates the window, as the program opens it.
    bool open()
    {
        if (!window.Form_Load())
            return false;
        window.show();
        window.activateWindow();
        return QTest::qWaitForWindowExposed(&window);
    }

    QListWidget* pageList() const { return control<QListWidget>(window, "LstOption"); }
    QString title() const { return control<QLabel>(window, "LblOptTitle")->text(); }
};

} // namespace td::test
