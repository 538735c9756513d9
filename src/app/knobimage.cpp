#include "app/knobimage.h"

#include <QDrag>
#include <QDragEnterEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPointer>

const char* KnobImage::MimeType() {
    return "application/x-langjitong-knob";
}

void KnobImage::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QLabel::mousePressEvent(event);
        return;
    }
    QPointer<KnobImage> self(this);
    auto* drag = new QDrag(this);
    auto* mime = new QMimeData;
    mime->setData(MimeType(), objectName().toUtf8());
    drag->setMimeData(mime);
    if (!pixmap().isNull()) {
        drag->setPixmap(pixmap());
        drag->setHotSpot(event->position().toPoint());
    }
    drag->exec(Qt::MoveAction);
    if (self && onDragEnd) {
        onDragEnd();
    }
}

void KnobImage::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasFormat(MimeType())) {
        event->acceptProposedAction();
    }
}

void KnobImage::dragMoveEvent(QDragMoveEvent* event) {
    if (event->mimeData()->hasFormat(MimeType())) {
        event->acceptProposedAction();
    }
}

void KnobImage::dropEvent(QDropEvent* event) {
    if (!event->mimeData()->hasFormat(MimeType())) {
        return;
    }
    event->acceptProposedAction();
    if (onDrop) {
        onDrop(event->source(), static_cast<int>(event->position().x()));
    }
}
