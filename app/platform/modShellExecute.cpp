#include "modShellExecute.h"

#include <QDir>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QProcess>
#include <QStandardPaths>

namespace modShellExecute {

namespace {
constexpr int kQueryTimeoutMs = 5000;
}

std::optional<QString> DocumentLauncher::DefaultApplication(const QString &mimeType)
{
    const QString xdgMime = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
    if (xdgMime.isEmpty())
        return std::nullopt;
    QProcess query;
    query.setProcessChannelMode(QProcess::SeparateChannels);
    query.start(xdgMime, {QStringLiteral("query"), QStringLiteral("default"), mimeType});
    if (!query.waitForFinished(kQueryTimeoutMs)) {
        query.kill();
        query.waitForFinished(1000);
        return std::nullopt;
    }
    if (query.exitStatus() != QProcess::NormalExit || query.exitCode() != 0)
        return std::nullopt;
    // Several entries may be listed; the first one is the one used.
    const QString out = QString::fromLocal8Bit(query.readAllStandardOutput()).trimmed();
    return out.section(QLatin1Char(';'), 0, 0).section(QLatin1Char('\n'), 0, 0).trimmed();
}

bool DocumentLauncher::ApplicationInstalled(const QString &desktopFile)
{
    if (!QStandardPaths::locate(QStandardPaths::ApplicationsLocation, desktopFile).isEmpty())
        return true;
    // "vendor-app.desktop" may also live as "vendor/app.desktop".
    QString nested = desktopFile;
    for (qsizetype i = nested.indexOf(QLatin1Char('-')); i > 0; i = nested.indexOf(QLatin1Char('-'), i + 1)) {
        QString candidate = nested;
        candidate[i] = QLatin1Char('/');
        if (!QStandardPaths::locate(QStandardPaths::ApplicationsLocation, candidate).isEmpty())
            return true;
    }
    return false;
}

bool DocumentLauncher::OpenerAvailable()
{
    return !QStandardPaths::findExecutable(QStringLiteral("xdg-open")).isEmpty();
}

bool DocumentLauncher::Open(const QString &absolutePath)
{
    return QProcess::startDetached(QStringLiteral("xdg-open"), {absolutePath}, QDir::homePath());
}

int OpenDocumentResult(const QString &sFile, DocumentLauncher &launcher)
{
    if (sFile.isEmpty())
        return SE_ERR_FNF;
    const QFileInfo info(sFile);
    if (!info.exists()) {
        // A missing folder on the way is told apart from a missing file in an existing folder.
        const QFileInfo folder(info.absolutePath());
        return folder.isDir() ? SE_ERR_FNF : SE_ERR_PNF;
    }
    const QFileInfo folder(info.absolutePath());
    if (!folder.isExecutable() || !info.isReadable() || (info.isDir() && !info.isExecutable()))
        return SE_ERR_ACCESSDENIED;

    QString mimeType = QMimeDatabase().mimeTypeForFile(info).name();
    if (mimeType.isEmpty()) // no MIME database installed: the type of any file
        mimeType = QStringLiteral("application/octet-stream");
    if (const std::optional<QString> app = launcher.DefaultApplication(mimeType)) {
        if (app->isEmpty())
            return SE_ERR_NOASSOC;
        if (!launcher.ApplicationInstalled(*app))
            return SE_ERR_ASSOCINCOMPLETE;
    }
    if (!launcher.OpenerAvailable())
        return SE_ERR_NOASSOC;
    return launcher.Open(info.absoluteFilePath()) ? SE_OK : SE_ERR_OOM;
}

QString MessageForResult(int result)
{
    if (result > 32)
        return {};
    switch (result) {
    case SE_ERR_OOM: return QStringLiteral("メモリまたはリソースが足りません。");
    case SE_ERR_FNF: return QStringLiteral("ファイルが見つかりません。");
    case SE_ERR_PNF: return QStringLiteral("パスが見つかりません。");
    case SE_ERR_ACCESSDENIED: return QStringLiteral("アクセスは拒否されました。");
    case SE_ERR_BAD_FORMAT: return QStringLiteral("不正な形式の実行ファイルです。");
    case SE_ERR_ASSOCINCOMPLETE: return QStringLiteral("関連付けが不完全です。");
    case SE_ERR_NOASSOC: return QStringLiteral("関連付けが指定されていません。");
    default: return QStringLiteral("ファイルを開けません。");
    }
}

QString OpenDocument(QWidget *hWnd, const QString &sFile, DocumentLauncher &launcher)
{
    (void)hWnd; // the associated program opens its own top-level window
    return MessageForResult(OpenDocumentResult(sFile, launcher));
}

QString OpenDocument(QWidget *hWnd, const QString &sFile)
{
    DocumentLauncher launcher;
    return OpenDocument(hWnd, sFile, launcher);
}

} // namespace modShellExecute
