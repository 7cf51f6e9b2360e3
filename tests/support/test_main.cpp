#include "testhome.h"

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    CTestHome home;
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
