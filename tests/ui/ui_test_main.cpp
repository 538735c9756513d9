// Entry point of the window tests: GoogleTest inside the program's own application object,
// so that its general error display is active as in the program.
#include "host/application.h"
#include "host/fonts.h"

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    Application app(argc, argv);
    Application::setApplicationDisplayName(QStringLiteral(" 朗记通"));
    // The phonetic font is the data's: the tests that show phonetics register it themselves.
    InstallFontSubstitutes();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
