#include "core/ui/WindowPositionManager.h"

#include "core/util/IniHandler.h"
#include "core/ui/TVPForm.h"
#include "core/ui/WindowContext.h"
#include "core/ui/WindowRegistry.h"

#include <QGuiApplication>
#include <QScreen>
#include <QStyle>

#include <algorithm>

namespace tvp {

namespace {

const QString kSection = QStringLiteral("WindowPositions");
constexpr int kDisciplineOffset = 30;

QString key(const TTVPForm* form, const char* suffix)
{
    return form->objectName() + QLatin1String(suffix);
}

// The title bar of a common laptop desktop (GNOME's is 37 px); the style's own guess is far lower.
constexpr int kDesktopTitleBar = 38;

// What the window system adds around a window: known once it was shown, else a border as a window
// within a window has it and a title bar as high as a desktop's.
QSize decoration(const TTVPForm& form)
{
    const QSize frame = form.frameGeometry().size() - form.size();
    if (frame.height() > 0)
        return frame;
    const QStyle& style = *form.style();
    const int border = style.pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, &form);
    return {2 * border,
            std::max(kDesktopTitleBar, style.pixelMetric(QStyle::PM_TitleBarHeight, nullptr, &form)) + border};
}

int keepWithin(int pos, int own, int screen)
{
    return std::max(0, std::min(pos, screen - own));
}

} // namespace

TRelatedWindows relatedWindows(const TWindowRegistry& registry)
{
    return {registry.form(TWindowId::DisciplinListForm0),
            registry.form(TWindowId::DisciplinListForm1),
            registry.form(TWindowId::ChooseCompetitionForm),
            {registry.form(TWindowId::HintForm), registry.form(TWindowId::ExceptionForm)}};
}

QPoint placeBeside(const QRect& keep, const QSize& own, const QSize& screen)
{
    const int midX = keepWithin(keep.center().x() - own.width() / 2, own.width(), screen.width());
    const int midY = keepWithin(keep.center().y() - own.height() / 2, own.height(), screen.height());
    const QPoint candidates[] = {
        {keepWithin(keep.right() + 1, own.width(), screen.width()), midY},
        {keepWithin(keep.left() - own.width(), own.width(), screen.width()), midY},
        {midX, keepWithin(keep.bottom() + 1, own.height(), screen.height())},
        {midX, keepWithin(keep.top() - own.height(), own.height(), screen.height())},
    };
    QPoint best = candidates[0];
    long long least = -1;
    for (const QPoint& at : candidates) {
        const QRect covered = QRect(at, own).intersected(keep);
        const long long area = covered.isEmpty() ? 0 : (long long)covered.width() * covered.height();
        if (least < 0 || area < least) {
            least = area;
            best = at;
        }
        if (area == 0)
            break;
    }
    return best;
}

QRect TPositionStoreAdapter::primaryScreenArea()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

TPositionStoreAdapter::TPositionStoreAdapter(const QList<TTVPForm*>& windows, int numberOfMainForms,
                                             TRelatedWindows related, QRect area)
    : area_(area),
      numberOfMainForms_(numberOfMainForms),
      firstDiscipline_(related.firstDiscipline),
      secondDiscipline_(related.secondDiscipline),
      chooser_(related.chooser)
{
    for (TTVPForm* form : related.besideChooser)
        besideChooser_.append(form);
    for (TTVPForm* form : windows)
        windows_.append(form);
    for (TTVPForm* form : windows)
        initWindowPosition(form);
}

void TPositionStoreAdapter::initWindowPosition(TTVPForm* form)
{
    const int posX = ReadIniInteger(kSection, key(form, ".PosX"), -1);
    const int posY = ReadIniInteger(kSection, key(form, ".PosY"), -1);
    const int width = ReadIniInteger(kSection, key(form, ".Width"), -1);
    const int height = ReadIniInteger(kSection, key(form, ".Height"), -1);
    const bool sizeable = form->hasSizeableBorder();

    // A window that was given no size opens at the size its layout asks for.
    if (!form->testAttribute(Qt::WA_Resized))
        form->resize(form->sizeHint().expandedTo(form->minimumSize()));
    if (sizeable) {
        const QSize wanted(width > 0 ? width : form->width(), height > 0 ? height : form->height());
        // Larger than the free area, title bar included: as large as fits, never below what its
        // layout needs.
        form->resize(wanted.boundedTo(area_.size() - decoration(*form)).expandedTo(form->minimumSize()));
    }
    form->setGrowsWithLists(sizeable && width <= 0);
    const QSize outer = form->size() + decoration(*form);

    const bool isMain = !windows_.isEmpty() && windows_.first() == form;
    const TTVPForm* firstDiscipline = form == secondDiscipline_ ? firstDiscipline_.data() : nullptr;
    const auto place = [&](int stored, int start, int extent, int own, int firstDisciplinePos) {
        if (stored >= 0)
            return stored;
        if (isMain)
            return start;
        if (firstDiscipline)
            return firstDisciplinePos + kDisciplineOffset;
        return start + extent / 2 - own / 2;
    };
    int left = place(posX, area_.left(), area_.width(), form->width(), firstDiscipline ? firstDiscipline->x() : 0);
    int top = place(posY, area_.top(), area_.height(), form->height(), firstDiscipline ? firstDiscipline->y() : 0);

    // A place partly off the free area (a screen since unplugged, a smaller one, under a panel)
    // puts that coordinate to the area's edge.
    if (left < area_.left() || left + outer.width() > area_.left() + area_.width())
        left = area_.left();
    if (top < area_.top() || top + outer.height() > area_.top() + area_.height())
        top = area_.top();
    if (posX < 0 && posY < 0 && chooser_ && chooser_ != form && besideChooser_.contains(form)) {
        const QPoint at = placeBeside(chooser_->frameGeometry().translated(-area_.topLeft()), outer, area_.size());
        left = area_.left() + at.x();
        top = area_.top() + at.y();
    }
    form->move(left, top);
}

QRect TPositionStoreAdapter::keptWithinArea(QRect frame, QSize decoration, QSize minimum, bool sizeable) const
{
    if (area_.isEmpty() || area_.contains(frame))
        return frame;
    if (sizeable && (frame.width() > area_.width() || frame.height() > area_.height()))
        frame.setSize((frame.size() - decoration).boundedTo(area_.size() - decoration).expandedTo(minimum) +
                      decoration);
    const int left = std::max(area_.left(), std::min(frame.left(), area_.left() + area_.width() - frame.width()));
    const int top = std::max(area_.top(), std::min(frame.top(), area_.top() + area_.height() - frame.height()));
    frame.moveTopLeft({left, top});
    return frame;
}

void TPositionStoreAdapter::storeWindowPosition(TTVPForm* form)
{
    // Where the program asked the window system to put it, until that confirmed it.
    const QRect resting = form->restingGeometry();
    WriteIniInteger(kSection, key(form, ".PosX"), resting.x());
    WriteIniInteger(kSection, key(form, ".PosY"), resting.y());
    if (form->hasSizeableBorder()) {
        // -1 as never stored: the window keeps growing for its lists in later starts.
        const bool own = form->keepsOpeningSize();
        WriteIniInteger(kSection, key(form, ".Width"), own ? -1 : resting.width());
        WriteIniInteger(kSection, key(form, ".Height"), own ? -1 : resting.height());
    }
}

void TPositionStoreAdapter::storeAllWindows()
{
    for (const QPointer<TTVPForm>& form : windows_)
        if (form)
            storeWindowPosition(form);
}

void TPositionStoreAdapter::closeAllNonMainWindows()
{
    // A copy: closing one window may destroy others, and the QPointers then read null.
    const QList<QPointer<TTVPForm>> windows = windows_;
    for (qsizetype i = numberOfMainForms_; i < windows.size(); ++i) {
        if (const QPointer<TTVPForm>& form = windows[i]) {
            form->clearAllDirtyData();
            form->close();
        }
    }
}

bool TPositionStoreAdapter::checkAllDirtyData(const QString& question)
{
    const QList<QPointer<TTVPForm>> windows = windows_;
    for (qsizetype i = numberOfMainForms_; i < windows.size(); ++i) {
        const QPointer<TTVPForm> form = windows[i];
        if (!form)
            continue;
        for (const QString& part : form->getDirtyDataParts()) {
            if (form->checkDirtyDataMessage({}, part, question))
                return true;
            // The question's event loop or the window's unload may have destroyed it.
            if (form && form->hasDirtyData(part)) {
                form->unloadData();
                if (form)
                    form->close();
            }
            if (!form)
                break;
        }
    }
    return false;
}

TPositionStoreAdapter* posStoreAdapter()
{
    return programContext().positionStore();
}

void setPosStoreAdapter(std::unique_ptr<TPositionStoreAdapter> adapter)
{
    programContext().setPositionStore(std::move(adapter));
}

} // namespace tvp
