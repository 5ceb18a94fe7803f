// The profile reader and writer: a written key reads back as written (trimmed
// the platform's way), and nothing else of the file changes.
#include "FuzzSupport.h"
#include "platform/ProfileFile.h"

#include <QMap>

namespace {

QByteArray trim(QByteArray s, QByteArrayView blanks = " \t")
{
    while (!s.isEmpty() && blanks.contains(s.back()))
        s.chop(1);
    while (!s.isEmpty() && blanks.contains(s.front()))
        s.remove(0, 1);
    return s;
}

// One pair of matching quotes around a value is dropped.
QByteArray unquote(const QByteArray& v)
{
    return v.size() >= 2 && (v[0] == '"' || v[0] == '\'') && v.back() == v[0] ? v.mid(1, v.size() - 2) : v;
}

QByteArray fold(QByteArray name)
{
    for (qsizetype i = 0; i < name.size(); ++i) {
        const auto c = static_cast<unsigned char>(name[i]);
        if (c >= 0x81 && c <= 0xFE && i + 1 < name.size())
            ++i; // the trail byte of a Korean character is not a letter
        else if (c >= 'A' && c <= 'Z')
            name[i] = char(c + 32);
    }
    return name;
}

// An independent reading of the private-profile rules, line by line:
// folded section -> (folded key -> value); only the first section and key of a name count.
using Model = QMap<QByteArray, QMap<QByteArray, QByteArray>>;
Model model(const QByteArray& bytes)
{
    Model sections;
    QMap<QByteArray, QByteArray>* current = nullptr;
    QMap<QByteArray, QByteArray> ignored; // a repeated section is never searched
    for (const QByteArray& raw : splitLines(bytes, true)) {
        const QByteArray t = trim(raw);
        if (t.startsWith('[')) {
            QByteArray name = t.mid(1);
            if (const qsizetype close = name.indexOf(']'); close >= 0)
                name.truncate(close);
            const QByteArray folded = fold(trim(name));
            ignored.clear();
            current = sections.contains(folded) ? &ignored : &sections[folded];
            continue;
        }
        const qsizetype eq = raw.indexOf('=');
        if (!current || t.startsWith(';') || eq < 0)
            continue;
        const QByteArray key = fold(trim(raw.left(eq)));
        if (!current->contains(key))
            current->insert(key, unquote(trim(raw.mid(eq + 1))));
    }
    return sections;
}

// The writer must refuse what cannot stand in a profile line unchanged.
bool refusable(const QByteArray& section, const QByteArray& key, const QByteArray& value)
{
    const QByteArray all = section + key + value;
    // The file's names are trimmed of tabs: one at either end would never read back.
    const bool tabbed = trim(section, "\t") != section || trim(key, "\t") != key;
    return all.contains('\r') || all.contains('\n') || all.contains('\0') || tabbed || section.contains(']') || key.isEmpty()
           || key.contains('=') || key.startsWith('[') || key.startsWith(';');
}

// Old and new lines: one old line replaced in place, or one or two new lines
// inserted (an unended line before them may gain its line end).
void onlyOnePlaceChanged(const QByteArray& before, const QByteArray& after, const std::string& what)
{
    const QList<QByteArray> a = splitLines(before, true, true), b = splitLines(after, true, true);
    qsizetype head = 0, tail = 0;
    while (head < a.size() && head < b.size() && a[head] == b[head]) ++head;
    while (tail < a.size() - head && tail < b.size() - head && a[a.size() - 1 - tail] == b[b.size() - 1 - tail]) ++tail;
    const qsizetype removed = a.size() - head - tail, added = b.size() - head - tail;
    // No line removed: the same line written again, a new key, or a new section with its key.
    const bool fine = removed == 0 ? added <= 2
                                   : removed == 1 && (added == 1 || (b[head] == a[head] + "\r\n" && (added == 2 || added == 3)));
    require(fine, what + ": " + std::to_string(removed) + " lines became " + std::to_string(added));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Input in(data, size);
    const int mode = in.byte();
    // Names and values as the dialogs may hand them over (any text at all), or as a file holds them.
    auto text = [&](int len) { return (mode & 1) ? in.anyText(len) : Cp949::decode(in.bytes(len * 3 / 2)); };
    const QString section = text(16), key = text(16), value = text(32); // taken in this order
    const QByteArray original = in.rest();

    const ProfileDocument doc = ProfileDocument::parse(original);
    require(doc.bytes() == original, "a parsed file does not give back its bytes");
    // The reader agrees with the independent reading of every key.
    const Model before = model(original);
    for (auto s = before.cbegin(); s != before.cend(); ++s)
        for (auto k = s->cbegin(); k != s->cend(); ++k)
            require(doc.value(s.key(), k.key()) == std::optional<QByteArray>(*k),
                    "reader disagrees on [" + shown(s.key()) + "] " + shown(k.key()));

    MemoryFileSystem fs;
    const QString path = QStringLiteral("/p/Daybrook.ini");
    if (!(mode & 2))
        fs.files.insert(path, original); // otherwise the write creates the file
    const QByteArray start = fs.files.value(path);

    ProfileFile profile(fs);
    const IoStatus st = profile.write(path, section, key, value);
    const Cp949::Encoded es = Cp949::encode(section), ek = Cp949::encode(key), ev = Cp949::encode(value);
    const bool writable = es.ok() && ek.ok() && ev.ok() && !refusable(trim(es.bytes, " "), trim(ek.bytes, " "), ev.bytes);
    const std::string what = "[" + shown(section) + "] " + shown(key) + "=" + shown(value);
    if (!st.ok) {
        require(!writable, "a writable key was refused: " + what);
        require(!st.reason.isEmpty(), "a refusal without a reason: " + what);
        require(fs.files.value(path) == start && fs.files.contains(path) == !(mode & 2),
                "a refused write touched the file: " + what);
        return 0;
    }
    require(writable, "a key that cannot stand in the file was written: " + what);
    const QByteArray written = fs.files.value(path);
    onlyOnePlaceChanged(start, written, what);

    // The key reads back, trimmed and unquoted as the platform delivers it.
    const QString got = profile.read(path, section, key, QStringLiteral("<none>"), 0);
    require(got == Cp949::decode(unquote(trim(ev.bytes))), "written key reads back as " + shown(got) + ": " + what);

    // Every other key reads as before, no section went and no key appeared besides the written one.
    Model after = model(written), expected = model(start);
    const QByteArray ws = fold(trim(es.bytes, " ")), wk = fold(trim(ek.bytes, " "));
    after[ws].remove(wk);
    expected[ws].remove(wk);
    require(after == expected, "other keys changed by " + what);
    return 0;
}
