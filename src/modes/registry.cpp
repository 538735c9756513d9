#include "modes/registry.h"

#include "modes/hereadform.h"
#include "modes/mywriteform.h"
#include "modes/recordform.h"
#include "modes/selecttestform.h"
#include "modes/statswindow.h"
#include "modes/wordsentenceforrm.h"
#include "modes/yinbiaoform.h"

void RegisterModeWindows(ModeHost& host) {
    RegisterCardWindow(host);
    RegisterSpellingWindow(host);
    RegisterChoiceTestWindow(host);
    RegisterLookupWindow(host);
    RegisterRecordWindow(host);
    RegisterLessonWindow(host);
    RegisterStatsWindow(host);
}
