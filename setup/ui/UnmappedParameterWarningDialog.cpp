#include "setup/ui/UnmappedParameterWarningDialog.h"

#include "core/connection/SlotGuard.h"
#include "core/services/CompetitionSetupServices.h"
#include "core/services/OrganisationServices.h"
#include "core/ui/WindowContext.h"
#include "core/ui/WindowFit.h"
#include "core/ui/WindowRegistry.h"

#include <QHeaderView>
#include <QLocale>
#include <QPushButton>
#include <QTextEdit>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>

namespace tvp {

namespace {

const QString kFirstCaption = QStringLiteral("Wizard beenden und Veranstaltungsparameter öffnen");
const QString kLaterCaption = QStringLiteral("Veranstaltungsparameter öffnen");

} // namespace

TUnmappedParameterWarningForm::TUnmappedParameterWarningForm(TWindowContext& context)
    : TTVPForm(context),
      parameters_({
          {QStringLiteral("Vorlage"), [](const TReplacedParameter& p) { return p.TemplateName; }},
          {QStringLiteral("Veranstaltungsparameter"), [](const TReplacedParameter& p) { return p.ParamName; }},
          {QStringLiteral("Aktueller Wert"),
           [](const TReplacedParameter& p) { return QLocale().toString(p.ParamValue, 'f', 0); }},
      }),
      sorted_(QStringLiteral("UnmappedParameterWarningForm.ListView1."))
{
    setWindowTitle(QStringLiteral("Warnung: Einige Veranstaltungsparameter konnten nicht zugeordnet werden"));
    resize(620, 360);
    auto* layout = new QVBoxLayout(this);
    Memo1 = new QTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setReadOnly(true);
    Memo1->setFrameStyle(QFrame::NoFrame);
    Memo1->setPlainText(
        QStringLiteral("Untenstehende Veranstaltungsparameter aus den gewählten Vorlagen konnten nicht zugeordnet "
                       "werden.\n"
                       "Vermutlich wurden Disziplinen oder Auswertungen gewählt, die nicht vom Veranstaltungstyp "
                       "vorgesehen wurden.\n"
                       "\n"
                       "Bitte prüfen Sie die untenstehenden automatisch angelegten Werte und korrigieren Sie sie "
                       "ggf. anschließend im \n"
                       "Disziplinfenster (Menü \"Veranstaltungsparameter\")."));
    Memo1->setMaximumHeight(110);
    layout->addWidget(Memo1);
    ListView1 = new QTreeView(this);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setRootIsDecorated(false);
    ListView1->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView1->header()->setSectionsClickable(true);
    layout->addWidget(ListView1, 1);
    Button1 = new QPushButton(kFirstCaption, this);
    Button1->setObjectName(QStringLiteral("Button1"));
    layout->addWidget(Button1, 0, Qt::AlignRight);

    ShowTimer = new QTimer(this);
    ShowTimer->setObjectName(QStringLiteral("ShowTimer"));
    ShowTimer->setInterval(200);
    WindowShowTimer = new QTimer(this);
    WindowShowTimer->setObjectName(QStringLiteral("WindowShowTimer"));
    WindowShowTimer->setInterval(150);

    sorted_.setSourceModel(&parameters_);
    ListView1->setModel(&sorted_);
    sorted_.initListView();
    fitColumnToTexts(*ListView1, 0, {});
    fitColumnToTexts(*ListView1, 1, {});
    keepColumnsWhole(*ListView1);
    connect(ListView1->header(), &QHeaderView::sectionClicked, this,
            [this](int column) { guarded([&] { sorted_.SortListView(column, true); }); });
    connect(Button1, &QPushButton::clicked, this, [this] { guarded([this] { Button1Click(); }); });
    connect(ShowTimer, &QTimer::timeout, this, [this] { guarded([this] { ShowTimerTimer(); }); });
    connect(WindowShowTimer, &QTimer::timeout, this, [this] { guarded([this] { WindowShowTimerTimer(); }); });
    fitToTexts(*this);
}

void TUnmappedParameterWarningForm::showUnmappedParameterWarningFormAsync(
    const std::vector<TReplacedParameter>& list, std::function<void(QObject* sender)> closeAction)
{
    hide();
    Button1->setText(kFirstCaption);
    closeAction_ = std::move(closeAction);
    parameters_.setRecords(list);
    reshowForm();
}

void TUnmappedParameterWarningForm::reshowForm()
{
    ShowTimer->start();
}

void TUnmappedParameterWarningForm::ShowTimerTimer()
{
    ShowTimer->stop();
    show();
    ListView1->header()->resizeSections(QHeaderView::ResizeToContents);
    ListView1->header()->resizeSection(2, 100);
}

void TUnmappedParameterWarningForm::Button1Click()
{
    hide();
    TWindowRegistry& windows = context().windows();
    for (TWindowId id : {TWindowId::GlobalParameterForm, TWindowId::DisciplinListForm0, TWindowId::DisciplinListForm1})
        if (QWidget* w = windows.widget(id))
            w->hide();
    // Taken out before the call: completing the wizard may show this window anew.
    if (auto action = std::exchange(closeAction_, nullptr)) {
        Button1->setText(kLaterCaption);
        action(Button1);
    }
    WindowShowTimer->start();
}

void TUnmappedParameterWarningForm::WindowShowTimerTimer()
{
    WindowShowTimer->stop();
    TWindowRegistry& windows = context().windows();
    if (auto* disciplines = windows.findOrPlaceholder<IDisciplineWindows>(TWindowId::DisciplinListForm0))
        disciplines->ShowDisciplinForm(this, 0, 0);
    if (auto* parameters = windows.getOrPlaceholder<IGlobalParameterForm>(TWindowId::GlobalParameterForm))
        parameters->showGlobalParameterForm(0);
    reshowForm();
}

void TUnmappedParameterWarningForm::resizeEvent(QResizeEvent* event)
{
    TTVPForm::resizeEvent(event);
    if (ListView1->model() && ListView1->model()->rowCount() > 0)
        ListView1->header()->resizeSections(QHeaderView::ResizeToContents);
}

} // namespace tvp
