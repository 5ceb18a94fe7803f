#include "KeyboardAccess.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractScrollArea>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTextEdit>
#include <algorithm>
#include <cstdlib>
#include <optional>

namespace td {
namespace {

const char* const kOurName = "tdCaptionName";   // the name came from a caption beside the control
const char* const kOurBuddy = "tdCaptionBuddy"; // the buddy was set here, from the geometry

// A label that the page itself gave to another control names only that one.
bool buddyOfAnother(const QLabel* label, const QWidget* control)
{
    return label->buddy() && label->buddy() != control && !label->property(kOurBuddy).toBool();
}

// Parts of a compound control (a combo's popup, a list's scroll bars) belong to it.
QWidget* compoundOwner(QWidget* w, QWidget* page)
{
    QWidget* owner = nullptr;
    for (QWidget* p = w->parentWidget(); p && p != page; p = p->parentWidget()) {
        if (qobject_cast<QComboBox*>(p) || qobject_cast<QAbstractSpinBox*>(p) || qobject_cast<QAbstractScrollArea*>(p))
            owner = p;
    }
    return owner;
}

bool isClickableLabel(const QWidget* w)
{
    return qobject_cast<const QLabel*>(w) && w->focusPolicy() != Qt::NoFocus;
}

bool needsName(QWidget* w)
{
    if (auto* b = qobject_cast<QAbstractButton*>(w))
        return b->text().isEmpty();
    if (isClickableLabel(w))
        return static_cast<QLabel*>(w)->text().isEmpty();
    return qobject_cast<QLineEdit*>(w) || qobject_cast<QComboBox*>(w) || qobject_cast<QAbstractSpinBox*>(w)
           || qobject_cast<QAbstractSlider*>(w) || qobject_cast<QAbstractItemView*>(w)
           || qobject_cast<QPlainTextEdit*>(w) || qobject_cast<QTextEdit*>(w) || qobject_cast<QProgressBar*>(w);
}

// Anything the user operates or reads as a value: it takes the keyboard, is a button, a bar.
bool isControl(const QWidget* w)
{
    return w->focusPolicy() != Qt::NoFocus || qobject_cast<const QAbstractButton*>(w)
           || qobject_cast<const QAbstractSlider*>(w) || qobject_cast<const QProgressBar*>(w);
}

QString plain(QString text)
{
    text.remove(QRegularExpression(QStringLiteral("&(?!&)")));
    return text.simplified();
}

QRect rectIn(const QWidget* w, const QWidget* page)
{
    return QRect(w->mapTo(page, QPoint(0, 0)), w->size());
}

// On one line: the middles are closer than half the lower one's height. A tall control
// beside a column of options is on none of their lines.
bool sameRow(const QRect& a, const QRect& b)
{
    return std::abs(a.center().y() - b.center().y()) <= std::min(a.height(), b.height()) / 2 + 2;
}

// The frame a widget sits in: a caption outside a frame does not name what is inside.
const QWidget* frameOf(const QWidget* w, const QWidget* page)
{
    for (const QWidget* p = w->parentWidget(); p && p != page; p = p->parentWidget())
        if (qobject_cast<const QGroupBox*>(p))
            return p;
    return page;
}

struct Caption {
    QLabel* label;
    QRect rect;
    QString text;
    bool numeric; // a value label: it shows a number, it names nothing
    const QWidget* frame;
};

struct Control {
    QWidget* widget;
    QRect rect;
    const QWidget* frame;
};

// A short label right after a control: its unit. A value label between them is passed over.
std::optional<int> unitOf(const Control& c, const std::vector<Caption>& captions)
{
    constexpr int kGap = 24;
    int edge = c.rect.right();
    for (bool moved = true; moved;) {
        moved = false;
        for (size_t i = 0; i < captions.size(); ++i) {
            const Caption& l = captions[i];
            if (l.frame != c.frame || !sameRow(l.rect, c.rect) || l.rect.left() < edge - 2 || l.rect.left() - edge > kGap)
                continue;
            if (l.numeric) {
                edge = l.rect.right();
                moved = true;
                break;
            }
            if (l.text.size() <= 6)
                return int(i);
        }
    }
    return std::nullopt;
}

// A control stands between a caption above and the control below it.
bool controlBetween(const QRect& above, const QRect& below, const std::vector<Control>& controls, const QWidget* except)
{
    for (const Control& o : controls) {
        if (o.widget != except && o.rect.top() >= above.bottom() - 2 && o.rect.bottom() <= below.top() + 2
            && o.rect.right() > below.left() && o.rect.left() < below.right())
            return true;
    }
    return false;
}

// The caption left of a control in its row. A row of controls under one caption
// ("기간 [2004] 년 [3] 월") shares it: a control in the way passes on its own caption.
struct LeftCaption {
    QString text;
    QLabel* label = nullptr;
};

LeftCaption leftCaption(const Control& c, const std::vector<Caption>& captions, const std::vector<Control>& controls,
                        const std::vector<bool>& isUnit, int depth = 0)
{
    const Caption* best = nullptr;
    for (size_t i = 0; i < captions.size(); ++i) {
        const Caption& l = captions[i];
        // Beside a tall control (a vertical bar) a caption may stand anywhere along its height.
        const bool beside = sameRow(l.rect, c.rect)
                            || (c.rect.height() >= 2 * l.rect.height() && l.rect.center().y() >= c.rect.top()
                                && l.rect.center().y() <= c.rect.bottom());
        if (l.numeric || isUnit[i] || buddyOfAnother(l.label, c.widget) || !beside || l.frame != c.frame
            || l.rect.right() > c.rect.left() + 4)
            continue;
        if (!best || l.rect.right() > best->rect.right())
            best = &l;
    }
    const Control* nearest = nullptr;
    for (const Control& o : controls) {
        if (o.widget == c.widget || o.frame != c.frame || !sameRow(o.rect, c.rect) || o.rect.right() > c.rect.left() + 2)
            continue;
        if (!nearest || o.rect.right() > nearest->rect.right())
            nearest = &o;
    }
    if (nearest && (!best || nearest->rect.left() >= best->rect.right() - 2)) {
        // An option or check box before it captions it ("(o) 날짜기준 [15]").
        auto* b = qobject_cast<QAbstractButton*>(nearest->widget);
        if (b && !plain(b->text()).isEmpty() && c.rect.left() - nearest->rect.right() <= 16)
            return {plain(b->text()), nullptr};
        return depth < 8 ? leftCaption(*nearest, captions, controls, isUnit, depth + 1) : LeftCaption{};
    }
    return best ? LeftCaption{best->text, best->label} : LeftCaption{};
}

// The caption of a control, and the labels that show it: on Linux a screen reader
// reads a combo box's caption through the label whose buddy it is, not its name.
QString captionFor(const Control& c, const std::vector<Caption>& captions, const std::vector<Control>& controls,
                   const std::vector<bool>& isUnit, QWidget* page, std::vector<QLabel*>& labels)
{
    QString caption;
    QLabel* captionLabel = nullptr;
    for (const Caption& l : captions) {
        if (l.label->buddy() == c.widget && !l.label->property(kOurBuddy).toBool()) {
            caption = l.text;
            captionLabel = l.label;
        }
    }
    if (caption.isEmpty()) {
        const LeftCaption left = leftCaption(c, captions, controls, isUnit);
        caption = left.text;
        captionLabel = left.label;
    }
    if (caption.isEmpty()) {
        int best = 48;
        for (size_t i = 0; i < captions.size(); ++i) {
            const Caption& l = captions[i];
            if (l.numeric || isUnit[i] || buddyOfAnother(l.label, c.widget) || l.frame != c.frame)
                continue;
            const int gap = c.rect.top() - l.rect.bottom();
            const bool over = l.rect.left() < c.rect.right() && l.rect.right() > c.rect.left();
            if (over && gap >= -2 && gap < best && !controlBetween(l.rect, c.rect, controls, c.widget)) {
                best = gap;
                caption = l.text;
                captionLabel = l.label;
            }
        }
    }
    if (caption.isEmpty()) {
        for (QWidget* p = c.widget->parentWidget(); p && p != page->parentWidget(); p = p->parentWidget()) {
            if (auto* frame = qobject_cast<QGroupBox*>(p); frame && !plain(frame->title()).isEmpty()) {
                caption = plain(frame->title());
                break;
            }
        }
    }
    if (captionLabel)
        labels.push_back(captionLabel);
    if (auto unit = unitOf(c, captions); unit && captions[*unit].text != caption) {
        caption = caption.isEmpty() ? captions[*unit].text : caption + QLatin1Char(' ') + captions[*unit].text;
        labels.push_back(captions[*unit].label);
    }
    return caption;
}

void setOurName(QWidget* w, const QString& name)
{
    w->setAccessibleName(name);
    w->setProperty(kOurName, true);
}

bool mayName(const QWidget* w)
{
    return w->accessibleName().isEmpty() || w->property(kOurName).toBool();
}

void activateLayouts(QWidget* page)
{
    // Pages laid out by layouts get their geometry here, before the window is first shown.
    if (page->layout())
        page->layout()->activate();
    for (QWidget* w : page->findChildren<QWidget*>())
        if (w->layout())
            w->layout()->activate();
}

} // namespace

void nameFromCaptions(QWidget* page)
{
    activateLayouts(page);
    std::vector<Caption> captions;
    std::vector<Control> controls;
    std::vector<QWidget*> parts;
    const auto all = page->findChildren<QWidget*>();
    for (QWidget* w : all) {
        if (compoundOwner(w, page)) {
            parts.push_back(w);
            continue;
        }
        auto* label = qobject_cast<QLabel*>(w);
        if (label && !isControl(w)) {
            const QString text = plain(label->text());
            // A parked or hidden label is not what the user sees.
            const bool words = std::any_of(text.begin(), text.end(), [](QChar ch) { return ch.isLetterOrNumber(); });
            if (words && w->isVisibleTo(page) && w->x() > -1000)
                captions.push_back({label, rectIn(w, page), text,
                                    QRegularExpression(QStringLiteral("^-?\\d+$")).match(text).hasMatch(),
                                    frameOf(w, page)});
        } else if (isControl(w)) {
            controls.push_back({w, rectIn(w, page), frameOf(w, page)});
        }
    }
    std::vector<bool> isUnit(captions.size(), false);
    // Only a control without a caption of its own has a unit; a label after an option is a caption.
    for (const Control& c : controls) {
        if (!needsName(c.widget))
            continue;
        if (auto unit = unitOf(c, captions))
            isUnit[*unit] = true;
    }
    for (const Control& c : controls) {
        if (!needsName(c.widget) || !mayName(c.widget))
            continue;
        std::vector<QLabel*> labels;
        const QString name = captionFor(c, captions, controls, isUnit, page, labels);
        if (!name.isEmpty())
            setOurName(c.widget, name);
        for (QLabel* label : labels) {
            // Qt relates a label only to a sibling it is the buddy of.
            if (!label->buddy() && label->parentWidget() == c.widget->parentWidget()) {
                label->setBuddy(c.widget);
                label->setProperty(kOurBuddy, true);
            }
        }
    }
    // A combo's list and a list's scroll bars speak with their owner's name.
    for (QWidget* part : parts) {
        QWidget* owner = compoundOwner(part, page);
        if ((qobject_cast<QAbstractSlider*>(part) || qobject_cast<QAbstractItemView*>(part)) && mayName(part)
            && !owner->accessibleName().isEmpty())
            setOurName(part, owner->accessibleName());
    }
}

QList<QWidget*> visualOrder(QWidget* container)
{
    struct Block {
        QWidget* w;
        QRect r;
    };
    std::vector<Block> blocks;
    for (QWidget* w : container->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (w->isWindow())
            continue;
        blocks.push_back({w, w->geometry()});
    }
    std::stable_sort(blocks.begin(), blocks.end(), [](const Block& a, const Block& b) { return a.r.top() < b.r.top(); });
    // Rows: a block whose top is above the middle of the row's first block joins that row.
    std::vector<std::vector<Block>> rows;
    for (const Block& b : blocks) {
        if (rows.empty() || b.r.top() >= rows.back().front().r.center().y())
            rows.push_back({});
        rows.back().push_back(b);
    }
    QList<QWidget*> order;
    for (auto& row : rows) {
        std::stable_sort(row.begin(), row.end(), [](const Block& a, const Block& b) { return a.r.left() < b.r.left(); });
        for (const Block& b : row) {
            const bool compound = qobject_cast<QComboBox*>(b.w) || qobject_cast<QAbstractSpinBox*>(b.w)
                                  || qobject_cast<QAbstractScrollArea*>(b.w);
            if (b.w->focusPolicy() & Qt::TabFocus)
                order << b.w;
            if (!compound)
                order << visualOrder(b.w);
        }
    }
    return order;
}

void orderTabs(QWidget* first, const std::vector<QWidget*>& pages, const std::vector<QWidget*>& last)
{
    QList<QWidget*> chain{first};
    for (QWidget* page : pages) {
        // A value bar is a setting: the keyboard must reach it.
        for (QScrollBar* bar : page->findChildren<QScrollBar*>()) {
            if (!compoundOwner(bar, page) && bar->focusPolicy() == Qt::NoFocus)
                bar->setFocusPolicy(Qt::StrongFocus);
        }
        chain << visualOrder(page);
    }
    for (QWidget* w : last)
        chain << w;
    for (qsizetype i = 0; i + 1 < chain.size(); ++i)
        QWidget::setTabOrder(chain[i], chain[i + 1]);
}

} // namespace td
