#include "cInet.h"

#include <QAuthenticator>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkProxyFactory>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>

#include <memory>

namespace {

// One fetch at a time in the whole program: a second one would nest event loops, and the outer
// fetch could not finish before the inner one.
bool g_fetching = false;

bool isWebScheme(const QString &scheme)
{
    return scheme == QLatin1String("http") || scheme == QLatin1String("https");
}

QString statusText(int status, const QString &reason)
{
    QString text = QStringLiteral("サーバーがエラーを返しました（HTTP %1").arg(status);
    if (!reason.isEmpty())
        text += u' ' + reason;
    return text + u'）';
}

// Where the environment names no proxy, none is looked up: the system lookup costs a resident thread
// and libraries for nothing.
bool environmentNamesProxy()
{
    for (const char *name : {"http_proxy", "https_proxy", "all_proxy", "HTTP_PROXY", "HTTPS_PROXY", "ALL_PROXY"})
        if (!qEnvironmentVariableIsEmpty(name))
            return true;
    return false;
}

QString proxyKey(const QNetworkProxy &proxy)
{
    return QStringLiteral("%1 %2 %3 %4 %5")
        .arg(proxy.type())
        .arg(proxy.hostName())
        .arg(proxy.port())
        .arg(proxy.user(), proxy.password());
}

QString sizeText(qint64 cap)
{
    return QStringLiteral("応答が大きすぎます（上限 %1 バイト）").arg(cap);
}

} // namespace

cInet::cInet(QObject *parent)
    : QObject(parent)
{
}

cInet::~cInet() = default;

bool cInet::StillExecuting()
{
    return g_fetching;
}

bool cInet::ParseProxy(const QString &text, QString &host, quint16 &port)
{
    QString t = text.trimmed();
    if (t.startsWith(QLatin1String("HTTP="), Qt::CaseInsensitive))
        t = t.mid(5).trimmed();
    else if (t.contains(u'='))
        return false;
    QString portText;
    if (t.startsWith(u'[')) {
        const qsizetype close = t.indexOf(u']');
        if (close < 0 || t.mid(close + 1, 1) != QLatin1String(":"))
            return false;
        host = t.mid(1, close - 1);
        portText = t.mid(close + 2);
    } else {
        const qsizetype colon = t.lastIndexOf(u':');
        if (colon < 0)
            return false;
        host = t.left(colon);
        portText = t.mid(colon + 1);
    }
    bool ok = false;
    const int value = portText.toInt(&ok);
    if (!ok || value < 1 || value > 65535 || host.isEmpty() || host.contains(u' '))
        return false;
    port = static_cast<quint16>(value);
    return true;
}

bool cInet::proxyFor(const QString &url, QNetworkProxy &proxy, QString &description) const
{
    switch (m_accessType) {
    case icNamedProxy: {
        QString host;
        quint16 port = 0;
        if (!ParseProxy(m_proxy, host, port)) {
            description = QStringLiteral("プロキシの設定が正しくありません（%1）").arg(m_proxy);
            return false;
        }
        proxy = QNetworkProxy(QNetworkProxy::HttpProxy, host, port, m_userName, m_password);
        return true;
    }
    case icDirect: proxy = QNetworkProxy(QNetworkProxy::NoProxy); return true;
    default: {
        if (!environmentNamesProxy()) {
            proxy = QNetworkProxy(QNetworkProxy::NoProxy);
            return true;
        }
        const QList<QNetworkProxy> proxies = QNetworkProxyFactory::systemProxyForQuery(QNetworkProxyQuery(QUrl(url)));
        proxy = proxies.isEmpty() ? QNetworkProxy(QNetworkProxy::NoProxy) : proxies.first();
        return true;
    }
    }
}

QNetworkAccessManager &cInet::managerFor(const QNetworkProxy &proxy)
{
    if (!m_manager) {
        m_manager = std::make_unique<QNetworkAccessManager>();
        // Qt refuses https -> http itself; redirected() below stops every scheme but http and https.
        // (The user-verified policy loses the status after a few hops in Qt 6.4.)
        m_manager->setRedirectPolicy(QNetworkRequest::NoLessSafeRedirectPolicy);
    }
    // No connection or credentials carried over from another proxy or user.
    const QString key = proxyKey(proxy);
    if (key != m_managerProxy) {
        m_manager->clearAccessCache();
        m_manager->setProxy(proxy);
        m_managerProxy = key;
    }
    return *m_manager;
}

bool cInet::OpenURL(const QString &URL, QByteArray &Body, QString &Description)
{
    Body.clear();
    if (g_fetching) {
        Description = QStringLiteral("別の通信が実行中です");
        return false;
    }
    const QUrl url(URL, QUrl::StrictMode);
    if (!url.isValid() || !isWebScheme(url.scheme()) || url.host().isEmpty()) {
        Description = QStringLiteral("取得できない URL です（http または https のみ）: %1").arg(URL);
        return false;
    }
    QNetworkProxy proxy;
    if (!proxyFor(URL, proxy, Description))
        return false;

    g_fetching = true;
    struct Release {
        ~Release() { g_fetching = false; }
    } release;

    QNetworkAccessManager &manager = managerFor(proxy);
    bool proxyAuthAnswered = false;
    const QMetaObject::Connection authentication =
        connect(&manager, &QNetworkAccessManager::proxyAuthenticationRequired, this,
                [&](const QNetworkProxy &, QAuthenticator *auth) {
                    // Answer once: a second request means the credentials were refused.
                    if (proxyAuthAnswered || m_accessType != icNamedProxy)
                        return;
                    proxyAuthAnswered = true;
                    auth->setUser(m_userName);
                    auth->setPassword(m_password);
                });

    QNetworkRequest request(url);
    request.setMaximumRedirectsAllowed(kMaxRedirects);
    request.setHeader(QNetworkRequest::UserAgentHeader, QStringLiteral("Skycaster/1.0"));
    std::unique_ptr<QNetworkReply> reply(manager.get(request));

    QString failure;
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    QUrl current = url;
    auto fail = [&](const QString &text) {
        if (failure.isEmpty())
            failure = text;
        reply->abort();
    };
    connect(&timer, &QTimer::timeout, &loop, [&] {
        fail(QStringLiteral("サーバーから応答がありません（%1 秒でタイムアウト）").arg(m_timeoutMs / 1000.0));
    });
    connect(reply.get(), &QNetworkReply::redirected, &loop, [&](const QUrl &target) {
        const bool downgrade = current.scheme() == QLatin1String("https") && target.scheme() == QLatin1String("http");
        if (!isWebScheme(target.scheme()) || downgrade) {
            fail(QStringLiteral("安全でない転送先のため中止しました（%1）").arg(target.toString()));
            return;
        }
        current = target;
        Body.clear();
    });
    connect(reply.get(), &QNetworkReply::metaDataChanged, &loop, [&] {
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        if (length.isValid() && length.toLongLong() > m_maxSize)
            fail(sizeText(m_maxSize));
    });
    connect(reply.get(), &QNetworkReply::readyRead, &loop, [&] {
        if (!failure.isEmpty())
            return;
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        if (status >= 300 && status < 400)
            return; // the body of a redirect is not ours
        if (Body.size() + reply->bytesAvailable() > m_maxSize) {
            fail(sizeText(m_maxSize));
            return;
        }
        Body += reply->readAll();
    });
    connect(reply.get(), &QNetworkReply::finished, &loop, &QEventLoop::quit);

    timer.start(m_timeoutMs);
    if (!reply->isFinished())
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    timer.stop();
    disconnect(authentication);

    if (failure.isEmpty() && reply->bytesAvailable() > 0) {
        if (Body.size() + reply->bytesAvailable() > m_maxSize)
            failure = sizeText(m_maxSize);
        else
            Body += reply->readAll();
    }
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const QString reason = reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString();
    if (failure.isEmpty()) {
        switch (reply->error()) {
        case QNetworkReply::NoError:
            if (status != 0 && (status < 200 || status > 299))
                failure = statusText(status, reason);
            break;
        case QNetworkReply::ConnectionRefusedError:
            if (m_accessType == icNamedProxy) {
                failure = QStringLiteral("プロキシへの接続が拒否されました（%1）").arg(m_proxy);
                break;
            }
            failure = QStringLiteral("接続が拒否されました（%1:%2）")
                          .arg(url.host())
                          .arg(url.port(url.scheme() == QLatin1String("https") ? 443 : 80));
            break;
        case QNetworkReply::HostNotFoundError:
            failure = QStringLiteral("ホストが見つかりません（%1）").arg(url.host());
            break;
        case QNetworkReply::TimeoutError:
        case QNetworkReply::ProxyTimeoutError:
            failure = QStringLiteral("サーバーから応答がありません（タイムアウト）");
            break;
        case QNetworkReply::ProxyConnectionRefusedError:
            failure = QStringLiteral("プロキシへの接続が拒否されました（%1）").arg(m_proxy);
            break;
        case QNetworkReply::ProxyNotFoundError:
            failure = QStringLiteral("プロキシのホストが見つかりません（%1）").arg(m_proxy);
            break;
        case QNetworkReply::ProxyAuthenticationRequiredError:
            failure = QStringLiteral("プロキシの認証に失敗しました（ユーザー名またはパスワードを確認してください）");
            break;
        case QNetworkReply::TooManyRedirectsError:
            failure = QStringLiteral("転送（リダイレクト）が多すぎます（%1 回まで）").arg(kMaxRedirects);
            break;
        case QNetworkReply::InsecureRedirectError:
            failure = QStringLiteral("安全でない転送先のため中止しました");
            break;
        default: failure = status >= 400 ? statusText(status, reason) : reply->errorString(); break;
        }
    }
    if (!failure.isEmpty()) {
        Body.clear();
        Description = failure;
        // Nothing of a broken or aborted connection goes into the next fetch.
        reply.reset();
        m_manager.reset();
        m_managerProxy.clear();
        return false;
    }
    return true;
}
