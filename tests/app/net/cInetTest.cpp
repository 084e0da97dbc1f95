#include "cInet.h"
#include "TestHttpServer.h"
#include "TinyProxy.h"

#include <QElapsedTimer>
#include <QTimer>

#include <gtest/gtest.h>

using testsupport::TestHttpServer;
using testsupport::TinyProxy;

namespace {

class InetTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(server.port(), 0);
        inet.setRequestTimeout(1500);
    }
    bool fetch(const QString &path)
    {
        body.clear();
        description.clear();
        return inet.OpenURL(server.url(path), body, description);
    }

    TestHttpServer server;
    cInet inet;
    QByteArray body;
    QString description;
};

TEST_F(InetTest, FetchesWholeBodiesOfAnySize)
{
    const QByteArray big(3 * 1024 * 1024 + 7, 'q');
    server.serve("/big", big);
    server.serve("/empty", "");
    server.serve("/one", "x");
    EXPECT_TRUE(fetch("/big")) << description.toStdString();
    EXPECT_EQ(body, big);
    EXPECT_TRUE(fetch("/empty"));
    EXPECT_TRUE(body.isEmpty());
    EXPECT_TRUE(fetch("/one"));
    EXPECT_EQ(body, "x");
    // The request went out as a plain GET of the path and query given.
    EXPECT_TRUE(fetch("/one?city=130010&day=today"));
    const auto requests = server.requests();
    EXPECT_EQ(requests.back().method, "GET");
    EXPECT_EQ(requests.back().target, "/one?city=130010&day=today");
}

TEST_F(InetTest, HttpErrorStatusIsAFailureNamingTheStatus)
{
    server.serve("/missing", "<html>gone</html>", 404);
    server.serve("/broken", "oops", 500);
    EXPECT_FALSE(fetch("/missing"));
    EXPECT_TRUE(description.contains("404")) << description.toStdString();
    EXPECT_TRUE(body.isEmpty());
    EXPECT_FALSE(fetch("/broken"));
    EXPECT_TRUE(description.contains("500")) << description.toStdString();
    EXPECT_TRUE(description.contains(QString::fromUtf8("サーバーがエラーを返しました")));
}

TEST_F(InetTest, HungOrSlowServerTimesOut)
{
    server.neverAnswer("/never");
    server.serveSlowly("/slow", "late", 5000);
    server.serveSlowly("/quick", "in time", 200);
    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(fetch("/never"));
    EXPECT_LT(clock.elapsed(), 4000);
    EXPECT_TRUE(description.contains(QString::fromUtf8("タイムアウト"))) << description.toStdString();
    EXPECT_FALSE(fetch("/slow"));
    EXPECT_TRUE(description.contains(QString::fromUtf8("タイムアウト")));
    EXPECT_TRUE(fetch("/quick"));
    EXPECT_EQ(body, "in time");
}

TEST_F(InetTest, ResetRefusedAndEndlessAreFailures)
{
    server.resetConnection("/reset");
    EXPECT_FALSE(fetch("/reset"));
    EXPECT_FALSE(description.isEmpty());

    server.endlessBody("/endless");
    inet.setRequestTimeout(10000);
    EXPECT_EQ(inet.MaxResponseSize(), 16 * 1024 * 1024);
    EXPECT_FALSE(fetch("/endless"));
    EXPECT_TRUE(description.contains(QString::fromUtf8("大きすぎます"))) << description.toStdString();
    EXPECT_TRUE(body.isEmpty());

    // A declared length above the cap is refused before the body comes.
    inet.setMaxResponseSize(10);
    server.serve("/eleven", "01234567890");
    EXPECT_FALSE(fetch("/eleven"));
    EXPECT_TRUE(description.contains(QString::fromUtf8("大きすぎます")));
    server.serve("/ten", "0123456789");
    EXPECT_TRUE(fetch("/ten"));

    const quint16 closed = testsupport::freeLocalPort();
    EXPECT_FALSE(inet.OpenURL(QStringLiteral("http://127.0.0.1:%1/x").arg(closed), body, description));
    EXPECT_TRUE(description.contains(QString::fromUtf8("接続が拒否されました"))) << description.toStdString();
}

TEST_F(InetTest, RedirectsAreFollowedUpToFiveAndOnlyToWebSchemes)
{
    server.serve("/final", "arrived");
    for (int i = 1; i <= 6; ++i)
        server.redirect(QStringLiteral("/r%1").arg(i), i == 6 ? "/final" : QStringLiteral("/r%1").arg(i + 1));
    EXPECT_TRUE(fetch("/r2")) << description.toStdString(); // five hops
    EXPECT_EQ(body, "arrived");
    EXPECT_FALSE(fetch("/r1")); // six hops
    EXPECT_FALSE(description.isEmpty());

    server.redirect("/tofile", "file:///etc/passwd");
    EXPECT_FALSE(fetch("/tofile"));
    EXPECT_TRUE(body.isEmpty());
    server.redirect("/toftp", "ftp://127.0.0.1/x");
    EXPECT_FALSE(fetch("/toftp"));
}

TEST_F(InetTest, OnlyHttpAndHttpsUrlsAreFetched)
{
    for (const char *url : {"file:///etc/hostname", "/etc/hostname", "ftp://127.0.0.1/x", "", "http://"}) {
        EXPECT_FALSE(inet.OpenURL(QString::fromLatin1(url), body, description)) << url;
        EXPECT_TRUE(description.contains("http")) << url;
    }
}

TEST_F(InetTest, SecondFetchWhileOneRunsIsRefused)
{
    server.serveSlowly("/outer", "outer", 300);
    server.serve("/inner", "inner");
    cInet other;
    bool innerResult = true;
    QString innerDescription;
    bool innerRan = false;
    QTimer::singleShot(50, [&] {
        QByteArray innerBody;
        EXPECT_TRUE(cInet::StillExecuting());
        innerResult = other.OpenURL(server.url("/inner"), innerBody, innerDescription);
        innerRan = true;
    });
    EXPECT_TRUE(fetch("/outer"));
    EXPECT_EQ(body, "outer");
    EXPECT_TRUE(innerRan);
    EXPECT_FALSE(innerResult);
    EXPECT_FALSE(innerDescription.isEmpty());
    EXPECT_EQ(server.requestCount("/inner"), 0);
    EXPECT_FALSE(cInet::StillExecuting());
}

TEST(InetProxyText, ParsesTheComponentsForm)
{
    QString host;
    quint16 port = 0;
    EXPECT_TRUE(cInet::ParseProxy("HTTP=proxy.example:8080", host, port));
    EXPECT_EQ(host, "proxy.example");
    EXPECT_EQ(port, 8080);
    EXPECT_TRUE(cInet::ParseProxy("http=[::1]:3128", host, port));
    EXPECT_EQ(host, "::1");
    EXPECT_EQ(port, 3128);
    for (const char *bad : {"HTTP=proxy:0", "HTTP=:8080", "HTTP=proxy:", "HTTP=proxy:65536", "FTP=proxy:21", ""})
        EXPECT_FALSE(cInet::ParseProxy(QString::fromLatin1(bad), host, port)) << bad;
}

class InetProxyTest : public InetTest {
protected:
    void useProxy(const TinyProxy &proxy, const QString &user, const QString &password)
    {
        ASSERT_TRUE(proxy.isRunning()) << proxy.startError().toStdString();
        inet.setAccessType(cInet::icNamedProxy);
        inet.setProxy(proxy.proxyText());
        inet.setUserName(user);
        inet.setPassword(password);
    }
};

TEST_F(InetProxyTest, NamedProxyWithRightCredentialsCarriesTheRequest)
{
    TinyProxy proxy("skyuser", "s3cret");
    useProxy(proxy, "skyuser", "s3cret");
    server.serve("/via-proxy", "proxied body");
    EXPECT_TRUE(fetch("/via-proxy?day=today")) << description.toStdString();
    EXPECT_EQ(body, "proxied body");
    EXPECT_TRUE(proxy.log().contains(server.url("/via-proxy?day=today"))) << proxy.log().toStdString();
    // A named proxy that needs no credentials works with empty ones as well.
    TinyProxy open;
    useProxy(open, "", "");
    EXPECT_TRUE(fetch("/via-proxy"));
}

TEST_F(InetProxyTest, WrongOrMissingCredentialsAndDeadProxyFail)
{
    TinyProxy proxy("skyuser", "s3cret");
    server.serve("/via-proxy", "proxied body");
    useProxy(proxy, "skyuser", "wrong");
    EXPECT_FALSE(fetch("/via-proxy"));
    EXPECT_FALSE(description.isEmpty());
    EXPECT_TRUE(body.isEmpty());

    useProxy(proxy, "", "");
    EXPECT_FALSE(fetch("/via-proxy"));
    EXPECT_TRUE(description.contains(QString::fromUtf8("プロキシの認証"))) << description.toStdString();
    EXPECT_EQ(server.requestCount("/via-proxy"), 0);

    proxy.stop();
    EXPECT_FALSE(fetch("/via-proxy"));
    EXPECT_TRUE(description.contains(QString::fromUtf8("プロキシ"))) << description.toStdString();
}

TEST_F(InetProxyTest, ProxyTextIsOnlyUsedForTheNamedProxy)
{
    server.serve("/direct", "direct");
    inet.setProxy(QStringLiteral("HTTP=127.0.0.1:%1").arg(testsupport::freeLocalPort()));
    inet.setAccessType(cInet::icUseDefault);
    EXPECT_TRUE(fetch("/direct")) << description.toStdString();
    inet.setAccessType(cInet::icDirect);
    EXPECT_TRUE(fetch("/direct"));
    inet.setAccessType(cInet::icNamedProxy);
    EXPECT_FALSE(fetch("/direct"));
    inet.setProxy("HTTP=127.0.0.1:0");
    EXPECT_FALSE(fetch("/direct"));
    EXPECT_TRUE(description.contains("HTTP=127.0.0.1:0"));
}

} // namespace
