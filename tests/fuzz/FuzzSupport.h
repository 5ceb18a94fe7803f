#pragma once
// What every fuzz target shares: taking typed pieces out of the raw input, an
// in-memory file system, and how a broken property is reported.
#include "platform/Cp949.h"
#include "platform/FileSystem.h"

#include <QHash>
#include <QRegularExpression>
#include <cstdint>
#include <stdexcept>
#include <string>

namespace td::fuzz {

// Under libFuzzer the uncaught exception aborts, so the input is kept as a
// crash; the corpus replay in the normal test build catches it and names the file.
inline void require(bool holds, const std::string& what)
{
    if (!holds)
        throw std::runtime_error("property broken: " + what);
}

// A failing input in printable form.
inline std::string shown(const QByteArray& bytes) { return bytes.toPercentEncoding(" []=;").toStdString(); }
inline std::string shown(const QString& text) { return shown(text.toUtf8()); }

// Lines as a reader of these files splits them: each ends at CR, CR LF or, when
// lfEnds, a lone LF; keepEnds leaves the end on its line. A last unended line counts.
inline QList<QByteArray> splitLines(const QByteArray& b, bool lfEnds, bool keepEnds = false)
{
    static const QRegularExpression crEnds(QStringLiteral("([^\\r]*)(\\r\\n|\\r|\\z)"));
    static const QRegularExpression anyEnds(QStringLiteral("([^\\r\\n]*)(\\r\\n|\\r|\\n|\\z)"));
    QList<QByteArray> out;
    for (auto it = (lfEnds ? anyEnds : crEnds).globalMatch(QString::fromLatin1(b)); it.hasNext();)
        if (const QRegularExpressionMatch m = it.next(); m.capturedLength() > 0)
            out.append(m.captured(keepEnds ? 0 : 1).toLatin1());
    return out;
}

// Reads typed pieces from the front of the input; an exhausted input gives zeros and empties.
class Input {
public:
    Input(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    uint8_t byte() { return pos_ < size_ ? data_[pos_++] : 0; }
    int number(int below) { return byte() % below; }
    // A piece of up to maxLen bytes, its length given by the byte before it.
    QByteArray bytes(int maxLen = 255) { return take(size_t(byte()) % (size_t(maxLen) + 1)); }
    // Any UTF-16 text, including lone surrogates and characters no code page holds.
    QString anyText(int maxLen = 64)
    {
        QString out;
        for (int len = number(maxLen + 1); len > 0 && pos_ < size_; --len) {
            const char16_t hi = byte();
            out.append(QChar(char16_t(hi << 8 | byte())));
        }
        return out;
    }
    QByteArray rest() { return take(size_); }

private:
    QByteArray take(size_t len)
    {
        len = std::min(len, size_ - pos_);
        pos_ += len;
        return QByteArray(reinterpret_cast<const char*>(data_ + pos_ - len), qsizetype(len));
    }
    const uint8_t* data_;
    size_t size_, pos_ = 0;
};

// Files kept in memory: every write is whole, as the real one's.
class MemoryFileSystem : public IFileSystem {
public:
    QHash<QString, QByteArray> files;

    bool fileExists(const QString& path) const override { return files.contains(path); }
    bool dirExists(const QString&) const override { return true; }
    IoStatus readAll(const QString& path, QByteArray& bytes) const override
    {
        bytes = files.value(path);
        return files.contains(path) ? IoStatus::success() : IoStatus::absent(path, QStringLiteral("no such file"));
    }
    IoStatus writeAtomic(const QString& path, const QByteArray& bytes, Durability) override
    {
        files.insert(path, bytes);
        return IoStatus::success();
    }
    IoStatus remove(const QString& path) override
    {
        return files.remove(path) ? IoStatus::success() : IoStatus::failure(path, QStringLiteral("no such file"));
    }
    IoStatus makeDir(const QString&) override { return IoStatus::success(); }
    IoStatus removeDir(const QString&) override { return IoStatus::success(); }
    IoStatus rename(const QString& from, const QString& to) override
    {
        if (!files.contains(from))
            return IoStatus::failure(to, QStringLiteral("no such file"));
        files.insert(to, files.take(from));
        return IoStatus::success();
    }
    IoStatus flush(const QString&) override { return IoStatus::success(); }
};

} // namespace td::fuzz

using namespace td;
using namespace td::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);
