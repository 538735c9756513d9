#pragma once
#include "videoplayer.h"

class QMediaPlayer;
class QVideoWidget;

namespace sound {

/// The real video player: QMediaPlayer showing its picture in a QVideoWidget.
class QtVideoPlayer : public VideoPlayer {
    Q_OBJECT
public:
    QtVideoPlayer(QWidget* viewParent, QObject* parent = nullptr);
    ~QtVideoPlayer() override;

    QWidget* View() const override;
    void Play(const QString& file) override;
    void Stop() override;
    bool Started() const override;

private:
    QVideoWidget* view_;
    QMediaPlayer* player_;
};

} // namespace sound
