#pragma once

#include <QList>
#include <QString>

#include <memory>
#include <vector>

class QWidget;
namespace platform {
class StyledToolTip;
}

/// Makes styled tool tips for windows and owns them: RemoveAll and the destructor destroy them all.
class cUniqTTT {
public:
    /// Icon codes of a tip's title.
    enum TitleIcon {
        TTI_NONE = 0,
        TTI_INFO = 1,
        TTI_WARNING = 2,
        TTI_ERROR = 3
    };

    cUniqTTT();
    ~cUniqTTT();
    cUniqTTT(const cUniqTTT &) = delete;
    cUniqTTT &operator=(const cUniqTTT &) = delete;

    /// Adds one more tip to `hWnd`: title (shown only when not blank), text, balloon or rectangle, title icon.
    void AddToolTip(QWidget *hWnd, const QString &sTitle, const QString &sText, bool bBalloon, int iconCode);
    /// Destroys every tip made so far.
    void RemoveAll();
    /// Number of tips alive.
    int Count() const;
    /// The tips alive, oldest first, laid out as when shown.
    QList<platform::StyledToolTip *> ToolTips() const;

private:
    std::vector<std::unique_ptr<platform::StyledToolTip>> m_tips;
};
