// What the export benchmarks share: a page's surroundings that answer at once,
// a day's two texts, and the median of the runs.
#pragma once
#include "platform/CommonDialog.h"
#include "platform/MessageBoxes.h"
#include "platform/SettingsStore.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <vector>

namespace bench {

class Store : public td::ISettingsStore {
public:
    QString get(const QString&, const QString& def) const override { return def; }
    bool save(const QString&, const QString&) override { return true; }
    bool removeSection() override { return true; }
};

class Boxes : public td::IMessageBoxes {
public:
    QStringList shown;
    td::MsgAnswer show(const td::Message& m) override
    {
        shown << m.text;
        return td::MsgAnswer::Ok;
    }
};

class Dialog : public td::CommonDialog {
public:
    QString target;
    bool ShowColor() override { return false; }
    bool ShowFont() override { return false; }
    bool ShowOpen() override { return false; }
    bool ShowSave() override
    {
        FileName = target;
        return true;
    }
};

struct Day {
    QDate date;
    QString memo;
    QString done;
};

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace bench
