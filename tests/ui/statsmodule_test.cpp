// The statistics window as the program has it: in a module of its own, opened when the window
// is first asked for. This test program links the other windows only, as the program does.
#include "core/programmodule.h"
#include "host/modebutton.h"
#include "host/modewindow.h"
#include "modes/statswindow.h"
#include "support/stubmodehost.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QWidget>
#include <gtest/gtest.h>

#include <memory>

namespace {

bool Mapped(const char* name) {
    QFile maps(QStringLiteral("/proc/self/maps"));
    return maps.open(QIODevice::ReadOnly) && maps.readAll().contains(name);
}

TEST(StatsModule, MissingItIsReportedOpenedItMakesTheWindow) {
    QTemporaryDir dir;
    StubModeHost host;
    host.historyPath = QDir(dir.path()).filePath(QStringLiteral("history.txt")).toStdString();
    RegisterStatsWindow(host);

    // Beside this test program there is no module: the learner is told which file is missing
    // and no window opens.
    EXPECT_EQ(host.Open(ModeButton::SpeedButton14, false), nullptr);
    ASSERT_EQ(host.messages.Texts(MessageRecorder::Kind::Error).size(), 1);
    EXPECT_TRUE(host.messages.Texts(MessageRecorder::Kind::Error).front().contains("stats.so"));
    EXPECT_FALSE(Mapped("libQt6Charts"));

    std::string error;
    void* entry = core::ModuleEntryAt(LJT_STATS_MODULE_FILE, "ljt_stats_window", false, error);
    ASSERT_NE(entry, nullptr) << error;
    UseStatsWindow(reinterpret_cast<StatsWindowMaker>(entry));
    ModeWindow* window = host.Open(ModeButton::SpeedButton14, false);
    ASSERT_NE(window, nullptr);
    std::unique_ptr<QWidget> owner(window->Widget());
    EXPECT_EQ(owner->objectName(), QStringLiteral("StudyStatsForm"));
    EXPECT_TRUE(Mapped("libQt6Charts"));
}

} // namespace
