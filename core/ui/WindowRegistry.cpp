#include "core/ui/WindowRegistry.h"

#include "core/ui/TVPForm.h"

namespace tvp {

void TWindowRegistry::add(QWidget* window)
{
    windows_.emplace_back(window);
}

void TWindowRegistry::clear()
{
    windows_.clear();
}

QWidget* TWindowRegistry::widget(const QString& objectName) const
{
    for (const auto& w : windows_)
        if (w && w->objectName() == objectName)
            return w;
    return nullptr;
}

TTVPForm* TWindowRegistry::form(const QString& objectName) const
{
    return qobject_cast<TTVPForm*>(widget(objectName));
}

bool TWindowRegistry::isVisible(const QString& objectName) const
{
    QWidget* w = widget(objectName);
    return w && w->isVisible();
}

void TWindowRegistry::show(const QString& objectName) const
{
    if (TTVPForm* f = form(objectName))
        f->show();
    else if (QWidget* w = widget(objectName))
        w->show();
}

void TWindowRegistry::reload(const QString& objectName, bool ask) const
{
    if (TTVPForm* f = form(objectName))
        f->reloadFormData(ask);
}

void TWindowRegistry::reloadIfVisible(const QString& objectName) const
{
    if (isVisible(objectName))
        reload(objectName, true);
}

void TWindowRegistry::unload(const QString& objectName) const
{
    if (TTVPForm* f = form(objectName))
        f->unload();
}

std::vector<QWidget*> TWindowRegistry::all() const
{
    std::vector<QWidget*> out;
    for (const auto& w : windows_)
        if (w)
            out.push_back(w);
    return out;
}

TWindowRegistry& programWindows()
{
    static TWindowRegistry registry;
    return registry;
}

} // namespace tvp
