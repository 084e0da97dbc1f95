// Feeds arbitrary bytes to the settings file reader, then edits and re-reads the document:
// nothing may crash, edits must read back, and untouched text must survive a rewrite.
#include "IniDocument.h"
#include "cIniFile.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    ini::IniDocument doc = ini::IniDocument::fromBytes(bytes);

    // Parsing and writing back without changes gives the same bytes.
    if (doc.toBytes() != bytes)
        std::abort();

    const QStringList sections = doc.sectionNames();
    for (const QString &section : sections) {
        const auto keys = doc.keyNames(section);
        if (!keys)
            std::abort();
        for (const QString &key : *keys)
            (void)doc.value(section, key);
    }
    (void)cIniFile::CLngDefault(QString::fromUtf8(bytes.left(64)), 7);

    // An edit reads back, whatever the file looked like before.
    const QString value = QString::fromUtf8(bytes.left(40)).remove(QChar(0)).remove(u'\r').remove(u'\n');
    if (doc.setValue(QStringLiteral("General"), QStringLiteral("CityID"), value)) {
        const ini::IniDocument again = ini::IniDocument::fromBytes(doc.toBytes());
        const auto read = again.value(QStringLiteral("General"), QStringLiteral("CityID"));
        if (!read)
            std::abort();
        // What was written reads back exactly, unless the profile rules trim or unquote it.
        const QString t = value.trimmed();
        const bool plain = t == value && !(value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'')) &&
                           !value.contains(u'\t');
        if (plain && *read != value)
            std::abort();
    }
    doc.removeKey(QStringLiteral("General"), QStringLiteral("CityID"));
    doc.removeSection(QStringLiteral("Position"));
    if (ini::IniDocument::fromBytes(doc.toBytes()).value(QStringLiteral("Position"), QStringLiteral("PosX")))
        std::abort();
    return 0;
}
