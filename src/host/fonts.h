#pragma once
#include <QString>

/// Maps the typefaces the windows name onto installed fonts ("宋体", "华文楷体",
/// "Times New Roman") and registers appDir + "DFPhonetic.ttf" when it is there.
/// Returns false when the phonetic font file is missing or cannot be loaded.
bool InstallFonts(const QString& appDir);
