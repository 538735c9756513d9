#pragma once
#include <functional>

class QObject;
namespace sound {
class MediaPlayer;
}

/// Makes a window's own hidden media player with the given parent: the real player in the
/// program, a scripted one in window tests. An empty factory means the real player.
using PlayerFactory = std::function<sound::MediaPlayer*(QObject* parent)>;

/// The player a factory makes, or the real player when the factory is empty (made when the
/// sound engine is first needed, should it not be loaded yet).
sound::MediaPlayer* MakePlayer(const PlayerFactory& factory, QObject* parent);
