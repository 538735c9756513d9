#pragma once
#include <QLocale>

/// Loads Qt's own translations (standard buttons, file dialogs, the text-edit menus) for the
/// locale and installs them in the running application. False when Qt has none for it (an
/// English locale, or the translations package missing), which leaves Qt's English texts.
bool InstallQtTranslations(const QLocale& locale);
