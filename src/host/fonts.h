#pragma once
#include "core/status.h"

#include <QString>
#include <QStringList>

/// Maps the typefaces the windows name onto installed fonts ("宋体", "华文楷体",
/// "Times New Roman").
void InstallFontSubstitutes();
/// The typeface names the windows and pages ask for, each mapped by InstallFontSubstitutes.
QStringList FontRoles();
/// Registers appDir + "DFPhonetic.ttf". Fails, naming the file, when the phonetic font is
/// missing (FontMissing) or cannot be loaded (FontUnusable): phonetics then show as plain
/// letters, which the learner is told once.
core::Status InstallPhoneticFont(const QString& appDir);
/// Both: the substitutes, then the phonetic font.
core::Status InstallFonts(const QString& appDir);
