// Entry point of the core test programs. The process takes its number settings from the
// environment, as a window application does at start, so that a run under a comma-decimal
// LC_ALL shows whether a conversion follows hidden locale state.
#include <gtest/gtest.h>

#include <clocale>

int main(int argc, char **argv)
{
    std::setlocale(LC_ALL, "");
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
