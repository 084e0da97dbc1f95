#include "cSettingPage.h"

cSettingPage::cSettingPage(QWidget *parent)
    : QWidget(parent)
{
    setFont(QFont(QStringLiteral("MS UI Gothic"), 9));
}

cSettingPage::~cSettingPage() = default;
