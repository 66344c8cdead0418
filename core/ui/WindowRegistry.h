#pragma once
// The program's windows: each area registers a factory per catalogue row it builds (and any service
// object the windows of other areas reach through an interface); start-up creates every row in
// catalogue order, a placeholder where no factory is registered. Windows are then found by their
// row or, for the interfaces of core/services, by type.
//
//   registry.registerWindow<TClubForm>(TWindowId::ClubForm);
//   ...
//   if (auto* timing = context.windows().find<ITimingImportForm>())
//       timing->UpdateItems();

#include "core/ui/WindowCatalogue.h"

#include <QPointer>
#include <QString>
#include <QWidget>

#include <array>
#include <functional>
#include <memory>
#include <typeindex>
#include <vector>

namespace tvp {

class TTVPForm;
class TWindowContext;

using TWindowFactory = std::function<std::unique_ptr<QWidget>(TWindowContext& context)>;

class TWindowRegistry {
public:
    TWindowRegistry();
    ~TWindowRegistry();
    TWindowRegistry(const TWindowRegistry&) = delete;
    TWindowRegistry& operator=(const TWindowRegistry&) = delete;

    // ---- registration, before start-up ----

    void registerWindow(TWindowId id, TWindowFactory factory);
    template <class Window>
    void registerWindow(TWindowId id)
    {
        registerWindow(id, [](TWindowContext& context) { return std::make_unique<Window>(context); });
    }
    bool isRegistered(TWindowId id) const;

    // An object other areas reach through the interface Service, when no window implements it.
    template <class Service>
    void registerService(std::unique_ptr<Service> service)
    {
        Service* raw = service.get();
        services_.push_back({std::type_index(typeid(Service)), raw, std::shared_ptr<void>(std::move(service))});
    }
    // The same, owned by the caller (tests).
    template <class Service>
    void registerService(Service* service)
    {
        services_.push_back({std::type_index(typeid(Service)), service, nullptr});
    }
    template <class Service>
    void unregisterService(const Service* service)
    {
        std::erase_if(services_, [&](const TService& s) { return s.object == service; });
    }

    // Forgets every factory and service (the windows created stay).
    void clearRegistrations();

    // ---- creation, at start-up ----

    // Creates the row's window (hidden, with its component name), or its placeholder.
    QWidget* create(TWindowId id, TWindowContext& context);
    // A window the caller owns in the row's place (tests).
    void place(TWindowId id, QWidget* window);
    // Destroys the windows created here, newest first, and forgets all.
    void destroyAll();

    // ---- lookup ----

    // Null for a row not created (yet).
    QWidget* widget(TWindowId id) const;
    TTVPForm* form(TWindowId id) const;
    template <class T>
    T* get(TWindowId id) const
    {
        return dynamic_cast<T*>(widget(id));
    }
    // The first window in creation order that is a T, else a registered service of type T.
    template <class T>
    T* find() const
    {
        for (QWidget* w : created())
            if (auto* t = dynamic_cast<T*>(w))
                return t;
        for (const TService& s : services_)
            if (s.type == std::type_index(typeid(T)))
                return static_cast<T*>(s.object);
        return nullptr;
    }
    // The window as a T when it is one of the windows here, else null.
    template <class T>
    T* registered(const QWidget* window) const
    {
        for (QWidget* w : created())
            if (w == window)
                return dynamic_cast<T*>(w);
        return nullptr;
    }
    // Every window there is, in creation order.
    std::vector<QWidget*> created() const;

    // For entries that open another window: the row's window as a T (get), or the window or
    // service behind T (find). While that window is not built, its row's placeholder is shown
    // instead and null comes back, so the entry never does nothing.
    template <class T>
    T* getOrPlaceholder(TWindowId id) const
    {
        if (T* t = get<T>(id))
            return t;
        show(id);
        return nullptr;
    }
    template <class T>
    T* findOrPlaceholder(TWindowId id) const
    {
        if (T* t = find<T>())
            return t;
        show(id);
        return nullptr;
    }

    // The base window's operations on a row; nothing happens for a row that is not there.
    bool isVisible(TWindowId id) const;
    void show(TWindowId id) const;
    void reload(TWindowId id, bool ask) const;
    void reloadIfVisible(TWindowId id) const;
    void unload(TWindowId id) const;
    // The window's Close: through its close handling, so a work window may ask about unsaved changes.
    void close(TWindowId id) const;

private:
    struct TService {
        std::type_index type;
        void* object;
        std::shared_ptr<void> owned;
    };

    std::array<TWindowFactory, kWindowCount> factories_;
    std::array<QPointer<QWidget>, kWindowCount> windows_;
    std::vector<TWindowId> creationOrder_;
    std::vector<std::unique_ptr<QWidget>> owned_;
    std::vector<TService> services_;
};

// Stands for a window whose part of the program is not built yet: the real window's class name,
// component name and caption, and nothing inside.
class TPlaceholderForm;

// The class name a window of the program stands for (placeholders included).
QString windowClassName(const QWidget* window);

} // namespace tvp
