// GUI tests run on Qt's offscreen platform.
#include "testhome.h"

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    CTestHome home;
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    int rc;
    {
        QApplication app(argc, argv);
        QCoreApplication::setOrganizationName(QStringLiteral("DravikInc"));
        QCoreApplication::setApplicationName(QStringLiteral("Ashmoor 2 DAT file browser"));
        ::testing::InitGoogleTest(&argc, argv);
        rc = RUN_ALL_TESTS();
    }
    return rc;
}
