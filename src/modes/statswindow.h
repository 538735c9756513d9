#pragma once
class ModeHost;
class ModeWindow;
class QWidget;

/// Makes the statistics window.
using StatsWindowMaker = ModeWindow* (*)(ModeHost& host, QWidget* parent);

/// Plugs the statistics window into its button. The window, with Qt Charts under it, is in the
/// module stats.so, opened when the window is first asked for; a module that cannot be opened
/// is reported then and the window stays closed.
void RegisterStatsWindow(ModeHost& host);

/// Makes maker the one that makes the statistics window, instead of the module's (programs that
/// link the window in).
void UseStatsWindow(StatsWindowMaker maker);
