#pragma once
// The program's start-up: one instance check, every window created once and hidden, positions
// restored, terms consent, the competition choice, then the main window.

#include <QString>
#include <QWidget>

#include <memory>
#include <vector>

namespace tvp {

class TInstanceRegistry;
class TMainForm;
class TNewCompetitionForm;
class TMainWindowServices;

// Stands for a window whose part of the program is not built yet: it has the real window's
// class name, component name and caption, and nothing inside.
class TPlaceholderForm;

// The class name a window of the program stands for (placeholders included).
QString windowClassName(const QWidget* window);

class TProgram {
public:
    TProgram();
    ~TProgram();
    TProgram(const TProgram&) = delete;
    TProgram& operator=(const TProgram&) = delete;

    // Runs the start-up up to the shown main window. False when the program is to end now
    // (another instance and the user said "Nein", terms refused, no competition chosen).
    bool start();
    // The message loop, until the main window has closed.
    int exec();

    TMainForm* mainForm() const { return mainForm_; }
    // Every window in creation order.
    const std::vector<QWidget*>& windows() const { return order_; }

private:
    QWidget* create(const char* className, const char* objectName, const char* caption);
    void wire();

    std::unique_ptr<TInstanceRegistry> instances_;
    std::vector<std::unique_ptr<QWidget>> owned_;
    std::vector<QWidget*> order_;
    TMainForm* mainForm_ = nullptr;
    std::unique_ptr<TNewCompetitionForm> newCompetition_;
    std::unique_ptr<TMainWindowServices> services_;
    std::unique_ptr<QObject> keyHook_;
};

} // namespace tvp
