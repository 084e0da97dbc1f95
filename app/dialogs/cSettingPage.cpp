#include "cSettingPage.h"

#include "frmSetting.h"

cSettingPage::cSettingPage(QWidget *parent)
    : QWidget(parent)
{
    setFont(QFont(QStringLiteral("MS UI Gothic"), 9));
}

cSettingPage::~cSettingPage() = default;

frmSetting *cSettingPage::objParent() const
{
    return m_objParent.data();
}

void cSettingPage::setObjParent(frmSetting *vData)
{
    m_objParent = vData;
}

void cSettingPage::MarkChanged()
{
    if (m_objParent)
        m_objParent->setChanged(true);
}
