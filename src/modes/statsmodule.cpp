// The statistics module (stats.so): the statistics window and Qt Charts under it.
#include "modes/statswindow.h"
#include "modes/studystatsform.h"

#include <type_traits>

extern "C" __attribute__((visibility("default"))) ModeWindow* ljt_stats_window(ModeHost& host,
                                                                               QWidget* parent) {
    return new TStudyStatsForm(host, parent);
}

static_assert(std::is_same_v<decltype(&ljt_stats_window), StatsWindowMaker>);
