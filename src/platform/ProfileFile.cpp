#include "ProfileFile.h"

#include "Cp949.h"
#include "Spaces.h"

namespace td {
namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }
bool isLineEnd(char c) { return c == '\r' || c == '\n'; }
bool isLeadByte(unsigned char c) { return c >= 0x81 && c <= 0xFE; }

QByteArrayView trimBlanks(QByteArrayView v)
{
    qsizetype b = 0, e = v.size();
    while (b < e && isBlank(v[b])) ++b;
    while (e > b && isBlank(v[e - 1])) --e;
    return v.sliced(b, e - b);
}

// The line without its line end (CR LF, CR or LF).
QByteArrayView content(const QByteArray& line)
{
    qsizetype e = line.size();
    if (e > 0 && line[e - 1] == '\n') {
        --e;
        if (e > 0 && line[e - 1] == '\r') --e;
    } else if (e > 0 && line[e - 1] == '\r') {
        --e;
    }
    return QByteArrayView(line).first(e);
}

bool endsWithLineEnd(const QByteArray& line) { return !line.isEmpty() && isLineEnd(line.back()); }

// A header line gives its trimmed name.
std::optional<QByteArrayView> headerName(QByteArrayView line)
{
    const QByteArrayView t = trimBlanks(line);
    if (t.isEmpty() || t[0] != '[')
        return std::nullopt;
    QByteArrayView name = t.sliced(1);
    if (const qsizetype close = name.indexOf(']'); close >= 0)
        name = name.first(close);
    return trimBlanks(name);
}

bool isComment(QByteArrayView line)
{
    const QByteArrayView t = trimBlanks(line);
    return !t.isEmpty() && t[0] == ';';
}

// The key of a key line (the file's own spelling), or nothing for other lines.
std::optional<QByteArrayView> keyName(QByteArrayView line)
{
    if (isComment(line) || headerName(line))
        return std::nullopt;
    const qsizetype eq = line.indexOf('=');
    if (eq < 0)
        return std::nullopt;
    return trimBlanks(line.first(eq));
}

QByteArray valueOf(QByteArrayView line)
{
    QByteArrayView v = trimBlanks(line.sliced(line.indexOf('=') + 1));
    if (v.size() >= 2 && (v[0] == '"' || v[0] == '\'') && v.back() == v[0])
        v = v.sliced(1, v.size() - 2);
    return v.toByteArray();
}

QString withoutTrailingSpaces(const QString& s)
{
    qsizetype e = s.size();
    while (e > 0 && s[e - 1] == QLatin1Char(' ')) --e;
    return s.left(e);
}

// What the platform copies into a buffer of bufferSize bytes: the text up to a
// zero byte, at most bufferSize - 1 bytes of it.
QString deliver(QByteArray bytes, int bufferSize)
{
    if (const qsizetype nul = bytes.indexOf('\0'); nul >= 0)
        bytes.truncate(nul);
    if (bufferSize > 0)
        bytes = ProfileFile::cutToBytes(bytes, bufferSize - 1);
    return Cp949::decode(bytes);
}

} // namespace

// ---- ProfileDocument ----

QByteArray ProfileDocument::foldName(QByteArrayView name)
{
    QByteArray out = name.toByteArray();
    for (qsizetype i = 0; i < out.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(out[i]);
        if (isLeadByte(c) && i + 1 < out.size())
            ++i;
        else if (c >= 'A' && c <= 'Z')
            out[i] = char(c - 'A' + 'a');
    }
    return out;
}

ProfileDocument ProfileDocument::parse(const QByteArray& bytes)
{
    ProfileDocument doc;
    doc.bytes_ = bytes;
    doc.sections_.append(Section{});
    Section* current = &doc.sections_.back();
    bool inSection = false;

    const qsizetype n = bytes.size();
    qsizetype start = 0;
    while (start < n) {
        qsizetype end = start;
        while (end < n && !isLineEnd(bytes[end])) ++end;
        const QByteArrayView text(bytes.constData() + start, end - start);
        if (end < n)
            end += (bytes[end] == '\r' && end + 1 < n && bytes[end + 1] == '\n') ? 2 : 1;
        const QByteArray line = bytes.mid(start, end - start);
        start = end;

        if (const auto name = headerName(text)) {
            doc.sections_.append(Section{});
            current = &doc.sections_.back();
            current->lines.append(line);
            const QByteArray folded = foldName(*name);
            if (!doc.sectionIndex_.contains(folded)) // the first section of a name is the one searched
                doc.sectionIndex_.insert(folded, int(doc.sections_.size() - 1));
            inSection = true;
            continue;
        }
        current->lines.append(line);
        if (!inSection)
            continue; // lines before the first header cannot be read
        if (const auto key = keyName(text)) {
            const int at = int(current->lines.size() - 1);
            const QByteArray folded = foldName(*key);
            if (!current->keyLine.contains(folded)) // the first key of a name wins
                current->keyLine.insert(folded, at);
            current->lastKeyLine = at;
        }
    }
    return doc;
}

const QByteArray& ProfileDocument::bytes() const
{
    if (bytesStale_) {
        qsizetype size = 0;
        for (const Section& s : sections_)
            for (const QByteArray& l : s.lines)
                size += l.size();
        bytes_.clear();
        bytes_.reserve(size);
        for (const Section& s : sections_)
            for (const QByteArray& l : s.lines)
                bytes_.append(l);
        bytesStale_ = false;
    }
    return bytes_;
}

const ProfileDocument::Section* ProfileDocument::find(QByteArrayView section) const
{
    const auto it = sectionIndex_.constFind(foldName(section));
    return it == sectionIndex_.cend() ? nullptr : &sections_[*it];
}

std::optional<QByteArray> ProfileDocument::value(QByteArrayView section, QByteArrayView key) const
{
    const Section* s = find(section);
    if (!s)
        return std::nullopt;
    const auto it = s->keyLine.constFind(foldName(key));
    if (it == s->keyLine.cend())
        return std::nullopt;
    return valueOf(content(s->lines[*it]));
}

QList<QByteArray> ProfileDocument::keys(QByteArrayView section) const
{
    QList<QByteArray> out;
    const Section* s = find(section);
    if (!s)
        return out;
    for (int i = 1; i < s->lines.size(); ++i) {
        if (const auto key = keyName(content(s->lines[i])); key && s->keyLine.value(foldName(*key)) == i)
            out.append(key->toByteArray());
    }
    return out;
}

void ProfileDocument::appendLineEndIfMissing()
{
    for (qsizetype s = sections_.size() - 1; s >= 0; --s) {
        if (sections_[s].lines.isEmpty())
            continue;
        QByteArray& last = sections_[s].lines.back();
        if (!endsWithLineEnd(last))
            last.append("\r\n");
        return;
    }
}

void ProfileDocument::setValue(QByteArrayView section, QByteArrayView key, QByteArrayView value)
{
    if (sections_.isEmpty())
        sections_.append(Section{});
    bytesStale_ = true;

    const QByteArray foldedSection = foldName(section);
    const auto sit = sectionIndex_.constFind(foldedSection);
    if (sit == sectionIndex_.cend()) {
        appendLineEndIfMissing();
        Section s;
        s.lines.append(QByteArray("[") + section.toByteArray() + "]\r\n");
        s.lines.append(key.toByteArray() + '=' + value.toByteArray() + "\r\n");
        s.keyLine.insert(foldName(key), 1);
        s.lastKeyLine = 1;
        sections_.append(s);
        sectionIndex_.insert(foldedSection, sections_.size() - 1);
        return;
    }

    Section& s = sections_[*sit];
    const QByteArray foldedKey = foldName(key);
    if (const auto kit = s.keyLine.constFind(foldedKey); kit != s.keyLine.cend()) {
        // In place, keeping the file's spelling of the key and the line's own end.
        QByteArray& line = s.lines[*kit];
        const QByteArrayView text = content(line);
        const QByteArray lineEnd = line.sliced(text.size());
        line = keyName(text)->toByteArray() + '=' + value.toByteArray() + lineEnd;
        return;
    }

    // After the last key line of the section (or its header), before trailing comments and blanks.
    const int after = s.lastKeyLine;
    if (!endsWithLineEnd(s.lines[after]))
        s.lines[after].append("\r\n");
    s.lines.insert(after + 1, key.toByteArray() + '=' + value.toByteArray() + "\r\n");
    // Every key line sits at or before `after`, so no index moves.
    s.keyLine.insert(foldedKey, after + 1);
    s.lastKeyLine = after + 1;
}

// ---- ProfileFile ----

ProfileFile::ProfileFile(IFileSystem& fs) : fs_(fs) {}

QByteArray ProfileFile::cutToBytes(const QByteArray& bytes, qsizetype maxBytes)
{
    if (bytes.size() <= maxBytes)
        return bytes;
    qsizetype i = 0;
    while (i < bytes.size()) {
        const qsizetype len = (isLeadByte(static_cast<unsigned char>(bytes[i])) && i + 1 < bytes.size()) ? 2 : 1;
        if (i + len > maxBytes)
            break;
        i += len;
    }
    return bytes.left(i);
}

namespace {

// The text in the file's code page, or why it cannot go there (what names it).
template <typename What>
std::optional<QString> encodeForFile(const QString& text, What what, QByteArray& bytes)
{
    for (const QChar c : text) {
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n'))
            return QStringLiteral("%1 holds a line break").arg(what());
        if (c.unicode() == 0)
            return QStringLiteral("%1 holds a zero character").arg(what());
    }
    Cp949::Encoded e = Cp949::encode(text);
    if (!e.ok())
        return QStringLiteral("%1 holds \"%2\", which the Korean code page (CP949) cannot hold")
            .arg(what(), e.badCharacter);
    bytes = std::move(e.bytes);
    return std::nullopt;
}

} // namespace

QString ProfileFile::refusal(const QString& text, const QString& what)
{
    QByteArray unused;
    const auto named = [&] { return what; };
    return encodeForFile(text, named, unused).value_or(QString());
}

IoStatus ProfileFile::load(const QString& path, ProfileDocument& document) const
{
    QByteArray bytes;
    if (const IoStatus st = fs_.readAll(path, bytes); !st) {
        // Only a file that is not there reads as empty; anything else on the path
        // (a folder, a FIFO, an unreadable file) is a failure.
        if (!st.missing || fs_.fileExists(path))
            return st;
        bytes.clear();
    }
    document = ProfileDocument::parse(bytes);
    return IoStatus::success();
}

QString ProfileFile::readFrom(const ProfileDocument& document, const QString& section, const QString& key,
                              const QString& defaultValue, int bufferSize)
{
    const QString fallback = deliver(Cp949::encode(withoutTrailingSpaces(defaultValue)).bytes, bufferSize);
    const Cp949::Encoded s = Cp949::encode(trimSpaces(section));
    const Cp949::Encoded k = Cp949::encode(trimSpaces(key));
    if (!s.ok() || !k.ok())
        return fallback; // a name the file cannot hold is in no file
    const std::optional<QByteArray> v = document.value(s.bytes, k.bytes);
    return v ? deliver(*v, bufferSize) : fallback;
}

QString ProfileFile::read(const QString& path, const QString& section, const QString& key,
                          const QString& defaultValue, int bufferSize)
{
    ProfileDocument doc;
    if (!load(path, doc))
        doc = ProfileDocument::parse({});
    return readFrom(doc, section, key, defaultValue, bufferSize);
}

IoStatus ProfileFile::write(const QString& path, const QString& section, const QString& key, const QString& value)
{
    return writeAll(path, {{section, key, value}});
}

IoStatus ProfileFile::writeMany(const QString& path, const QString& section,
                                const QList<QPair<QString, QString>>& keyValues)
{
    QList<ProfileWrite> writes;
    writes.reserve(keyValues.size());
    for (const auto& kv : keyValues)
        writes.append({section, kv.first, kv.second});
    return writeAll(path, writes);
}

IoStatus ProfileFile::writeAll(const QString& path, const QList<ProfileWrite>& writes)
{
    struct Encoded {
        QByteArray section, key, value;
    };
    QList<Encoded> encoded;
    encoded.reserve(writes.size());
    for (const ProfileWrite& w : writes) {
        const QString section = trimSpaces(w.section);
        const QString key = trimSpaces(w.key);
        Encoded e;
        const auto sectionName = [&] { return QStringLiteral("The section name \"%1\"").arg(section); };
        const auto keyName = [&] { return QStringLiteral("The key name \"%1\"").arg(key); };
        const auto valueName = [&] { return QStringLiteral("The value of \"%1\"").arg(key); };
        std::optional<QString> why = encodeForFile(section, sectionName, e.section);
        // The file's names are trimmed of tabs too: a name with an outer tab would never read back.
        auto outerTab = [](const QString& n) {
            return n.startsWith(QLatin1Char('\t')) || n.endsWith(QLatin1Char('\t'));
        };
        if (!why && outerTab(section))
            why = QStringLiteral("The section name \"%1\" begins or ends with a tab").arg(section);
        if (!why && section.contains(QLatin1Char(']')))
            why = QStringLiteral("The section name \"%1\" holds \"]\"").arg(section);
        if (!why)
            why = encodeForFile(key, keyName, e.key);
        const bool badKey = key.isEmpty() || outerTab(key) || key.contains(QLatin1Char('='))
                            || key.startsWith(QLatin1Char('[')) || key.startsWith(QLatin1Char(';'));
        if (!why && badKey)
            why = QStringLiteral("\"%1\" cannot be a key name").arg(key);
        if (!why)
            why = encodeForFile(w.value, valueName, e.value);
        if (why)
            return IoStatus::failure(path, *why);
        encoded.append(std::move(e));
    }

    ProfileDocument doc;
    if (const IoStatus st = load(path, doc); !st)
        return st; // never replace a file we could not read
    for (const Encoded& e : encoded)
        doc.setValue(e.section, e.key, e.value);
    return fs_.writeAtomic(path, doc.bytes(), Durability::Synced);
}

} // namespace td
