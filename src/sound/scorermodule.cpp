// The scorer module (scorer.so): PocketSphinx behind plain functions, opened by LazyScorer.
#include "sound/scorerfunctions.h"

extern "C" __attribute__((visibility("default"))) const sound::ScorerFunctions*
ljt_scorer_functions() {
    return &sound::LinkedScorerFunctions();
}
