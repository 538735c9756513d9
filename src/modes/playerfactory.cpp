#include "playerfactory.h"

#include "sound/qtmediaplayer.h"

sound::MediaPlayer* MakePlayer(const PlayerFactory& factory, QObject* parent) {
    if (factory) {
        return factory(parent);
    }
    return new sound::QtMediaPlayer(parent);
}
