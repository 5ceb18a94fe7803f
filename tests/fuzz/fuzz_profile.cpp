// The profile reader and writer: a written key reads back as written (trimmed
// the platform's way), and nothing else of the file changes.
#include "FuzzSupport.h"
#include "platform/Cp949.h"
#include "platform/ProfileFile.h"

#include <QList>
#include <QMap>

using namespace td;
using namespace td::fuzz;

namespace {

// An independent reading of the private-profile rules, line by line.
struct Model {
    // folded section -> (folded key -> value); only the first section and key of a name count.
    QMap<QByteArray, QMap<QByteArray, QByteArray>> sections;

    static bool blank(char c) { return c == ' ' || c == '\t'; }
    static QByteArray trim(const QByteArray& s)
    {
        qsizetype b = 0, e = s.size();
        while (b < e && blank(s[b])) ++b;
        while (e > b && blank(s[e - 1])) --e;
        return s.mid(b, e - b);
    }
    static QByteArray fold(const QByteArray& name)
    {
        QByteArray out = name;
        for (qsizetype i = 0; i < out.size(); ++i) {
            const auto c = static_cast<unsigned char>(out[i]);
            if (c >= 0x81 && c <= 0xFE && i + 1 < out.size())
                ++i;   // the trail byte of a Korean character is not a letter
            else if (c >= 'A' && c <= 'Z')
                out[i] = char(c + 32);
        }
        return out;
    }
    static QList<QByteArray> lines(const QByteArray& bytes)
    {
        QList<QByteArray> out;
        QByteArray line;
        for (qsizetype i = 0; i < bytes.size(); ++i) {
            const char c = bytes[i];
            if (c == '\r' || c == '\n') {
                out.append(line);
                line.clear();
                if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
                    ++i;
            } else {
                line.append(c);
            }
        }
        if (!line.isEmpty())
            out.append(line);
        return out;
    }

    explicit Model(const QByteArray& bytes)
    {
        QMap<QByteArray, QByteArray>* current = nullptr;
        QMap<QByteArray, QByteArray> ignored;   // a repeated section is never searched
        for (const QByteArray& raw : lines(bytes)) {
            const QByteArray t = trim(raw);
            if (t.startsWith('[')) {
                QByteArray name = t.mid(1);
                if (const qsizetype close = name.indexOf(']'); close >= 0)
                    name.truncate(close);
                const QByteArray folded = fold(trim(name));
                if (sections.contains(folded)) {
                    ignored.clear();
                    current = &ignored;
                } else {
                    current = &sections[folded];
                }
                continue;
            }
            if (!current || t.startsWith(';'))
                continue;
            const qsizetype eq = raw.indexOf('=');
            if (eq < 0)
                continue;
            const QByteArray key = fold(trim(raw.left(eq)));
            if (current->contains(key))
                continue;
            QByteArray value = trim(raw.mid(eq + 1));
            if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0])
                value = value.mid(1, value.size() - 2);
            current->insert(key, value);
        }
    }
};

QByteArray trimSpaces(QByteArray s)
{
    while (s.startsWith(' ')) s.remove(0, 1);
    while (s.endsWith(' ')) s.chop(1);
    return s;
}

// The writer must refuse what cannot stand in a profile line unchanged.
bool refusable(const QByteArray& section, const QByteArray& key, const QByteArray& value)
{
    for (const QByteArray* part : {&section, &key, &value})
        if (part->contains('\r') || part->contains('\n') || part->contains('\0'))
            return true;
    for (const QByteArray* name : {&section, &key})
        if (name->startsWith('\t') || name->endsWith('\t'))
            return true;   // the file's names are trimmed of tabs: it would never read back
    return section.contains(']') || key.isEmpty() || key.contains('=') || key.startsWith('[') || key.startsWith(';');
}

// Old and new lines: one old line replaced in place, or one or two new lines
// inserted (an unended line before them may gain its line end).
void onlyOnePlaceChanged(const QByteArray& before, const QByteArray& after, const std::string& what)
{
    auto split = [](const QByteArray& b) {
        QList<QByteArray> out;
        qsizetype start = 0;
        for (qsizetype i = 0; i < b.size(); ++i) {
            if (b[i] == '\r' && i + 1 < b.size() && b[i + 1] == '\n')
                ++i;
            if (b[i] == '\r' || b[i] == '\n') {
                out.append(b.mid(start, i + 1 - start));
                start = i + 1;
            }
        }
        if (start < b.size())
            out.append(b.mid(start));
        return out;
    };
    const QList<QByteArray> a = split(before), b = split(after);
    qsizetype head = 0;
    while (head < a.size() && head < b.size() && a[head] == b[head]) ++head;
    qsizetype tail = 0;
    while (tail < a.size() - head && tail < b.size() - head && a[a.size() - 1 - tail] == b[b.size() - 1 - tail]) ++tail;
    const qsizetype removed = a.size() - head - tail, added = b.size() - head - tail;
    bool fine = false;
    if (removed == 0)
        fine = added <= 2;   // the same line written again, a new key, or a new section with its key
    else if (removed == 1)
        fine = added == 1 || (b[head] == a[head] + "\r\n" && (added == 2 || added == 3));
    require(fine, what + ": " + std::to_string(removed) + " lines became " + std::to_string(added));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Input in(data, size);
    const int mode = in.byte();
    QString section, key, value;
    if (mode & 1) {
        // Names and values as the dialogs may hand them over: any text at all.
        section = in.anyText(16);
        key = in.anyText(16);
        value = in.anyText(32);
    } else {
        section = Cp949::decode(in.bytes(24));
        key = Cp949::decode(in.bytes(24));
        value = Cp949::decode(in.bytes(48));
    }
    const QByteArray original = in.rest();

    const ProfileDocument doc = ProfileDocument::parse(original);
    require(doc.bytes() == original, "a parsed file does not give back its bytes");

    const Model before(original);
    // The reader agrees with the independent reading of every key.
    for (auto s = before.sections.cbegin(); s != before.sections.cend(); ++s)
        for (auto k = s->cbegin(); k != s->cend(); ++k)
            require(doc.value(s.key(), k.key()) == std::optional<QByteArray>(*k),
                    "reader disagrees on [" + shown(s.key()).toStdString() + "] " + shown(k.key()).toStdString());

    MemoryFileSystem fs;
    const QString path = QStringLiteral("/p/Daybrook.ini");
    if (!(mode & 2))
        fs.files.insert(path, original);   // otherwise the write creates the file
    const QByteArray start = fs.files.value(path);
    const Model startModel(start);

    ProfileFile profile(fs);
    const IoStatus st = profile.write(path, section, key, value);

    const Cp949::Encoded es = Cp949::encode(section), ek = Cp949::encode(key), ev = Cp949::encode(value);
    const bool encodable = es.ok() && ek.ok() && ev.ok();
    const QByteArray s = trimSpaces(es.bytes), k = trimSpaces(ek.bytes);
    const std::string what = "[" + shown(section).toStdString() + "] " + shown(key).toStdString() + "="
        + shown(value).toStdString();

    if (!st.ok) {
        require(!encodable || refusable(s, k, ev.bytes), "a writable key was refused: " + what);
        require(!st.reason.isEmpty(), "a refusal without a reason: " + what);
        require(fs.files.value(path) == start && fs.files.contains(path) == !(mode & 2),
                "a refused write touched the file: " + what);
        return 0;
    }
    require(encodable && !refusable(s, k, ev.bytes), "a key that cannot stand in the file was written: " + what);
    const QByteArray written = fs.files.value(path);
    onlyOnePlaceChanged(start, written, what);

    // The key reads back, trimmed and unquoted as the platform delivers it.
    QByteArray expected = Model::trim(ev.bytes);
    if (expected.size() >= 2 && (expected[0] == '"' || expected[0] == '\'') && expected.back() == expected[0])
        expected = expected.mid(1, expected.size() - 2);
    const QString got = profile.read(path, section, key, QStringLiteral("<none>"), 0);
    require(got == Cp949::decode(expected), "written key reads back as " + shown(got).toStdString() + ": " + what);

    // Every other key reads as before, and no key appeared besides the written one.
    const Model after(written);
    const QByteArray fs_ = Model::fold(s), fk = Model::fold(k);
    for (auto sec = startModel.sections.cbegin(); sec != startModel.sections.cend(); ++sec) {
        require(after.sections.contains(sec.key()), "section lost: " + shown(sec.key()).toStdString() + " by " + what);
        for (auto kv = sec->cbegin(); kv != sec->cend(); ++kv) {
            if (sec.key() == fs_ && kv.key() == fk)
                continue;
            require(after.sections[sec.key()].value(kv.key(), "<gone>") == *kv,
                    "[" + shown(sec.key()).toStdString() + "] " + shown(kv.key()).toStdString() + " changed by " + what);
        }
    }
    for (auto sec = after.sections.cbegin(); sec != after.sections.cend(); ++sec)
        for (auto kv = sec->cbegin(); kv != sec->cend(); ++kv)
            require(startModel.sections.value(sec.key()).contains(kv.key()) || (sec.key() == fs_ && kv.key() == fk),
                    "key appeared: [" + shown(sec.key()).toStdString() + "] " + shown(kv.key()).toStdString() + " by " + what);
    return 0;
}
