#pragma once
#include <QString>
#include <QStringList>

class QWidget;

namespace td {

enum class MsgIcon {
    None,
    Information,
    Warning,
    Critical,
    Question,
};
enum class MsgButtons {
    Ok,
    OkCancel,
    YesNo,
    SaveDiscardCancel, // Cancel (and Escape) goes back to the window
};
enum class MsgAnswer {
    Ok,
    Cancel,
    Yes,
    No,
    Save,
    Discard,
};

struct Message {
    QString text; // may hold a lone CR between two lines
    QString title;
    MsgIcon icon = MsgIcon::None;
    MsgButtons buttons = MsgButtons::Ok;
    MsgAnswer defaultButton = MsgAnswer::Ok;
    QStringList captions = {}; // the buttons' own texts in their order, where the standard ones do not say enough
};

// Modal message boxes. Tests replace them with a recorder that answers from a script.
class IMessageBoxes {
public:
    virtual ~IMessageBoxes() = default;
    virtual MsgAnswer show(const Message& message) = 0;

    MsgAnswer info(const QString& text, const QString& title)
    {
        return show({text, title, MsgIcon::Information, MsgButtons::Ok, MsgAnswer::Ok});
    }
};

class QtMessageBoxes : public IMessageBoxes {
public:
    explicit QtMessageBoxes(QWidget* parent = nullptr) : parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }
    MsgAnswer show(const Message& message) override;

private:
    QWidget* parent_;
};

// A lone CR between two lines is a line break on screen. In a Korean message the
// system's common failure reasons (no space, no permission, read-only, not found,
// quota, too large, I/O error) read in Korean.
QString displayText(const QString& text);

} // namespace td
