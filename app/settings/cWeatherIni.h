#pragma once

#include <QString>

#include <array>
#include <bitset>
#include <functional>
#include <variant>

/// The program's settings: every key of the settings file with its section, type and default.
/// Read once when created; each assignment is written to the file at once, or at the end of the
/// SaveBatch it falls in. A value whose save failed stays pending and goes with the next save.
class cWeatherIni {
public:
    /// Told why, once per run of failed saves (the next success re-arms it).
    using WriteFailureHandler = std::function<void(const QString &message)>;

    /// Assignments while one lives are saved together, in one write of the file, when the outermost ends.
    class SaveBatch {
    public:
        explicit SaveBatch(cWeatherIni &settings);
        ~SaveBatch();
        SaveBatch(const SaveBatch &) = delete;
        SaveBatch &operator=(const SaveBatch &) = delete;

    private:
        cWeatherIni &m_settings;
    };

    /// Every setting, in the order they are read at creation.
    enum class Setting {
        CityID,
        ForecastmapURL,
        LastAccessCityID,
        LastPublicTime,
        LastAccessDate,
        Method,
        ProxyAuthentication,
        ProxyPassword,
        ProxyPort,
        ProxyServer,
        ProxyUser,
        WeatherServiceURL,
        ShowDeskTop,
        SkinFile,
        ForecastmapPath,
        ShowTopMost,
        Span,
        PosX,
        PosY,
        NotifyWarnings,
        AnnouncedWarnings,
        Count
    };

    /// Settings beside the executable (see DefaultSettingsPath()).
    cWeatherIni();
    /// Settings in the given file (tests, or another location chosen by start-up); the area list defaults
    /// into the program folder.
    explicit cWeatherIni(const QString &settingsPath);
    /// Settings in the given file of a program installed in `programFolder`. When the file is not in that
    /// folder (a read-only installation), the area list follows it: its default is "forecastmap/forecastmap.xml"
    /// beside the settings file, started from a copy of the one shipped in the program folder.
    cWeatherIni(const QString &settingsPath, const QString &programFolder);

    /// Where the settings file lives: the executable's folder, its name + ".ini"; when that folder
    /// (or the file in it) cannot be written, the user's configuration folder + "/Skycaster". The one
    /// place that decides the location.
    static QString DefaultSettingsPath();
    /// The rule of DefaultSettingsPath() for given folders; a file shipped in a read-only program
    /// folder is copied to the user's folder the first time.
    static QString ChooseSettingsPath(const QString &programFolder, const QString &baseName, const QString &userFolder);
    /// Scheme and host of the forecast service the default URLs point to.
    static QString DefaultServiceHost();
    /// The settings file this object reads and writes.
    QString SettingsPath() const { return m_path; }

    /// Text written to the file for a setting's default value (program folder and host filled in).
    static QString DefaultText(Setting setting);
    /// Section of a setting in the file.
    static QString SectionOf(Setting setting);
    /// Key of a setting in the file.
    static QString KeyOf(Setting setting);

    /// Writes ForecastmapURL, WeatherServiceURL, SkinFile, ForecastmapPath and Span with their
    /// current values, so the file shows them for hand editing.
    void SaveShadowSetting();

    /// Sets who is told when a save fails.
    void setWriteFailureHandler(WriteFailureHandler handler) { m_onWriteFailure = std::move(handler); }
    /// Saves every value not in the file yet; true when none is left pending.
    bool SavePending();
    /// True while some value waits for a save (one that failed, or a batch still open).
    bool HasPendingValues() const { return m_pending.any(); }

    /// Time of the last automatic retrieval, "yyyy/mm/dd hh:nn:ss".
    QString LastAccessDate() const { return text(Setting::LastAccessDate); }
    /// Stores LastAccessDate.
    void setLastAccessDate(const QString &vData) { assign(Setting::LastAccessDate, vData); }
    /// Vertical centre of the desktop widget; -100 or less = none stored.
    int PosY() const { return number(Setting::PosY); }
    /// Stores PosY.
    void setPosY(int vData) { assign(Setting::PosY, vData); }
    /// Horizontal centre of the desktop widget; -100 or less = none stored.
    int PosX() const { return number(Setting::PosX); }
    /// Stores PosX.
    void setPosX(int vData) { assign(Setting::PosX, vData); }
    /// Retrieval interval in minutes (key "GetSpan").
    int Span() const { return number(Setting::Span); }
    /// Stores Span (kept within the 16-bit range it is read in).
    void setSpan(int vData) { assign(Setting::Span, vData); }
    /// Keep the desktop widget above other windows.
    bool ShowTopMost() const { return flag(Setting::ShowTopMost); }
    /// Stores ShowTopMost.
    void setShowTopMost(bool vData) { assign(Setting::ShowTopMost, vData); }
    /// Local file that holds the downloaded area list. When it is the user's own copy beside the settings
    /// file and not there yet, the shipped list is copied there first.
    QString ForecastmapPath() const;
    /// Stores ForecastmapPath.
    void setForecastmapPath(const QString &vData) { assign(Setting::ForecastmapPath, vData); }
    /// Style sheet applied to the program's windows (key "Path" in "SkinStyle").
    QString SkinFile() const { return text(Setting::SkinFile); }
    /// Stores SkinFile.
    void setSkinFile(const QString &vData) { assign(Setting::SkinFile, vData); }
    /// Show the desktop widget.
    bool ShowDeskTop() const { return flag(Setting::ShowDeskTop); }
    /// Stores ShowDeskTop.
    void setShowDeskTop(bool vData) { assign(Setting::ShowDeskTop, vData); }
    /// Base URL of the forecast requests.
    QString WeatherServiceURL() const { return text(Setting::WeatherServiceURL); }
    /// Stores WeatherServiceURL.
    void setWeatherServiceURL(const QString &vData) { assign(Setting::WeatherServiceURL, vData); }
    /// Proxy user name.
    QString ProxyUser() const { return text(Setting::ProxyUser); }
    /// Stores ProxyUser.
    void setProxyUser(const QString &vData) { assign(Setting::ProxyUser, vData); }
    /// Proxy host name or address.
    QString ProxyServer() const { return text(Setting::ProxyServer); }
    /// Stores ProxyServer.
    void setProxyServer(const QString &vData) { assign(Setting::ProxyServer, vData); }
    /// Proxy port.
    int ProxyPort() const { return number(Setting::ProxyPort); }
    /// Stores ProxyPort.
    void setProxyPort(int vData) { assign(Setting::ProxyPort, vData); }
    /// Proxy password in clear (stored Base64-encoded).
    QString ProxyPassword() const { return text(Setting::ProxyPassword); }
    /// Stores ProxyPassword.
    void setProxyPassword(const QString &vData) { assign(Setting::ProxyPassword, vData); }
    /// The proxy needs a user name and password.
    bool ProxyAuthentication() const { return flag(Setting::ProxyAuthentication); }
    /// Stores ProxyAuthentication.
    void setProxyAuthentication(bool vData) { assign(Setting::ProxyAuthentication, vData); }
    /// Connection method: 0 the system's settings, 1 the proxy above.
    int Method() const { return number(Setting::Method); }
    /// Stores Method (kept within the 16-bit range).
    void setMethod(int vData) { assign(Setting::Method, vData); }
    /// Publication time of the last forecast retrieved.
    QString LastPublicTime() const { return text(Setting::LastPublicTime); }
    /// Stores LastPublicTime.
    void setLastPublicTime(const QString &vData) { assign(Setting::LastPublicTime, vData); }
    /// City of the last successful retrieval.
    QString LastAccessCityID() const { return text(Setting::LastAccessCityID); }
    /// Stores LastAccessCityID.
    void setLastAccessCityID(const QString &vData) { assign(Setting::LastAccessCityID, vData); }
    /// Where the area list document is downloaded from.
    QString ForecastmapURL() const { return text(Setting::ForecastmapURL); }
    /// Stores ForecastmapURL.
    void setForecastmapURL(const QString &vData) { assign(Setting::ForecastmapURL, vData); }
    /// Announce warnings and advisories newly in force with a desktop notification.
    bool NotifyWarnings() const { return flag(Setting::NotifyWarnings); }
    /// Stores NotifyWarnings.
    void setNotifyWarnings(bool vData) { assign(Setting::NotifyWarnings, vData); }
    /// The warnings last announced: "city|phenomenon=level;..." (empty: none yet).
    QString AnnouncedWarnings() const { return text(Setting::AnnouncedWarnings); }
    /// Stores AnnouncedWarnings.
    void setAnnouncedWarnings(const QString &vData) { assign(Setting::AnnouncedWarnings, vData); }
    /// City whose forecast is shown; empty = none chosen yet.
    QString CityID() const { return text(Setting::CityID); }
    /// Stores CityID.
    void setCityID(const QString &vData) { assign(Setting::CityID, vData); }

private:
    using Value = std::variant<QString, int, bool>;

    void readAll();
    /// The default text of a setting for this file (the area list may follow the settings file).
    QString defaultFor(Setting setting) const;
    /// The area list beside the settings file, when it follows the file; empty otherwise.
    QString ownAreaListPath() const;
    /// The area list shipped in the program folder.
    QString shippedAreaListPath() const;
    void assign(Setting setting, Value value);
    QString fileText(Setting setting) const;
    QString text(Setting s) const { return std::get<QString>(m_values[static_cast<size_t>(s)]); }
    int number(Setting s) const { return std::get<int>(m_values[static_cast<size_t>(s)]); }
    bool flag(Setting s) const { return std::get<bool>(m_values[static_cast<size_t>(s)]); }

    QString m_path;
    QString m_programFolder; ///< set when the area list may follow the settings file
    std::array<Value, static_cast<size_t>(Setting::Count)> m_values;
    std::bitset<static_cast<size_t>(Setting::Count)> m_pending;
    int m_batchDepth = 0;
    bool m_failureTold = false;
    WriteFailureHandler m_onWriteFailure;
};
