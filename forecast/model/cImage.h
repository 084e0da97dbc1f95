#pragma once

#include "roModelKey.h"
#include "roVariant.h"

#include <QString>

/// The forecast icon. lHeight and Link are variants: set a plain value with
/// setlHeight/setLink or an object reference with setlHeightRef/setLinkRef.
class cImage {
public:
    /// Library only: objects come from the library's factory.
    explicit cImage(roModelKey);
    ~cImage();
    cImage(const cImage &) = delete;
    cImage &operator=(const cImage &) = delete;

    /// Icon height (the parser stores a 32-bit integer); empty until set.
    roVariant lHeight() const { return m_lHeight; }
    /// Stores a copy of a plain value in lHeight.
    void setlHeight(const QVariant &value) { m_lHeight = roVariant::fromValue(value); }
    /// Stores an object reference in lHeight.
    void setlHeightRef(std::shared_ptr<QObject> object) { m_lHeight = roVariant::fromObject(std::move(object)); }
    /// Icon width as decimal text.
    const QString &lWidth() const { return m_lWidth; }
    /// Sets lWidth.
    void setlWidth(const QString &value) { m_lWidth = value; }
    /// The icon's address.
    const QString &URL() const { return m_URL; }
    /// Sets URL.
    void setURL(const QString &value) { m_URL = value; }
    /// The link (the parser stores the link text); empty until set.
    roVariant Link() const { return m_Link; }
    /// Stores a copy of a plain value in Link.
    void setLink(const QVariant &value) { m_Link = roVariant::fromValue(value); }
    /// Stores an object reference in Link.
    void setLinkRef(std::shared_ptr<QObject> object) { m_Link = roVariant::fromObject(std::move(object)); }
    /// The icon's title text.
    const QString &Title() const { return m_Title; }
    /// Sets Title.
    void setTitle(const QString &value) { m_Title = value; }

private:
    roVariant m_lHeight;
    QString m_lWidth;
    QString m_URL;
    roVariant m_Link;
    QString m_Title;
};
