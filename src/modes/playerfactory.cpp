#include "playerfactory.h"

#include "sound/lazyplayer.h"

sound::MediaPlayer* MakePlayer(const PlayerFactory& factory, QObject* parent) {
    if (factory) {
        return factory(parent);
    }
    return sound::LazyPlayer::Make(parent);
}
