#include <gtest/gtest.h>

#include <QApplication>

int main(int argc, char** argv) {
    // The widgets run without a display unless a platform is asked for
    // (test discovery at build time has none).
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
