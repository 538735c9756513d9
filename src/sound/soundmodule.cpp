// The entry of the sound module, which the program opens when it first needs sound.
#include "qtengine.h"

extern "C" __attribute__((visibility("default"))) sound::Engine* ljt_sound_engine() {
    return &sound::QtEngine::Instance();
}
