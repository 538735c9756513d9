#pragma once
#include <QLabel>
#include <functional>

/// A picture of the volume control. Pressing it starts a drag of itself; every knob image
/// accepts drags over it; a drop is passed on to onDrop with the drag's source image and the
/// drop point's horizontal offset in this image; when a drag this image started ends,
/// dropped or not, onDragEnd runs.
class KnobImage : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;

    /// The mime type that marks a drag of a knob image.
    static const char* MimeType();

    std::function<void(QObject* source, int x)> onDrop;
    std::function<void()> onDragEnd;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
};
