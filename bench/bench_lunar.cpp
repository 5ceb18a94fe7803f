// Next solar date of every entry of a 5,000-entry holiday list, half of them lunar.
// Baseline: ICU alone, one calendar, one field-to-date conversion per lunar entry
// for this year only, without keeping the months it has computed.
#include "holidays/HolidayDates.h"

#include <QCoreApplication>
#include <QDate>
#include <QElapsedTimer>
#include <QStringList>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include <unicode/calendar.h>
#include <unicode/locid.h>
#include <unicode/timezone.h>

namespace {

QString entry(int i)
{
    return QStringLiteral("%1/%2(%3)[기념일 %4 제목]").arg(i % 12 + 1).arg(i % 30 + 1).arg(i % 2 ? 'L' : 'S').arg(i);
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    constexpr int kList = 5000, kRounds = 7;
    const QDate today(2026, 12, 7);
    QStringList list;
    for (int i = 0; i < kList; ++i)
        list.append(entry(i));

    QElapsedTimer t;
    int found = 0;
    std::vector<double> ours;
    for (int round = 0; round < kRounds; ++round) {
        t.start();
        for (const QString& e : list)
            found += bool(td::HolidayDates::next(e, today));
        ours.push_back(t.nsecsElapsed() / 1e6);
    }
    // Solar 31sts of short months and lunar 31sts give nothing.
    if (found == 0) {
        std::puts("no dates");
        return 1;
    }

    std::vector<double> plain;
    for (int round = 0; round < 3; ++round) {
        t.start();
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<icu::Calendar> cal(icu::Calendar::createInstance(
            icu::TimeZone::getGMT()->clone(), icu::Locale("ko_KR@calendar=dangi"), status));
        double sum = 0;
        for (int i = 1; i < kList; i += 2) {
            cal->clear();
            cal->set(UCAL_EXTENDED_YEAR, today.year() + 2333);
            cal->set(UCAL_MONTH, i % 12);
            cal->set(UCAL_IS_LEAP_MONTH, 0);
            cal->set(UCAL_DATE, i % 30 + 1);
            sum += cal->getTime(status);
        }
        plain.push_back(t.nsecsElapsed() / 1e6);
        if (U_FAILURE(status) || sum == 0) {
            std::puts("ICU failed");
            return 1;
        }
    }

    std::printf("next solar date, %d entries (%d lunar): first pass %.1f ms (ICU start-up included), then %.2f ms\n",
                kList, kList / 2, ours.front(), median({ours.begin() + 1, ours.end()}));
    std::printf("ICU alone, one conversion per lunar entry: %.1f ms  ratio %.2f\n", median(plain),
                median({ours.begin() + 1, ours.end()}) / median(plain));
    return 0;
}
