#include "qtvideoplayer.h"

#include <QMediaPlayer>
#include <QUrl>
#include <QVideoWidget>

namespace sound {

QtVideoPlayer::QtVideoPlayer(QWidget* viewParent, QObject* parent)
    : VideoPlayer(parent), view_(new QVideoWidget(viewParent)), player_(new QMediaPlayer(this)) {
    player_->setVideoOutput(view_);
    connect(player_, &QMediaPlayer::mediaStatusChanged, this,
            [this](QMediaPlayer::MediaStatus status) {
                if (status == QMediaPlayer::EndOfMedia || status == QMediaPlayer::InvalidMedia) {
                    emit Ended();
                }
            });
    connect(player_, &QMediaPlayer::errorOccurred, this, &VideoPlayer::Ended);
}

QtVideoPlayer::~QtVideoPlayer() {
    player_->stop();
}

QWidget* QtVideoPlayer::View() const {
    return view_;
}

void QtVideoPlayer::Play(const QString& file) {
    player_->setSource(QUrl::fromLocalFile(file));
    player_->play();
}

void QtVideoPlayer::Stop() {
    player_->stop();
}

bool QtVideoPlayer::Started() const {
    return player_->playbackState() == QMediaPlayer::PlayingState && player_->position() > 0;
}

} // namespace sound
