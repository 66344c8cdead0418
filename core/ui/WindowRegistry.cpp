#include "core/ui/WindowRegistry.h"

#include "core/ui/TVPForm.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>

namespace tvp {

class TPlaceholderForm : public TTVPForm {
public:
    TPlaceholderForm(TWindowContext& context, const char* className, const QString& caption)
        : TTVPForm(context), className_(className)
    {
        setWindowTitle(caption);
        auto* note = new QLabel(QStringLiteral("Dieses Fenster folgt in einer späteren Version."), this);
        note->setObjectName(QStringLiteral("PlaceholderLabel"));
        note->setAlignment(Qt::AlignCenter);
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(note);
        resize(480, 320);
    }
    QString className() const { return className_; }

protected:
    void reloadData() override {}
    void showEvent(QShowEvent* event) override
    {
        // A window the position store does not keep (created after it, or a dialog's row) is
        // centred as the store centres a window it has no place for.
        if (!testAttribute(Qt::WA_Moved))
            if (const QScreen* screen = QGuiApplication::primaryScreen())
                move(screen->availableGeometry().center() - rect().center());
        TTVPForm::showEvent(event);
    }

private:
    QString className_;
};

QString windowClassName(const QWidget* window)
{
    if (auto* placeholder = dynamic_cast<const TPlaceholderForm*>(window))
        return placeholder->className();
    return QString::fromLatin1(window->metaObject()->className()).section(QStringLiteral("::"), -1);
}

namespace {

std::size_t slot(TWindowId id)
{
    return static_cast<std::size_t>(id);
}

} // namespace

TWindowRegistry::TWindowRegistry() = default;

TWindowRegistry::~TWindowRegistry()
{
    destroyAll();
}

void TWindowRegistry::registerWindow(TWindowId id, TWindowFactory factory)
{
    factories_[slot(id)] = std::move(factory);
}

bool TWindowRegistry::isRegistered(TWindowId id) const
{
    return static_cast<bool>(factories_[slot(id)]);
}

void TWindowRegistry::clearRegistrations()
{
    factories_ = {};
    services_.clear();
}

QWidget* TWindowRegistry::create(TWindowId id, TWindowContext& context)
{
    const TWindowRow& row = windowRow(id);
    const TWindowFactory& factory = factories_[slot(id)];
    std::unique_ptr<QWidget> window =
        factory ? factory(context)
                : std::make_unique<TPlaceholderForm>(context, row.className, QString::fromUtf8(row.caption));
    window->setObjectName(QString::fromLatin1(row.objectName));
    window->hide();
    QWidget* raw = window.get();
    owned_.push_back(std::move(window));
    place(id, raw);
    return raw;
}

void TWindowRegistry::place(TWindowId id, QWidget* window)
{
    windows_[slot(id)] = window;
    std::erase(creationOrder_, id);
    creationOrder_.push_back(id);
}

void TWindowRegistry::destroyAll()
{
    // Forgotten first: a window's destruction must not find itself or the ones gone before.
    windows_ = {};
    creationOrder_.clear();
    while (!owned_.empty())
        owned_.pop_back();
}

QWidget* TWindowRegistry::widget(TWindowId id) const
{
    return windows_[slot(id)];
}

TTVPForm* TWindowRegistry::form(TWindowId id) const
{
    return qobject_cast<TTVPForm*>(widget(id));
}

std::vector<QWidget*> TWindowRegistry::created() const
{
    std::vector<QWidget*> out;
    out.reserve(creationOrder_.size());
    for (TWindowId id : creationOrder_)
        if (QWidget* w = widget(id))
            out.push_back(w);
    return out;
}

bool TWindowRegistry::isVisible(TWindowId id) const
{
    const QWidget* w = widget(id);
    return w && w->isVisible();
}

void TWindowRegistry::show(TWindowId id) const
{
    if (TTVPForm* f = form(id))
        f->show();
    else if (QWidget* w = widget(id))
        w->show();
}

void TWindowRegistry::reload(TWindowId id, bool ask) const
{
    if (TTVPForm* f = form(id))
        f->reloadFormData(ask);
}

void TWindowRegistry::reloadIfVisible(TWindowId id) const
{
    if (isVisible(id))
        reload(id, true);
}

void TWindowRegistry::unload(TWindowId id) const
{
    if (TTVPForm* f = form(id))
        f->unloadData();
}

void TWindowRegistry::close(TWindowId id) const
{
    if (QWidget* w = widget(id))
        w->close();
}

} // namespace tvp
