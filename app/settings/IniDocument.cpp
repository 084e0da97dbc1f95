#include "IniDocument.h"

#include "Cp932.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

namespace ini {
namespace {

const QByteArray kUtf8Bom("\xEF\xBB\xBF");

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

QStringView trimmedView(QStringView s)
{
    qsizetype b = 0;
    qsizetype e = s.size();
    while (b < e && isBlank(s.at(b)))
        ++b;
    while (e > b && isBlank(s.at(e - 1)))
        --e;
    return s.mid(b, e - b);
}

QString trimBlanks(const QString &s)
{
    return trimmedView(s).toString();
}

/// UTF-8 line text; a U+FEFF at the start of a line is text, not a byte order mark.
QString fromUtf8Line(const QByteArray &bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringConverter::Flag::ConvertInitialBom);
    return decoder.decode(bytes);
}

bool sameName(QStringView a, QStringView b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

bool isValidUtf8(const QByteArray &bytes)
{
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.constData());
    const auto *end = p + bytes.size();
    while (p < end) {
        const unsigned char c = *p;
        int extra = 0;
        char32_t cp = 0;
        if (c < 0x80) {
            ++p;
            continue;
        } else if (c >= 0xC2 && c <= 0xDF) {
            extra = 1, cp = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            extra = 2, cp = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            extra = 3, cp = c & 0x07;
        } else {
            return false;
        }
        if (end - p <= extra)
            return false;
        for (int i = 1; i <= extra; ++i) {
            if ((p[i] & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (p[i] & 0x3F);
        }
        // No overlong forms, no surrogates, nothing above U+10FFFF.
        if ((extra == 2 && cp < 0x800) || (extra == 3 && (cp < 0x10000 || cp > 0x10FFFF)) ||
            (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        p += extra + 1;
    }
    return true;
}

bool hasNonAscii(const QByteArray &bytes)
{
    for (char c : bytes)
        if (static_cast<unsigned char>(c) >= 0x80)
            return true;
    return false;
}

} // namespace

IniDocument IniDocument::fromBytes(const QByteArray &input)
{
    IniDocument doc;
    QByteArray bytes = input;
    if (bytes.startsWith(kUtf8Bom)) {
        doc.m_encoding = Encoding::Utf8Bom;
        bytes.remove(0, kUtf8Bom.size());
    } else if (hasNonAscii(bytes) && isValidUtf8(bytes)) {
        // Japanese CP932 text is practically never valid UTF-8 (its lead bytes are UTF-8
        // continuation bytes), so a valid UTF-8 file was saved as UTF-8 by someone.
        doc.m_encoding = Encoding::Utf8;
    }

    bool newlineSeen = false;
    qsizetype pos = 0;
    while (pos < bytes.size()) {
        qsizetype nl = bytes.indexOf('\n', pos);
        Line line;
        if (nl < 0) {
            line.raw = bytes.mid(pos);
            pos = bytes.size();
        } else {
            qsizetype end = nl;
            if (end > pos && bytes.at(end - 1) == '\r')
                --end;
            line.raw = bytes.mid(pos, end - pos);
            line.eol = bytes.mid(end, nl + 1 - end);
            pos = nl + 1;
            if (!newlineSeen) {
                doc.m_newline = line.eol;
                newlineSeen = true;
            }
        }
        if (doc.m_encoding == Encoding::Cp932) {
            if (auto text = codepage::fromCp932(line.raw)) {
                line.text = *text;
            } else {
                line.text = codepage::fromCp932Lenient(line.raw);
            }
        } else {
            line.text = fromUtf8Line(line.raw);
        }
        doc.m_lines.push_back(std::move(line));
    }
    return doc;
}

QByteArray IniDocument::toBytes() const
{
    if (m_encoding == Encoding::Cp932) {
        QByteArray out;
        for (const Line &line : m_lines)
            out += line.raw + line.eol;
        // CP932 bytes that also read as UTF-8 ("ﾃｩ" is C3 A9, "é" in UTF-8) would change
        // meaning on the next read: such a file is written as UTF-8 with a byte order mark.
        if (!(hasNonAscii(out) && isValidUtf8(out)))
            return out;
        out = kUtf8Bom;
        for (const Line &line : m_lines)
            out += line.text.toUtf8() + line.eol;
        return out;
    }
    QByteArray out;
    if (m_encoding == Encoding::Utf8Bom)
        out += kUtf8Bom;
    for (const Line &line : m_lines) {
        out += line.raw;
        out += line.eol;
    }
    return out;
}

IniDocument::Parsed IniDocument::parse(const QString &text)
{
    Parsed p;
    const QStringView t = trimmedView(text);
    if (t.isEmpty())
        return p;
    if (t.startsWith(u'[')) {
        p.kind = Kind::Section;
        const qsizetype close = t.indexOf(u']');
        p.name = trimmedView(close < 0 ? t.mid(1) : t.mid(1, close - 1));
        return p;
    }
    if (t.startsWith(u';') || t.startsWith(u'#')) {
        p.kind = Kind::Comment;
        return p;
    }
    const qsizetype eq = t.indexOf(u'=');
    if (eq <= 0) {
        p.kind = Kind::Other;
        return p;
    }
    p.name = trimmedView(t.left(eq));
    if (p.name.isEmpty()) {
        p.kind = Kind::Other;
        return p;
    }
    p.kind = Kind::Key;
    p.value = trimmedView(t.mid(eq + 1));
    // Like the profile functions: one pair of matching quotes around a value is not part of it.
    if (p.value.size() >= 2 && (p.value.front() == u'"' || p.value.front() == u'\'') &&
        p.value.back() == p.value.front())
        p.value = p.value.mid(1, p.value.size() - 2);
    return p;
}

int IniDocument::findSection(const QString &section) const
{
    const QString name = trimBlanks(section);
    for (int i = 0; i < static_cast<int>(m_lines.size()); ++i) {
        const Parsed p = parse(m_lines[static_cast<size_t>(i)].text);
        if (p.kind == Kind::Section && sameName(p.name, name))
            return i;
    }
    return -1;
}

int IniDocument::sectionEnd(int header) const
{
    int i = header + 1;
    while (i < static_cast<int>(m_lines.size()) && parse(m_lines[static_cast<size_t>(i)].text).kind != Kind::Section)
        ++i;
    return i;
}

std::optional<QString> IniDocument::value(const QString &section, const QString &key) const
{
    const int header = findSection(section);
    if (header < 0)
        return std::nullopt;
    const QString name = trimBlanks(key);
    const int end = sectionEnd(header);
    for (int i = header + 1; i < end; ++i) {
        const Parsed p = parse(m_lines[static_cast<size_t>(i)].text);
        if (p.kind == Kind::Key && sameName(p.name, name))
            return p.value.toString();
    }
    return std::nullopt;
}

QStringList IniDocument::sectionNames() const
{
    QStringList names;
    for (const Line &line : m_lines) {
        const Parsed p = parse(line.text);
        if (p.kind == Kind::Section && !names.contains(p.name, Qt::CaseInsensitive))
            names << p.name.toString();
    }
    return names;
}

std::optional<QStringList> IniDocument::keyNames(const QString &section) const
{
    const int header = findSection(section);
    if (header < 0)
        return std::nullopt;
    QStringList names;
    const int end = sectionEnd(header);
    for (int i = header + 1; i < end; ++i) {
        const Parsed p = parse(m_lines[static_cast<size_t>(i)].text);
        if (p.kind == Kind::Key && !names.contains(p.name, Qt::CaseInsensitive))
            names << p.name.toString();
    }
    return names;
}

bool IniDocument::isValidSectionName(const QString &name)
{
    const QString t = trimBlanks(name);
    return !t.isEmpty() && !t.contains(u']') && !t.contains(u'\n') && !t.contains(u'\r');
}

bool IniDocument::isValidKeyName(const QString &name)
{
    const QString t = trimBlanks(name);
    return !t.isEmpty() && !t.contains(u'=') && !t.contains(u'\n') && !t.contains(u'\r') && !t.startsWith(u'[') &&
           !t.startsWith(u';') && !t.startsWith(u'#');
}

IniDocument::Line IniDocument::makeLine(const QString &text)
{
    Line line;
    line.text = text;
    line.eol = m_newline;
    if (m_encoding == Encoding::Cp932) {
        if (auto bytes = codepage::toCp932(text)) {
            line.raw = *bytes;
            return line;
        }
        // CP932 cannot hold this text: the whole file moves to UTF-8 with a byte order mark
        // rather than losing characters.
        // Bytes that were not valid CP932 go over as the text they were read as, so every line
        // means in UTF-8 what it meant before.
        m_encoding = Encoding::Utf8Bom;
        for (Line &old : m_lines)
            old.raw = old.text.toUtf8();
    }
    line.raw = text.toUtf8();
    return line;
}

void IniDocument::insertLine(int index, const QString &text)
{
    if (index > 0 && m_lines[static_cast<size_t>(index - 1)].eol.isEmpty())
        m_lines[static_cast<size_t>(index - 1)].eol = m_newline;
    Line line = makeLine(text);
    m_lines.insert(m_lines.begin() + index, std::move(line));
}

bool IniDocument::setValue(const QString &section, const QString &key, const QString &value)
{
    if (!isValidSectionName(section) || !isValidKeyName(key))
        return false;
    const QString sectionName = trimBlanks(section);
    const QString keyName = trimBlanks(key);
    const QString text = keyName + u'=' + value;

    int header = findSection(sectionName);
    if (header < 0) {
        insertLine(static_cast<int>(m_lines.size()), u'[' + sectionName + u']');
        insertLine(static_cast<int>(m_lines.size()), text);
        return true;
    }
    const int end = sectionEnd(header);
    int lastKey = header;
    for (int i = header + 1; i < end; ++i) {
        const Parsed p = parse(m_lines[static_cast<size_t>(i)].text);
        if (p.kind != Kind::Key)
            continue;
        if (sameName(p.name, keyName)) {
            Line &line = m_lines[static_cast<size_t>(i)];
            const QByteArray eol = line.eol;
            line = makeLine(text);
            line.eol = eol;
            return true;
        }
        lastKey = i;
    }
    insertLine(lastKey + 1, text);
    return true;
}

void IniDocument::removeKey(const QString &section, const QString &key)
{
    const int header = findSection(section);
    if (header < 0)
        return;
    const QString keyName = trimBlanks(key);
    int end = sectionEnd(header);
    for (int i = header + 1; i < end;) {
        const Parsed p = parse(m_lines[static_cast<size_t>(i)].text);
        if (p.kind == Kind::Key && sameName(p.name, keyName)) {
            m_lines.erase(m_lines.begin() + i);
            --end;
        } else {
            ++i;
        }
    }
}

void IniDocument::removeSection(const QString &section)
{
    for (int header = findSection(section); header >= 0; header = findSection(section))
        m_lines.erase(m_lines.begin() + header, m_lines.begin() + sectionEnd(header));
}

bool IniDocument::replaceSection(const QString &section, const QList<QPair<QString, QString>> &pairs)
{
    if (!isValidSectionName(section))
        return false;
    for (const auto &pair : pairs)
        if (!isValidKeyName(pair.first))
            return false;
    const int header = findSection(section);
    if (header >= 0) {
        // Keep comments and blank lines; drop the old keys.
        const int end = sectionEnd(header);
        for (int i = end - 1; i > header; --i)
            if (parse(m_lines[static_cast<size_t>(i)].text).kind == Kind::Key)
                m_lines.erase(m_lines.begin() + i);
    }
    for (const auto &pair : pairs)
        if (!value(section, pair.first))
            setValue(section, pair.first, pair.second);
    if (findSection(section) < 0)
        insertLine(static_cast<int>(m_lines.size()), u'[' + trimBlanks(section) + u']');
    return true;
}

IniDocument load(const QString &path, LoadStatus *status)
{
    QFile file(path);
    if (!file.exists()) {
        if (status)
            *status = LoadStatus::Missing;
        return {};
    }
    if (!file.open(QIODevice::ReadOnly)) {
        if (status)
            *status = LoadStatus::Unreadable;
        return {};
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        if (status)
            *status = LoadStatus::Unreadable;
        return {};
    }
    if (status)
        *status = LoadStatus::Loaded;
    return IniDocument::fromBytes(bytes);
}

bool save(const QString &path, const IniDocument &doc, QString *error, FileAccess access)
{
    const bool existed = QFileInfo::exists(path);
    QSaveFile file(path);
    // Unbuffered: with a buffer, a write that fails inside commit() (disk full) still renames
    // the truncated file over the old one.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    // Set on the new file before it replaces the old one, so a secret is never readable by others.
    if (!existed || access == FileAccess::OwnerOnly)
        file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    const QByteArray bytes = doc.toBytes();
    if (file.write(bytes) != bytes.size() || file.error() != QFileDevice::NoError || !file.commit()) {
        if (error)
            *error = file.errorString();
        file.cancelWriting();
        return false;
    }
    return true;
}

} // namespace ini
