#pragma once
// What every fuzz target shares: taking typed pieces out of the raw input, an
// in-memory file system, and how a broken property is reported.
#include "platform/FileSystem.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

namespace td::fuzz {

// Under libFuzzer a broken property aborts, so the input is kept as a crash;
// the corpus replay in the normal test build throws instead and names the file.
inline std::function<void(const std::string&)>& failHandler()
{
    static std::function<void(const std::string&)> handler = [](const std::string& what) {
        std::fprintf(stderr, "property broken: %s\n", what.c_str());
        std::abort();
    };
    return handler;
}

inline void require(bool holds, const std::string& what)
{
    if (!holds)
        failHandler()(what);
}

inline unsigned unit(QChar c) { return c.unicode(); }
inline unsigned unit(char c) { return static_cast<unsigned char>(c); }

// A failing input in printable form: ASCII as it is, every other unit escaped.
template <typename Text>
std::string shown(const Text& text)
{
    std::string out;
    for (const auto c : text) {
        const unsigned u = unit(c);
        char buf[8] = {char(u)};
        if (u < 0x20 || u >= 0x7F || u == '\\')
            std::snprintf(buf, sizeof buf, u > 0xFF ? "\\u%04x" : "\\x%02x", u);
        out += buf;
    }
    return out;
}

// Lines as a reader of these files splits them: each ends at CR, CR LF or, when
// lfEnds, a lone LF; keepEnds leaves the end on its line. A last unended line counts.
inline QList<QByteArray> splitLines(const QByteArray& b, bool lfEnds, bool keepEnds = false)
{
    QList<QByteArray> out;
    qsizetype start = 0;
    for (qsizetype i = 0; i < b.size(); ++i) {
        if (b[i] != '\r' && !(lfEnds && b[i] == '\n'))
            continue;
        const qsizetype end = i;
        if (b[i] == '\r' && i + 1 < b.size() && b[i + 1] == '\n')
            ++i;
        out.append(b.mid(start, (keepEnds ? i + 1 : end) - start));
        start = i + 1;
    }
    if (start < b.size())
        out.append(b.mid(start));
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
    IoStatus flush(const QString&) override { return IoStatus::success(); }
};

} // namespace td::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);
