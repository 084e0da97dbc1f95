#include "cRetrievalCycle.h"

#include "RetrievalPorts.h"
#include "WarningRules.h"
#include "cImage.h"
#include "cTemperature.h"
#include "cWarnings.h"
#include "cWeather.h"
#include "cWeatherIni.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QSaveFile>

namespace {

const QString kWaitingTip = QStringLiteral("お天気取得中です....");
const QString kFailureTrayTip = QStringLiteral("天気情報取得に失敗しました");
const QString kErrorCity = QStringLiteral("エラー");
const QString kCannotGet = QStringLiteral("取得できません");
constexpr int kInformationIcon = 1;
constexpr int kWarningIcon = 2;
constexpr int kErrorIcon = 3;
constexpr int kNoStoredPosition = -100;

// The picture lives in the program folder; an installation that cannot be written keeps it beside the
// settings file instead, so the widget still gets its picture.
QString pictureFolder(const QString &programDir, const cWeatherIni &settings)
{
    if (QFileInfo(programDir).isWritable() || settings.SettingsPath().isEmpty())
        return programDir;
    return QFileInfo(settings.SettingsPath()).absolutePath();
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void removeIfNamed(const QString &path)
{
    if (!path.isEmpty())
        QFile::remove(path);
}

} // namespace

cRetrievalCycle::cRetrievalCycle(cWeatherIni &settings, IForecastSource &source, ITrayView &tray,
                                 std::function<IWeatherView &()> widget, QString programDir)
    : m_settings(settings)
    , m_source(source)
    , m_tray(tray)
    , m_widget(std::move(widget))
    , m_programDir(std::move(programDir))
    , m_iconFilePath(QDir(pictureFolder(m_programDir, settings)).filePath(QStringLiteral("Icon.tmp")))
{
}

QString cRetrievalCycle::FailurePicturePath() const
{
    return QDir(m_programDir).filePath(QStringLiteral("Res/CloudPaneX.bmp"));
}

bool cRetrievalCycle::RetrieveWeather(int day, const QString &cityID)
{
    m_currentWeather.reset();
    m_tray.SetToolTip(kWaitingTip);
    m_lastError.clear();
    const QString city = cityID.isEmpty() ? m_settings.CityID() : cityID;

    QString iconFile;
    const QString forecastFile = m_source.DownloadForecastFile(city, m_lastError, day);
    if (!forecastFile.isEmpty())
        m_currentDay = day;
    if (forecastFile.isEmpty()) {
        ShowFailure();
    } else if (!m_source.GetWeather(forecastFile, m_currentWeather) || !m_currentWeather) {
        // A rejected document (or one without a forecast) is a failure, not an empty success.
        m_currentWeather.reset();
        ShowFailure();
    } else {
        iconFile = m_source.DownloadIconFile(m_currentWeather->Image()->URL(), m_lastError);
        if (iconFile.isEmpty() || !m_lastError.isEmpty()) {
            ShowFailure();
        } else {
            if (!SaveIconPicture(iconFile))
                StorePicture(readFile(FailurePicturePath()));
            ShowForecast(*m_currentWeather);
            m_settings.setLastAccessCityID(city);
            m_settings.setLastPublicTime(m_currentWeather->Publictime());
        }
    }
    UpdateTrayState();
    removeIfNamed(forecastFile);
    removeIfNamed(iconFile);
    return true;
}

QString cRetrievalCycle::BuildToolTipBody(const cWeather *weather)
{
    if (weather == nullptr)
        return QStringLiteral(" 発表\r\n\r\n");
    return weather->Publictime() + QStringLiteral(" 発表\r\n\r\n") + weather->Description();
}

bool cRetrievalCycle::SaveIconPicture(const QString &downloadedFile)
{
    // Any format the widget reads will do; PNG keeps the icon's transparency.
    const QImage picture(downloadedFile);
    QByteArray png;
    QBuffer buffer(&png);
    return !picture.isNull() && picture.save(&buffer, "PNG") && StorePicture(png);
}

bool cRetrievalCycle::StorePicture(const QByteArray &bytes)
{
    // Never a cut-off picture over the last good one (a full disk): a new file, renamed when complete.
    if (bytes.isEmpty())
        return false;
    QSaveFile file(m_iconFilePath);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    if (file.write(bytes) != bytes.size() || !file.commit()) {
        file.cancelWriting();
        return false;
    }
    return true;
}

void cRetrievalCycle::ShowForecast(const cWeather &weather)
{
    const auto temperature = weather.Temperature();
    const auto warnings = weather.Warnings();
    m_widget().SetWarningMark(warningrules::MostSevere(*warnings));
    if (m_settings.ShowDeskTop())
        DrawAt(weather.LocationCity(), weather.Telop(), temperature->MinCelsius(), temperature->MaxCelsius());
    else
        StorePositionAndHide();
    const QString cityTelop = weather.LocationCity() + QLatin1Char(' ') + weather.Telop();
    QStringList lines = warningrules::ClassLines(*warnings);
    if (lines.isEmpty()) {
        m_widget().SetToolTipText(cityTelop, BuildToolTipBody(&weather), kInformationIcon);
        return;
    }
    // The most severe class is the tip's title, so it is the first thing read.
    const QString title = lines.takeFirst();
    lines << cityTelop << BuildToolTipBody(&weather);
    m_widget().SetToolTipText(title, lines.join(QStringLiteral("\r\n")), kWarningIcon);
}

void cRetrievalCycle::ShowFailure()
{
    if (!StorePicture(readFile(FailurePicturePath())))
        QFile::remove(m_iconFilePath); // no forecast picture beside a failure
    m_widget().SetWarningMark(WarningLevel::None);

    if (m_settings.ShowDeskTop()) {
        DrawAt(kErrorCity, m_lastError.isEmpty() ? kCannotGet : m_lastError, QStringLiteral("-"), QStringLiteral("-"));
        m_widget().SetToolTipText(kCannotGet, m_lastError, kErrorIcon);
    } else {
        StorePositionAndHide();
    }
}

void cRetrievalCycle::UpdateTrayState()
{
    // Without a forecast there is nothing normal to show, even when no error text was left.
    const bool failed = !m_lastError.isEmpty() || !m_currentWeather;
    m_tray.SetFailureIcon(failed);
    if (failed) {
        m_tray.SetWarningMark(WarningLevel::None);
        m_tray.SetToolTip(kFailureTrayTip);
        return;
    }
    const auto warnings = m_currentWeather->Warnings();
    m_tray.SetWarningMark(warningrules::MostSevere(*warnings));
    QStringList lines = warningrules::ClassLines(*warnings);
    lines << m_currentWeather->LocationCity() + QLatin1Char(' ') + m_currentWeather->Telop();
    m_tray.SetToolTip(lines.join(u'\n'));
}

void cRetrievalCycle::StorePositionAndHide()
{
    IWeatherView &widget = m_widget();
    if (!widget.Visible())
        return;
    int x = 0;
    int y = 0;
    widget.GetCenter(x, y);
    m_settings.setPosX(x);
    m_settings.setPosY(y);
    widget.Hide();
}

void cRetrievalCycle::DrawAt(const QString &city, const QString &telop, const QString &minimum, const QString &maximum)
{
    IWeatherView &widget = m_widget();
    int x = m_settings.PosX();
    int y = m_settings.PosY();
    if (x <= kNoStoredPosition || y <= kNoStoredPosition)
        widget.GetCenter(x, y);
    widget.Draw(x, y, city, telop, minimum, maximum, m_iconFilePath, m_settings.ShowTopMost());
}
