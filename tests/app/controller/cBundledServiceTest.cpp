// The program runs the forecast service it ships with only for the default local address and only when
// nothing answers there; it stops it again. Real processes and real sockets on 127.0.0.1: the "default"
// address is a free port here, so the test never depends on 8931 being free.
#include "cBundledService.h"
#include "TestHttpServer.h"
#include "TestPaths.h"
#include "cServiceProcess.h"

#include <QDir>
#include <QTcpServer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using Outcome = cBundledService::Outcome;

const QString kService = QStringLiteral(SKYCASTER_PROGRAM_DIR "/skycaster-forecastd");
const QString kPath = QStringLiteral("/forecast/webservice/rest/v1");

/// A port nothing listens on (the kernel's choice, released again).
int freePort()
{
    QTcpServer probe;
    return probe.listen(QHostAddress::LocalHost, 0) ? probe.serverPort() : 0;
}

QString urlAt(int port)
{
    return QStringLiteral("http://127.0.0.1:%1").arg(port) + kPath;
}

TEST(BundledServiceTest, StartsOnlyForTheDefaultAddressWhenNothingAnswers)
{
    QTemporaryDir empty;
    const testsupport::TestHttpServer busy;
    const int busyPort = busy.port();
    ASSERT_NE(busyPort, 0);
    struct Case {
        const char *what;
        bool ownUrl;           // the settings name another service
        bool defaultAnswering; // something already listens at the default address
        QStringList candidates;
        Outcome expected;
    };
    const Case cases[] = {
        {"the user's own service URL", true, false, {kService}, Outcome::OtherService},
        {"something answers at the default address", false, true, {kService}, Outcome::AlreadyAnswering},
        {"no service in the installation", false, false, {empty.filePath("skycaster-forecastd")}, Outcome::NotShipped},
        {"a service program that ends at once", false, false, {QStringLiteral("/bin/false")}, Outcome::DidNotStart},
        {"shipped service found after a missing one",
         false,
         false,
         {empty.filePath("none"), kService},
         Outcome::Started},
    };
    for (const Case &c : cases) {
        const int defaultPort = c.defaultAnswering ? busyPort : freePort();
        ASSERT_NE(defaultPort, 0);
        const int otherPort = freePort();
        platform::cServiceProcess process;
        {
            cBundledService service(process, c.candidates);
            const QString configured = c.ownUrl ? urlAt(otherPort) : urlAt(defaultPort);
            EXPECT_EQ(service.StartIfNeeded(configured, urlAt(defaultPort)), c.expected) << c.what;
            const bool started = c.expected == Outcome::Started;
            EXPECT_EQ(service.StartedProgram(), started ? kService : QString()) << c.what;
            EXPECT_EQ(process.Answers("127.0.0.1", defaultPort), started || c.defaultAnswering) << c.what;
            EXPECT_FALSE(process.Answers("127.0.0.1", otherPort)) << c.what;
        }
        // Released with the program: a started service is gone, a foreign one untouched.
        EXPECT_EQ(process.Answers("127.0.0.1", defaultPort), c.defaultAnswering) << c.what;
    }
}

} // namespace
