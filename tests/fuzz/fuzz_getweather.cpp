// libFuzzer entry: any bytes as a forecast document file through GetWeather.
#include "cWeather.h"
#include "roMessageBox.h"
#include "roWeatherParser.h"

#include <QCoreApplication>
#include <QFile>
#include <QString>

#include <cstdint>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static const QString path = QStringLiteral("/tmp/fuzz_getweather_%1.xml").arg(::getpid());
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
