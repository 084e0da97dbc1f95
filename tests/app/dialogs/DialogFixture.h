#pragma once

#include "AppSettings.h"
#include "TestSupport.h"
#include "cWeatherIni.h"
#include "roMessageBox.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <memory>

/// Every dialog test runs against its own settings file and area list in a
/// temporary folder, with message boxes recorded instead of shown.
class DialogFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_iniPath = m_dir.filePath(QStringLiteral("Skycaster.ini"));
        m_areaPath = m_dir.filePath(QStringLiteral("forecastmap/forecastmap.xml"));
        UseAreaList(QStringLiteral("forecastmap.xml"));
        // Paths go into the file before the object reads it, so the dialog sees them
        // without the test writing anything through the settings object.
        WriteIni(QByteArray());
    }

    void TearDown() override { SetAppSettings(nullptr); }

    /// Copies a fixture of tests/data/dialogs to the area list path.
    void UseAreaList(const QString &fixture)
    {
        testsupport::writeFile(m_areaPath,
                               testsupport::readAll(testsupport::dataPath(QStringLiteral("dialogs/") + fixture)));
    }

    /// Writes the settings file (General section extras appended) and installs a fresh settings object.
    void WriteIni(const QByteArray &general, const QByteArray &communication = {})
    {
        QByteArray text = "[General]\r\nForecastmapPath=" + m_areaPath.toUtf8() + "\r\n" + general;
        text += "[SkinStyle]\r\nPath=" + m_dir.filePath(QStringLiteral("Styles/none.qss")).toUtf8() + "\r\n";
        if (!communication.isEmpty())
            text += "[Communication]\r\n" + communication;
        testsupport::writeFile(m_iniPath, text);
        SetAppSettings(std::make_unique<cWeatherIni>(m_iniPath));
    }

    /// The settings file as it is on disk now.
    QByteArray IniBytes() const { return testsupport::readAll(m_iniPath); }

    /// A settings object reading the file afresh (what the next start would see).
    std::unique_ptr<cWeatherIni> Reread() const { return std::make_unique<cWeatherIni>(m_iniPath); }

    /// Clicks a node as a user does (the node must be visible).
    static void ClickNode(QTreeWidget *tree, QTreeWidgetItem *node)
    {
        tree->scrollToItem(node);
        const QRect rect = tree->visualItemRect(node);
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, Qt::NoModifier, rect.center());
    }

    QTemporaryDir m_dir;
    QString m_iniPath;
    QString m_areaPath;
    ro::ScopedMessageBoxRecorder m_boxes;
};
