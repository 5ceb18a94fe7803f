#pragma once
#include <QString>
#include <QtGlobal>
#include <optional>

// How Daybrook's stored display values become control values, and back.
namespace td::conv {

// A decimal number as Daybrook's files hold it: optional sign, digits with an
// optional fraction, optional exponent, surrounding blanks allowed. Anything
// else (empty text, letters, "1,5", infinities) is not a number.
std::optional<double> number(const QString& text);

// To the nearest whole number, halves to the even neighbour.
double roundHalfEven(double v);

// A colour value: RGB 0..0xFFFFFF, or a system colour (top bit set, index 0..24 in the low byte).
bool isColour(qint64 value);
// "to colour": nearest whole number (halves to even), 32-bit, and a colour a label accepts.
std::optional<qint32> toColour(const QString& text);
// "to small integer": nearest whole number (halves to even), 16-bit signed.
std::optional<qint16> toSmallInteger(const QString& text);
// "whole part": the largest whole number not greater than the number.
std::optional<double> wholePart(const QString& text);

inline bool isSystemColour(qint32 colour) { return colour < 0; }
inline int systemColourIndex(qint32 colour) { return colour & 0xFF; }

// Font descriptions "Face,Size": the face is what stands before the first comma;
// nothing when there is no comma.
std::optional<QString> faceOf(const QString& description);
// The size text is what follows the first comma (the whole text without a comma);
// its floor, or nothing when it is not a number.
std::optional<double> wholeSizeOf(const QString& description);
// Face, comma and the size as shortest decimal text: Arial,10 or Arial,10.5.
QString fontDescription(const QString& face, double size);

// The background picture path as shown: whole up to 40 characters, else "..." and the last 40.
QString shortenedPath(const QString& path);

} // namespace td::conv
