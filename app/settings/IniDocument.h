#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

/// The INI file engine behind cIniFile: profile-string semantics (case-insensitive names, the
/// first section and key of a name win), every line it does not change kept byte for byte.
namespace ini {

/// How the text of a settings file is stored.
enum class Encoding {
    Cp932,  ///< the ANSI code page (the classic format)
    Utf8,   ///< UTF-8 without a byte order mark (a file someone saved that way by hand)
    Utf8Bom ///< UTF-8 with a byte order mark (text CP932 cannot hold)
};

/// One INI file in memory.
class IniDocument {
public:
    /// Parses file bytes; never fails (unparseable lines are kept as they are).
    static IniDocument fromBytes(const QByteArray &bytes);
    /// The file bytes, in the document's encoding.
    QByteArray toBytes() const;

    /// Encoding the document is written in.
    Encoding encoding() const { return m_encoding; }

    /// The value of the first `key` in the first `section` of that name, or nothing.
    std::optional<QString> value(const QString &section, const QString &key) const;
    /// Section names in file order, each once.
    QStringList sectionNames() const;
    /// Key names of the first section of that name, each once; nothing when the section is absent.
    std::optional<QStringList> keyNames(const QString &section) const;

    /// Sets a value, creating section and key; false when the names cannot be written.
    bool setValue(const QString &section, const QString &key, const QString &value);
    /// Removes every `key` line of the first section of that name.
    void removeKey(const QString &section, const QString &key);
    /// Removes every section of that name with its lines.
    void removeSection(const QString &section);
    /// Replaces the key lines of a section with `pairs` (creating it); false for unwritable names.
    bool replaceSection(const QString &section, const QList<QPair<QString, QString>> &pairs);

    /// True when a section name can be written (not empty, no ']' and no line break).
    static bool isValidSectionName(const QString &name);
    /// True when a key name can be written (not empty, no '=', no line break, no leading '[', ';' or '#').
    static bool isValidKeyName(const QString &name);

private:
    struct Line {
        QByteArray raw; ///< bytes of the line in the file's encoding, without the line end
        QByteArray eol; ///< "\r\n", "\n" or empty (last line without a line end)
        QString text;   ///< decoded text
    };
    enum class Kind {
        Blank,
        Comment,
        Section,
        Key,
        Other
    };
    /// Views into the parsed text: a huge line is never copied to be looked at.
    struct Parsed {
        Kind kind = Kind::Blank;
        QStringView name;
        QStringView value;
    };

    static Parsed parse(const QString &text);
    int findSection(const QString &section) const;
    int sectionEnd(int header) const;
    Line makeLine(const QString &text);
    void insertLine(int index, const QString &text);

    std::vector<Line> m_lines;
    Encoding m_encoding = Encoding::Cp932;
    QByteArray m_newline = "\n";
};

/// What reading a settings file found.
enum class LoadStatus {
    Missing,
    Loaded,
    Unreadable
};

/// Reads and parses a file; a missing or unreadable file gives an empty document.
IniDocument load(const QString &path, LoadStatus *status = nullptr);

/// Who may read the file after a save.
enum class FileAccess {
    KeepMode, ///< an existing file keeps its mode; a new one is for its owner only
    OwnerOnly ///< readable and writable by its owner only, whatever mode the file had
};

/// Replaces the file atomically (temporary file beside it, then rename) with the access given. On
/// failure the old file is left as it was and `error` says why.
bool save(const QString &path, const IniDocument &doc, QString *error = nullptr,
          FileAccess access = FileAccess::KeepMode);

} // namespace ini
