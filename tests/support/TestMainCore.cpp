// Test entry point for units that need no display: a QCoreApplication lives for the whole run.
#include <QCoreApplication>

#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Skycaster"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
