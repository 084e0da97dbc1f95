#include "cIniFile.h"

#include "Cp932.h"
#include "IFormWindow.h"
#include "IniDocument.h"
#include "NumberText.h"

#include <algorithm>
#include <cmath>

namespace {

// The read buffer of the profile functions holds 255 characters including the final NUL.
constexpr int kValueBytes = 254;
// The name-list buffer holds 8192 characters; the list ends with two NULs.
constexpr int kListChars = 8190;

QString joinNames(const QStringList &names)
{
    QString out;
    for (const QString &name : names) {
        if (out.size() + name.size() + 1 > kListChars)
            break;
        out += name;
        out += QChar(0);
    }
    return out;
}

QStringList splitNames(const QString &list, bool skipEmpty)
{
    QStringList out;
    qsizetype start = 0;
    for (qsizetype i = 0; i < list.size(); ++i) {
        if (list.at(i) != QChar(0))
            continue;
        const QString name = list.mid(start, i - start);
        if (!(skipEmpty && name.isEmpty()))
            out << name;
        start = i + 1;
    }
    return out;
}

int bankersRound(double v)
{
    return static_cast<int>(std::nearbyint(v));
}

} // namespace

QString cIniFile::Value() const
{
    return ValueIn(ini::load(m_path), m_section, m_key, m_default);
}

QString cIniFile::ValueIn(const ini::IniDocument &doc, const QString &section, const QString &key,
                          const QString &fallback)
{
    QString text = doc.value(section, key).value_or(fallback);
    const qsizetype nul = text.indexOf(QChar(0));
    if (nul >= 0)
        text.truncate(nul);
    return codepage::truncateToCodePageBytes(text, kValueBytes);
}

void cIniFile::setValue(const QString &sValue)
{
    setValues({{m_section, m_key, sValue}});
}

void cIniFile::setValues(const QList<Entry> &entries)
{
    m_lastReturnCode = 0;
    m_lastError.clear();
    if (m_path.isEmpty())
        return;
    for (const Entry &e : entries)
        if (!ini::IniDocument::isValidSectionName(e.section) || !ini::IniDocument::isValidKeyName(e.key))
            return;
    ini::LoadStatus status = ini::LoadStatus::Missing;
    ini::IniDocument doc = ini::load(m_path, &status);
    // Never replace a file we could not read: that would lose everything in it.
    if (status == ini::LoadStatus::Unreadable) {
        m_lastError = QStringLiteral("設定ファイルを読み込めません");
        return;
    }
    const QByteArray before = doc.toBytes();
    for (const Entry &e : entries) {
        QString clean = e.value;
        clean.remove(QChar(0));
        // A line break would end the line and turn the rest into keys of its own.
        clean.remove(u'\r');
        clean.remove(u'\n');
        if (!doc.setValue(e.section, e.key, clean))
            return;
    }
    if (status == ini::LoadStatus::Loaded && doc.toBytes() == before) {
        m_lastReturnCode = 1;
        return;
    }
    m_lastReturnCode = saveDocument(doc) ? 1 : 0;
}

void cIniFile::DeleteKey()
{
    remove(&m_key);
}

void cIniFile::DeleteSection()
{
    remove(nullptr);
}

void cIniFile::remove(const QString *key)
{
    m_lastReturnCode = 0;
    m_lastError.clear();
    if (m_path.isEmpty() || !ini::IniDocument::isValidSectionName(m_section))
        return;
    if (key && !ini::IniDocument::isValidKeyName(*key))
        return;

    ini::LoadStatus status = ini::LoadStatus::Missing;
    ini::IniDocument doc = ini::load(m_path, &status);
    // Never replace a file we could not read: that would lose everything in it.
    if (status == ini::LoadStatus::Unreadable)
        return;
    const QByteArray before = doc.toBytes();
    if (key)
        doc.removeKey(m_section, *key);
    else
        doc.removeSection(m_section);
    // Nothing changed (or a delete on a missing file): success without touching the file.
    m_lastReturnCode = doc.toBytes() == before || saveDocument(doc) ? 1 : 0;
}

bool cIniFile::saveDocument(const ini::IniDocument &doc)
{
    const bool holdsSecret =
        !m_secretKey.isEmpty() && !doc.value(m_secretSection, m_secretKey).value_or(QString()).isEmpty();
    return ini::save(m_path, doc, &m_lastError, holdsSecret ? ini::FileAccess::OwnerOnly : ini::FileAccess::KeepMode);
}

QString cIniFile::INISection() const
{
    const ini::IniDocument doc = ini::load(m_path);
    return joinNames(doc.keyNames(m_section).value_or(QStringList()));
}

void cIniFile::setINISection(const QString &sSection)
{
    m_lastReturnCode = 0;
    m_lastError.clear();
    QList<QPair<QString, QString>> pairs;
    for (const QString &entry : splitNames(sSection, true)) {
        const qsizetype eq = entry.indexOf(u'=');
        QString value = eq < 0 ? QString() : entry.mid(eq + 1);
        value.remove(u'\r');
        value.remove(u'\n');
        pairs.append({eq < 0 ? entry : entry.left(eq), value});
    }
    if (m_path.isEmpty())
        return;
    ini::LoadStatus status = ini::LoadStatus::Missing;
    ini::IniDocument doc = ini::load(m_path, &status);
    if (status == ini::LoadStatus::Unreadable || !doc.replaceSection(m_section, pairs))
        return;
    m_lastReturnCode = saveDocument(doc) ? 1 : 0;
}

QString cIniFile::Sections() const
{
    return joinNames(ini::load(m_path).sectionNames());
}

void cIniFile::EnumerateCurrentSection(QStringList &sKey, int &iCount) const
{
    sKey = splitNames(INISection(), false);
    iCount = static_cast<int>(sKey.size());
}

void cIniFile::EnumerateAllSections(QStringList &sSections, int &iCount) const
{
    sSections = splitNames(Sections(), true);
    iCount = static_cast<int>(sSections.size());
}

void cIniFile::SaveFormPosition(IFormWindow &frmThis)
{
    const QString savedKey = m_key;
    try {
        const int state = frmThis.WindowState();
        if (state != 1) {
            m_key = QStringLiteral("Maximised");
            setValue(state == 2 ? QStringLiteral("1") : QStringLiteral("0"));
            if (state != 2) {
                const std::pair<const char *, int> keys[] = {{"Left", frmThis.Left()},
                                                             {"Top", frmThis.Top()},
                                                             {"Width", frmThis.Width()},
                                                             {"Height", frmThis.Height()}};
                for (const auto &[name, value] : keys) {
                    m_key = QString::fromLatin1(name);
                    setValue(QString::number(value));
                }
            }
        }
    } catch (...) {
        m_lastReturnCode = 0;
    }
    m_key = savedKey;
}

void cIniFile::LoadFormPosition(IFormWindow &frmThis, int lMinWidth, int lMinHeight)
{
    const QString savedKey = m_key;
    const QString savedDefault = m_default;
    try {
        m_default = QStringLiteral("FAIL");
        auto read = [this](const char *name, int fallback) {
            m_key = QString::fromLatin1(name);
            return CLngDefault(Value(), fallback);
        };
        double left = read("Left", frmThis.Left());
        double top = read("Top", frmThis.Top());
        double width = read("Width", frmThis.Width());
        double height = read("Height", frmThis.Height());
        width = std::max<double>(width, lMinWidth);
        height = std::max<double>(height, lMinHeight);

        const double mx = std::nearbyint(4 * frmThis.TwipsPerPixelX());
        const double my = std::nearbyint(4 * frmThis.TwipsPerPixelY());
        const double sw = std::nearbyint(frmThis.ScreenWidth());
        const double sh = std::nearbyint(frmThis.ScreenHeight());
        left = std::max(left, mx);
        top = std::max(top, my);
        if (left + width > sw - mx) {
            left = std::max(sw - mx - width, mx);
            if (left + width > sw - mx)
                width = sw - mx - left;
        }
        if (top + height > sh - my) {
            top = std::max(sh - my - height, my);
            if (top + height > sh - my)
                height = sh - my - top;
        }
        if (width >= lMinWidth && height >= lMinHeight)
            frmThis.Move(bankersRound(left), bankersRound(top), bankersRound(width), bankersRound(height));

        m_key = QStringLiteral("Maximised");
        m_default = QStringLiteral("0");
        if (CLngDefault(Value(), 0) != 0)
            frmThis.setWindowState(2);
    } catch (...) {
        m_lastReturnCode = 0;
    }
    m_key = savedKey;
    m_default = savedDefault;
}

int cIniFile::CLngDefault(const QString &sString, int lDefault)
{
    return numbertext::toInt32(sString).value_or(lDefault);
}
