// Entry point for tests that need a QApplication (windows, sound): GoogleTest inside Qt.
#include "core/processend.h"

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    int result = 0;
    {
        QApplication app(argc, argv);
        ::testing::InitGoogleTest(&argc, argv);
        result = RUN_ALL_TESTS();
    }
    // The sound tests have talked to the sound server: end as the program does.
    core::EndProcess(result);
}
