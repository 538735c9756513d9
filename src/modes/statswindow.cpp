#include "modes/statswindow.h"

#include "core/programmodule.h"
#include "core/status.h"
#include "host/errortext.h"
#include "host/messageservice.h"
#include "host/modehost.h"
#include "host/uistyle.h"

namespace {

StatsWindowMaker g_linked = nullptr;

/// The module's maker (a module already open is found again); null, and failure set, when
/// it cannot be opened.
StatsWindowMaker ModuleMaker(core::Status& failure) {
    std::string error;
    void* entry = core::ModuleEntry(LJT_STATS_MODULE, "ljt_stats_window", false, error);
    if (entry == nullptr) {
        failure = core::Status::File(core::Failure::NotFound,
                                     core::ModuleFolder() + LJT_STATS_MODULE, 0, error);
    }
    return reinterpret_cast<StatsWindowMaker>(entry);
}

} // namespace

void UseStatsWindow(StatsWindowMaker maker) {
    g_linked = maker;
}

void RegisterStatsWindow(ModeHost& host) {
    ModeRegistration stats;
    stats.slot = ModeSlot::Statistics;
    stats.stop = BrowseStop::IfRunning;
    stats.timer1Off = true;
    stats.colour = StudyModeColour;
    // Made once and kept: each opening reads the history again, and the charts' widgets are
    // not built anew every time (Qt keeps a little of every calendar and chart view made).
    stats.keepsWindow = true;
    stats.create = [&host](QWidget* parent) -> ModeWindow* {
        core::Status failure;
        StatsWindowMaker maker = g_linked != nullptr ? g_linked : ModuleMaker(failure);
        if (maker == nullptr) {
            host.Messages().ShowError(ErrorText(failure));
            return nullptr;
        }
        return maker(host, parent);
    };
    host.RegisterMode(ModeButton::SpeedButton14, std::move(stats));
}
