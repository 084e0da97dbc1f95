#pragma once

#include <QString>

#include <memory>

class cAreas;
class cWeather;

/// The forecast library's readers without any widget: roWeather delegates to
/// these, and they run under a plain QCoreApplication. Message boxes go
/// through ro::MsgBox.
class roWeatherParser {
public:
    /// How a call ended (what a caller cannot tell from the Boolean alone).
    enum class Outcome {
        LoadFailed,       ///< file missing, unreadable or not well-formed (message box shown)
        WrongFormat,      ///< no lwws / ldWeather:source element (message box shown)
        NoVersion,        ///< lwws without version: Weather set to none
        MissingAttribute, ///< area list with a required attribute missing: Areas set to an empty list
        Abandoned,        ///< a build error: the partly built result was dropped, the argument left as passed
        Complete          ///< the argument holds the new result
    };

    /// What happened in the last call, for tools and tests.
    struct Report {
        Outcome outcome = Outcome::LoadFailed;
        QString detail; ///< the load or build error, when there was one
    };

    /// Reads a forecast document into a new cWeather (see roWeather::GetWeather).
    static bool GetWeather(const QString &XmlFileName, std::shared_ptr<cWeather> &Weather, Report *report = nullptr);
    /// Whether a file that cannot be read is told in a message box.
    enum class Messages {
        Shown,
        Quiet ///< a check whose caller reports on its own
    };

    /// Reads an area list into a new cAreas (see roWeather::GetArea).
    static bool GetArea(const QString &XmlFileName, std::shared_ptr<cAreas> &Areas, Report *report = nullptr,
                        Messages messages = Messages::Shown);
};
