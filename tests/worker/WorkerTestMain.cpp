// The worker's tests run with a Qt event loop on the main thread, where the
// test hosts live, as the window and the command-line program do.
#include <gtest/gtest.h>

#include <QCoreApplication>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
