#include "Conversions.h"

#include <QRegularExpression>
#include <cmath>
#include <limits>

namespace td::conv {

std::optional<double> number(const QString& text)
{
    static const QRegularExpression pattern(
        QStringLiteral("^[ \\t]*([+-]?(?:\\d+\\.?\\d*|\\.\\d+)(?:[eE][+-]?\\d+)?)[ \\t]*$"));
    const auto m = pattern.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    bool ok = false;
    const double v = m.captured(1).toLatin1().toDouble(&ok);
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return v;
}

double roundHalfEven(double v)
{
    const double lower = std::floor(v);
    const double diff = v - lower;
    if (diff < 0.5)
        return lower;
    if (diff > 0.5)
        return lower + 1;
    return std::fmod(lower, 2.0) == 0 ? lower : lower + 1;
}

bool isColour(qint64 value)
{
    if (value >= 0)
        return value <= 0xFFFFFF;
    const qint64 index = value - std::numeric_limits<qint32>::min(); // low byte of 0x800000xx
    return index >= 0 && index <= 24;
}

std::optional<qint32> toColour(const QString& text)
{
    const auto v = number(text);
    if (!v)
        return std::nullopt;
    const double r = roundHalfEven(*v);
    if (r < std::numeric_limits<qint32>::min() || r > std::numeric_limits<qint32>::max())
        return std::nullopt;
    if (!isColour(qint64(r)))
        return std::nullopt;
    return qint32(r);
}

std::optional<qint16> toSmallInteger(const QString& text)
{
    const auto v = number(text);
    if (!v)
        return std::nullopt;
    const double r = roundHalfEven(*v);
    if (r < std::numeric_limits<qint16>::min() || r > std::numeric_limits<qint16>::max())
        return std::nullopt;
    return qint16(r);
}

std::optional<double> wholePart(const QString& text)
{
    const auto v = number(text);
    if (!v)
        return std::nullopt;
    return std::floor(*v);
}

std::optional<QString> faceOf(const QString& description)
{
    const qsizetype comma = description.indexOf(QLatin1Char(','));
    if (comma < 0)
        return std::nullopt;
    return description.left(comma);
}

std::optional<double> wholeSizeOf(const QString& description)
{
    const qsizetype comma = description.indexOf(QLatin1Char(','));
    return wholePart(comma < 0 ? description : description.mid(comma + 1));
}

QString fontDescription(const QString& face, double size)
{
    return face + QLatin1Char(',') + QString::number(size, 'g', 7);
}

QString shortenedPath(const QString& path)
{
    if (path.size() <= 40)
        return path;
    return QStringLiteral("...") + path.right(40);
}

} // namespace td::conv
