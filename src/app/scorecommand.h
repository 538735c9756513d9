#pragma once
#include <QString>

class QTextStream;

/// "--score WORD RECORDING.wav": scores the recording sound by sound against word and prints
/// one JSON object to out ({"word", "score", "verdict", "sounds": [{"symbol", "phone", "score",
/// "heardAs"}], "hint"}). A file that cannot be read or is no wave file, a recording without
/// speech and a missing model get their message on err. Returns 0 scored, 1 failed, 2 a word
/// that has no sounds to score.
int RunScoreCommand(const QString& word, const QString& recording, QTextStream& out,
                    QTextStream& err);
