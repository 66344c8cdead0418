#include "core/ui/ListViewTools.h"

#include <QWidget>

namespace tvp {

QString getListViewIndentifier(const QWidget& listView)
{
    QString id;
    for (const QWidget* w = &listView; w; w = w->parentWidget()) {
        const QString name = w->objectName();
        if (!name.isEmpty() && !name.startsWith(QLatin1String("qt_")))
            id.prepend(name + u'.');
    }
    return id;
}

} // namespace tvp
