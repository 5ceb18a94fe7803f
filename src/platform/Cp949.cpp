#include "Cp949.h"

#include <iconv.h>
#include <array>
#include <memory>

namespace td {
namespace {

// Both directions as tables, built once from glibc's converter: a lookup per
// character keeps a 50 MB day file fast.
struct Tables {
    std::array<char16_t, 65536> decode{}; // lead << 8 | trail -> UTF-16, 0 = invalid
    std::array<uint16_t, 65536> encode{}; // UTF-16 -> lead << 8 | trail (or single byte), 0 = none

    Tables()
    {
        iconv_t cd = iconv_open("UTF-16LE", "CP949");
        if (cd == iconv_t(-1))
            return;
        auto convert = [&](const char* in, size_t len) -> char16_t {
            char16_t u[4];
            char* ip = const_cast<char*>(in);
            size_t il = len;
            char* op = reinterpret_cast<char*>(u);
            size_t ol = sizeof u;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
            if (iconv(cd, &ip, &il, &op, &ol) == size_t(-1) || il != 0 || ol != sizeof u - 2)
                return 0;
            return u[0];
        };
        for (int b = 0x80; b <= 0xFF; ++b) { // single bytes above ASCII (0x80 in some builds)
            const char in[1] = {char(b)};
            if (char16_t u = convert(in, 1)) {
                decode[b] = u;
                if (!encode[u]) encode[u] = uint16_t(b);
            }
        }
        for (int lead = 0x81; lead <= 0xFE; ++lead) {
            for (int trail = 0x41; trail <= 0xFE; ++trail) {
                const char in[2] = {char(lead), char(trail)};
                if (char16_t u = convert(in, 2)) {
                    decode[(lead << 8) | trail] = u;
                    if (!encode[u]) encode[u] = uint16_t((lead << 8) | trail);
                }
            }
        }
        iconv_close(cd);
    }
};

const Tables& tables()
{
    static const std::unique_ptr<Tables> t = std::make_unique<Tables>();
    return *t;
}

} // namespace

QString Cp949::decode(QByteArrayView bytes, bool* clean)
{
    const Tables& t = tables();
    bool ok = true;
    QString out(bytes.size(), Qt::Uninitialized);
    char16_t* o = reinterpret_cast<char16_t*>(out.data());
    qsizetype w = 0;
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n;) {
        const unsigned b = static_cast<unsigned char>(bytes[i]);
        if (b < 0x80) {
            o[w++] = char16_t(b);
            ++i;
            continue;
        }
        if (i + 1 < n) {
            const unsigned trail = static_cast<unsigned char>(bytes[i + 1]);
            if (char16_t u = t.decode[(b << 8) | trail]; u && b >= 0x81) {
                o[w++] = u;
                i += 2;
                continue;
            }
        }
        if (char16_t u = t.decode[b]) {
            o[w++] = u;
            ++i;
            continue;
        }
        ok = false;
        o[w++] = char16_t(0xDC00 + b);
        ++i;
    }
    out.truncate(w);
    if (clean) *clean = ok;
    return out;
}

Cp949::Encoded Cp949::encode(QStringView text)
{
    const Tables& t = tables();
    Encoded r;
    r.bytes.reserve(text.size() * 2);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text[i].unicode();
        if (u < 0x80) {
            r.bytes.append(char(u));
            continue;
        }
        if (isEscape(u)) {
            r.bytes.append(char(u - 0xDC00));
            continue;
        }
        const uint16_t code = QChar::isSurrogate(u) ? 0 : t.encode[u];
        if (!code) {
            r.badCharacter = (QChar::isHighSurrogate(u) && i + 1 < text.size()) ? text.mid(i, 2).toString()
                                                                                : QString(QChar(u));
            r.bytes.clear();
            return r;
        }
        if (code > 0xFF) r.bytes.append(char(code >> 8));
        r.bytes.append(char(code & 0xFF));
    }
    return r;
}

} // namespace td
