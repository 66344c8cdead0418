#pragma once
// The program's windows by their component name, so that the main window and others reach the
// windows created at start-up, placeholders included, without knowing their classes.

#include <QPointer>
#include <QString>
#include <QWidget>

#include <vector>

namespace tvp {

class TTVPForm;

class TWindowRegistry {
public:
    void add(QWidget* window);
    void clear();

    QWidget* widget(const QString& objectName) const;
    // Null for a window that is not a work window (or not there).
    TTVPForm* form(const QString& objectName) const;
    bool isVisible(const QString& objectName) const;

    // The base window's operations, skipped for windows that are not there.
    void show(const QString& objectName) const;
    void reload(const QString& objectName, bool ask) const;
    void reloadIfVisible(const QString& objectName) const;
    void unload(const QString& objectName) const;

    std::vector<QWidget*> all() const;

private:
    std::vector<QPointer<QWidget>> windows_;
};

TWindowRegistry& programWindows();

} // namespace tvp
