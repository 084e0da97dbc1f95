#pragma once

#include <QString>
#include <QStringList>

class IFormWindow;
namespace ini {
class IniDocument;
}

/// Reads and writes one value at a time in an INI file (text in CP932), aimed by Path, Section
/// and KEY; also deletes keys and sections, lists names and keeps a window's placement.
class cIniFile {
public:
    /// Result of the last write or delete: nonzero on success, 0 on failure.
    int LastReturnCode() const { return m_lastReturnCode; }
    /// True when the last write or delete succeeded; false on a new object.
    bool Success() const { return m_lastReturnCode != 0; }
    /// Why the last write or delete failed; empty after a success.
    QString LastError() const { return m_lastError; }

    /// One value of a write of several.
    struct Entry {
        QString section;
        QString key;
        QString value;
    };

    /// Text a read returns when the key is absent.
    QString Default() const { return m_default; }
    /// Sets the text a read returns when the key is absent.
    void setDefault(const QString &sDefault) { m_default = sDefault; }
    /// Full file name of the INI file.
    QString Path() const { return m_path; }
    /// Sets the INI file.
    void setPath(const QString &sPath) { m_path = sPath; }
    /// Current key name.
    QString KEY() const { return m_key; }
    /// Aims the object at another key.
    void setKEY(const QString &sKey) { m_key = sKey; }
    /// Current section name.
    QString Section() const { return m_section; }
    /// Aims the object at another section.
    void setSection(const QString &sSection) { m_section = sSection; }
    /// Names a key that holds a secret: while it has a value, every write leaves the file readable and
    /// writable by its owner only, whatever mode it had.
    void setSecretKey(const QString &sSection, const QString &sKey)
    {
        m_secretSection = sSection;
        m_secretKey = sKey;
    }

    /// The value of KEY in Section (at most 254 code-page bytes), or Default when absent.
    QString Value() const;
    /// Writes the value (NULs removed, line breaks dropped), creating file, section and key.
    void setValue(const QString &sValue);
    /// Writes several values in one save of the file (as setValue each, Path and the secret key apply).
    void setValues(const QList<Entry> &entries);
    /// The value Value() reads from an already loaded document.
    static QString ValueIn(const ini::IniDocument &doc, const QString &section, const QString &key,
                           const QString &fallback);

    /// Removes KEY from Section.
    void DeleteKey();
    /// Removes Section with all its keys.
    void DeleteSection();

    /// Key names of Section, each followed by a NUL character.
    QString INISection() const;
    /// Replaces the keys of Section with "key=value" entries, each followed by a NUL character.
    void setINISection(const QString &sSection);
    /// Section names of the file, each followed by a NUL character.
    QString Sections() const;

    /// Fills sKey with the key names of Section (element 1 is sKey[0]) and iCount with their number.
    void EnumerateCurrentSection(QStringList &sKey, int &iCount) const;
    /// Fills sSections with the section names (element 1 is sSections[0]) and iCount with their number.
    void EnumerateAllSections(QStringList &sSections, int &iCount) const;

    /// Stores the window's placement under Section (nothing while it is minimised).
    void SaveFormPosition(IFormWindow &frmThis);
    /// Restores the placement stored under Section, kept on screen and at least the minimum size.
    void LoadFormPosition(IFormWindow &frmThis, int lMinWidth = 3000, int lMinHeight = 3000);

    /// sString as a 32-bit integer (blanks allowed, fractions rounded half to even), or lDefault.
    static int CLngDefault(const QString &sString, int lDefault);

private:
    void remove(const QString *key);
    bool saveDocument(const ini::IniDocument &doc);

    QString m_path;
    QString m_key;
    QString m_section;
    QString m_default;
    QString m_secretSection;
    QString m_secretKey;
    int m_lastReturnCode = 0;
    QString m_lastError;
};
