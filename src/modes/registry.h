#pragma once

class ModeHost;

/// Plugs every mode window into its buttons: the one place where modes are registered.
void RegisterModeWindows(ModeHost& host);
