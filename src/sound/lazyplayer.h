#pragma once
#include "mediaplayer.h"

namespace sound {

class OutputVolume;

/// The program's media player before the sound engine is loaded: it keeps the file name and
/// makes the engine's player when a file is first opened or recorded (or at Load), then hands
/// every call to it. Without an engine, opening fails as a device that cannot start.
class LazyPlayer : public MediaPlayer {
    Q_OBJECT
public:
    explicit LazyPlayer(QObject* parent = nullptr, OutputVolume* volume = nullptr);
    ~LazyPlayer() override;

    /// The engine's player when the engine is already there, else a LazyPlayer.
    static MediaPlayer* Make(QObject* parent, OutputVolume* volume = nullptr);

    void SetFileName(const QString& fileName) override;
    QString FileName() const override { return fileName_; }
    void Open() override;
    void Play() override;
    void Stop() override;
    void Close() override;
    void Record() override;
    void Save() override;

    /// Makes the engine's player now, so that the first sound does not wait for it; false when
    /// the engine cannot be loaded.
    bool Load();
    /// The engine's player; null until it is made.
    MediaPlayer* Loaded() const { return real_; }

private:
    MediaPlayer& Real();

    OutputVolume* volume_;
    QString fileName_;
    MediaPlayer* real_ = nullptr;
};

} // namespace sound
