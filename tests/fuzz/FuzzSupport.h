#pragma once
// What every fuzz target shares: taking typed pieces out of the raw input, an
// in-memory file system, and how a broken property is reported.
#include "platform/FileSystem.h"

#include <QByteArray>
#include <QHash>
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

inline QByteArray shown(const QByteArray& bytes)
{
    QByteArray out;
    for (const char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        if (u >= 0x20 && u < 0x7F && u != '\\')
            out.append(c);
        else
            out.append("\\x" + QByteArray::number(u, 16).rightJustified(2, '0'));
    }
    return out;
}

inline QByteArray shown(const QString& text)
{
    QByteArray out;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u >= 0x20 && u < 0x7F && u != '\\')
            out.append(char(u));
        else
            out.append("\\u" + QByteArray::number(u, 16).rightJustified(4, '0'));
    }
    return out;
}

inline void require(bool holds, const std::string& what)
{
    if (!holds)
        failHandler()(what);
}

// Reads typed pieces from the front of the input; an exhausted input gives zeros and empties.
class Input {
public:
    Input(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    bool empty() const { return pos_ >= size_; }
    uint8_t byte() { return pos_ < size_ ? data_[pos_++] : 0; }
    int number(int below) { return below <= 0 ? 0 : byte() % below; }
    // A piece of up to maxLen bytes, its length given by the byte before it.
    QByteArray bytes(int maxLen = 255)
    {
        const size_t len = std::min<size_t>(size_t(byte()) % (size_t(maxLen) + 1), size_ - std::min(pos_, size_));
        QByteArray out(reinterpret_cast<const char*>(data_ + pos_), qsizetype(len));
        pos_ += len;
        return out;
    }
    // Any UTF-16 text, including lone surrogates and characters no code page holds.
    QString anyText(int maxLen = 64)
    {
        const int len = number(maxLen + 1);
        QString out;
        for (int i = 0; i < len && !empty(); ++i) {
            const char16_t hi = byte(), lo = byte();
            out.append(QChar(char16_t(hi << 8 | lo)));
        }
        return out;
    }
    QByteArray rest()
    {
        QByteArray out(reinterpret_cast<const char*>(data_ + std::min(pos_, size_)), qsizetype(size_ - std::min(pos_, size_)));
        pos_ = size_;
        return out;
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};

// Files kept in memory: every write is whole, as the real one's.
class MemoryFileSystem : public IFileSystem {
public:
    QHash<QString, QByteArray> files;

    bool fileExists(const QString& path) const override { return files.contains(path); }
    bool dirExists(const QString&) const override { return true; }
    IoStatus readAll(const QString& path, QByteArray& bytes) const override
    {
        const auto it = files.constFind(path);
        if (it == files.cend())
            return IoStatus::failure(path, QStringLiteral("no such file"));
        bytes = *it;
        return IoStatus::success();
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
