// Entry point of the test programs of Qt Core objects (timers, signals) that need an
// application object but no display: no QApplication, no widgets linked in.
#include <QCoreApplication>

#include <gtest/gtest.h>

#include <clocale>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    // As in a window application, the number settings come from the environment.
    std::setlocale(LC_ALL, "");
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
