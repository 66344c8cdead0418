#pragma once
// What a drag between windows carries.

#include <QMimeData>
#include <QString>

namespace tvp {

// Drags between windows carry ids only: the target asks the source window for its selection. The
// drag names its source by the window's component name ("TeamForm"), or the window and list where
// a window has a second list others must not take for its first ("SquadForm/ListView2").
inline const QString kWindowDragMime = QStringLiteral("application/x-trivanta-window");
inline QMimeData* windowDragData(const QString& sourceWindow)
{
    auto* data = new QMimeData;
    data->setData(kWindowDragMime, sourceWindow.toUtf8());
    return data;
}
// The source a drag names; empty when it names none.
inline QString windowDragSource(const QMimeData* data)
{
    return data && data->hasFormat(kWindowDragMime) ? QString::fromUtf8(data->data(kWindowDragMime)) : QString();
}

} // namespace tvp
