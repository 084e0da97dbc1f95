// libFuzzer entry: any bytes as a forecast document file through GetWeather.
#include "cWeather.h"
#include "roMessageBox.h"
#include "roWeatherParser.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QString>

#include <cstdint>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    // One scratch file in the temporary folder, removed when the fuzzer exits.
    struct Scratch {
        QString path = QDir::temp().filePath(QStringLiteral("fuzz_getweather_%1.xml").arg(::getpid()));
        ~Scratch() { QFile::remove(path); }
    };
    static const Scratch scratch;
    const QString &path = scratch.path;
    static const auto quiet = ro::SetMessageBoxHandler([](const ro::MessageBoxRequest &) { return int(ro::vbOK); });
    (void)quiet;
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        file.write(reinterpret_cast<const char *>(data), static_cast<qint64>(size));
    }
    std::shared_ptr<cWeather> weather;
    roWeatherParser::GetWeather(path, weather);
    return 0;
}
