#pragma once

#include <QWidget>

#include <memory>

class cAreas;
class cWeather;

/// The forecast library's control: a fixed 32 × 32 square on its host form
/// that reads the forecast document and the area list into the object model.
/// The reading itself is done by roWeatherParser (no display needed).
class roWeather : public QWidget {
    Q_OBJECT
public:
    /// Creates the control on a host form (or alone).
    explicit roWeather(QWidget *parent = nullptr);
    ~roWeather() override;

    /// Reads a forecast document. True once the file loaded and an lwws element
    /// was found; Weather then holds the new cWeather, none when lwws has no
    /// version, or stays as passed when the build failed. False after a
    /// message box ("予報の解析") otherwise, Weather unchanged.
    bool GetWeather(const QString &XmlFileName, std::shared_ptr<cWeather> &Weather);
    /// Reads an area list. True once the file loaded and an ldWeather:source
    /// element was found; Areas then holds the complete list, an empty list
    /// when a required attribute was missing, or stays as passed when the build
    /// failed. False after a message box ("地域の解析") otherwise.
    bool GetArea(const QString &XmlFileName, std::shared_ptr<cAreas> &Areas);

    /// The control's fixed size, 32 × 32.
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
};
