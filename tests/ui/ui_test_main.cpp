#include <QApplication>
#include <QStandardPaths>
#include <gtest/gtest.h>

// Offscreen unless told otherwise: test discovery runs without the tests' environment. The
// program's name is the title of the set-up failure box.
int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName("comrs232");
    // The user's own configuration stays out of reach of every test.
    QStandardPaths::setTestModeEnabled(true);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
