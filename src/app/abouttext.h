#pragma once
#include <QString>

/// The text of "帮助": the version, the licences of the program and of what it installs
/// (word data, voices, typefaces), where the data and the learner's files live, and the keys.
QString AboutText(const QString& dataDir, const QString& learnerDir);
