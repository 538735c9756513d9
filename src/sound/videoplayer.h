#pragma once
#include <QObject>
#include <QString>

class QWidget;

namespace sound {

/// A video player with a view of its own: the sign-in window's welcome video.
class VideoPlayer : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~VideoPlayer() override = default;

    /// The view that shows the picture; a child of the widget the player was made for.
    virtual QWidget* View() const = 0;
    /// Opens file and starts playing it; returns at once.
    virtual void Play(const QString& file) = 0;
    /// Stops the play.
    virtual void Stop() = 0;
    /// True once the play is under way: playing and past its first moment.
    virtual bool Started() const = 0;

signals:
    /// The video has ended, or it cannot be played.
    void Ended();
};

} // namespace sound
