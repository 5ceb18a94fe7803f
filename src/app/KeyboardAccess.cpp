#include "KeyboardAccess.h"

#include <QAbstractScrollArea>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QLayout>
#include <QScrollBar>
#include <algorithm>

namespace td {
namespace {

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
        activateLayouts(page);
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
