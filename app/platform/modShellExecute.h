#pragma once

#include <QString>

#include <optional>

class QWidget;

/// Opens documents with the program the desktop associates with them.
namespace modShellExecute {

/// Result codes of an open request; above 32 means success.
enum OpenResult : int {
    SE_ERR_OOM = 0,              ///< the opener could not be started
    SE_ERR_FNF = 2,              ///< file not found
    SE_ERR_PNF = 3,              ///< folder not found
    SE_ERR_ACCESSDENIED = 5,     ///< no permission to read it
    SE_ERR_BAD_FORMAT = 11,      ///< not a valid program
    SE_ERR_ASSOCINCOMPLETE = 27, ///< the associated program's entry is missing
    SE_ERR_NOASSOC = 31,         ///< no program is associated with the type
    SE_ERR_GENERAL = 32,         ///< any other failure
    SE_OK = 42                   ///< handed to the associated program
};

/// The desktop side of opening: asks for associations and starts the opener. Tests replace Open.
class DocumentLauncher {
public:
    virtual ~DocumentLauncher() = default;
    /// Desktop entry of the program associated with `mimeType`: empty when there is none, no value when
    /// it cannot be found out.
    virtual std::optional<QString> DefaultApplication(const QString &mimeType);
    /// Whether the desktop entry `desktopFile` is installed.
    virtual bool ApplicationInstalled(const QString &desktopFile);
    /// Whether the desktop's opener is installed at all.
    virtual bool OpenerAvailable();
    /// Starts the opener for `absolutePath`, detached; false when it could not be started.
    virtual bool Open(const QString &absolutePath);
};

/// Opens `sFile` with its associated program; the empty string on success, else the Japanese message.
QString OpenDocument(QWidget *hWnd, const QString &sFile);
/// As above, through `launcher`.
QString OpenDocument(QWidget *hWnd, const QString &sFile, DocumentLauncher &launcher);
/// The result code of opening `sFile` through `launcher` (above 32 on success).
int OpenDocumentResult(const QString &sFile, DocumentLauncher &launcher);
/// The message for a result code; empty above 32.
QString MessageForResult(int result);

} // namespace modShellExecute
