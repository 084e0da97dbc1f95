#include "cUniqTTT.h"

#include "StyledToolTip.h"
#include "cInitComn.h"

cUniqTTT::cUniqTTT()
{
    cInitComn().InitControls(cInitComn::ICC_BAR_CLASSES);
}

cUniqTTT::~cUniqTTT() = default;

void cUniqTTT::AddToolTip(QWidget *hWnd, const QString &sTitle, const QString &sText, bool bBalloon, int iconCode)
{
    m_tips.push_back(std::make_unique<platform::StyledToolTip>(hWnd, sTitle, sText, bBalloon, iconCode));
}

void cUniqTTT::RemoveAll()
{
    m_tips.clear();
}

int cUniqTTT::Count() const
{
    return static_cast<int>(m_tips.size());
}

QList<platform::StyledToolTip *> cUniqTTT::ToolTips() const
{
    QList<platform::StyledToolTip *> list;
    for (const auto &tip : m_tips) {
        tip->ensurePolished(); // laid out, as when shown
        list.append(tip.get());
    }
    return list;
}
