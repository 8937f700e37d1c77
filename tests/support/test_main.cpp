// Runs the tests inside a Qt application on the offscreen platform.
#include "platform/helperprocess.h"

#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    // The code under test starts helper processes from this executable.
    if (const std::optional<int> status = platform::runHelperIfAsked(argc, argv))
        return *status;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
