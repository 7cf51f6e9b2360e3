// Every test runs with a temporary home; window tests on Qt's offscreen platform.
#include "testhome.h"

#include <gtest/gtest.h>
#ifdef DRAVIK_GUI_TEST_MAIN
#include <QApplication>
#endif

int main(int argc, char** argv)
{
    CTestHome home;
#ifdef DRAVIK_GUI_TEST_MAIN
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("DravikInc"));
    QCoreApplication::setApplicationName(QStringLiteral("Ashmoor 2 DAT file browser"));
#endif
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
