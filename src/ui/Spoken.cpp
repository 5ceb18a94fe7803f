#include "Spoken.h"

#include <QAbstractItemView>
#include <QAccessibleWidget>
#include <QComboBox>

namespace td::ui {

const char* const kNothingChosen = "tdNothingChosen";

namespace {

// Orca reads a combo box's value from its text, and passes over its name changes; Qt
// 6.4 on Linux gives a combo box no text and tells a change of entry only as a name
// change. So a combo box named by a caption speaks the caption as its name, its entry
// as its text, and a change by the keyboard as the new entry of its list taking the
// focus, which is what a screen reader follows.
class SpokenComboBox : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit SpokenComboBox(QComboBox* list) : QAccessibleWidget(list, QAccessible::ComboBox) {}
    QComboBox* list() const { return static_cast<QComboBox*>(widget()); }
    QString current() const
    {
        return list()->currentIndex() < 0 ? list()->property(kNothingChosen).toString() : list()->currentText();
    }

    void* interface_cast(QAccessible::InterfaceType t) override
    {
        if (t == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface*>(this);
        return QAccessibleWidget::interface_cast(t);
    }
    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Value)
            return current();
        return QAccessibleWidget::text(t);
    }
    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.expandable = true;
        s.expanded = list()->view()->isVisible();
        s.collapsed = !s.expanded;
        return s;
    }
    QStringList actionNames() const override
    {
        return QStringList{showMenuAction(), pressAction()} << QAccessibleWidget::actionNames();
    }
    void doAction(const QString& action) override
    {
        if (action == showMenuAction() || action == pressAction())
            list()->showPopup();
        else
            QAccessibleWidget::doAction(action);
    }

    // Read-only text: the chosen entry.
    void selection(int, int* start, int* end) const override { *start = *end = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    QString text(int start, int end) const override { return current().mid(start, end - start); }
    int characterCount() const override { return int(current().size()); }
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint&) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int offset, int* start, int* end) const override
    {
        *start = *end = offset;
        return {};
    }
};

QAccessibleInterface* spokenComboBox(const QString& className, QObject* object)
{
    // Our lists, named before anything is added (Qt's dialogs keep their own).
    auto* list = qobject_cast<QComboBox*>(object);
    if (className == QLatin1String("QComboBox") && list && list->objectName().startsWith(QLatin1String("Cmb")))
        return new SpokenComboBox(list);
    return nullptr;
}

} // namespace

void speakAs(QWidget* control, const SpokenCaption& caption, bool korean)
{
    control->setProperty(kNameKey, caption.key);
    control->setAccessibleName(caption.text(korean));
}

void speakChoice(QComboBox* list, const SpokenCaption& caption, bool korean)
{
    // Installed once the application has installed Qt's own widget factory: the
    // factory installed last is asked first.
    static const bool installed = (QAccessible::installFactory(spokenComboBox), true);
    (void)installed;
    list->setProperty(kNothingChosen, spoken::nothingChosen.text(korean));
    speakAs(list, caption, korean);
    QObject::connect(list, &QComboBox::currentIndexChanged, list, [list](int index) {
        if (index < 0 || !list->hasFocus() || list->view()->isVisible())
            return;
        QAccessibleInterface* view = QAccessible::queryAccessibleInterface(list->view());
        QAccessibleInterface* entry =
            view && view->tableInterface() ? view->tableInterface()->cellAt(index, list->modelColumn()) : nullptr;
        if (!entry)
            return;
        QAccessibleEvent focus(list->view(), QAccessible::Focus);
        focus.setChild(view->indexOfChild(entry));
        QAccessible::updateAccessibility(&focus);
    });
}

QString spokenColour(int red, int green, int blue, bool korean)
{
    return (korean ? QStringLiteral("빨강 %1, 초록 %2, 파랑 %3") : QStringLiteral("red %1, green %2, blue %3"))
        .arg(red)
        .arg(green)
        .arg(blue);
}

} // namespace td::ui
