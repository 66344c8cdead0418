#include "setup/ui/LoadDiscTemplateDialog.h"

#include "core/connection/CurrentCompetition.h"
#include "core/connection/SlotGuard.h"
#include "core/services/OrganisationServices.h"
#include "core/services/ParticipantForms.h"
#include "core/ui/Dialogs.h"
#include "core/ui/ExceptionDialog.h"
#include "core/ui/ListViewHelpers.h"
#include "core/ui/WindowContext.h"
#include "core/ui/WindowRegistry.h"
#include "setup/ui/TemplateWindowParts.h"

#include <QComboBox>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QSpinBox>
#include <QTreeView>
#include <QVBoxLayout>

namespace tvp {

namespace {

const QString kCaption = QStringLiteral("Disziplinvorlage importieren");
const QString kLoadWait = QStringLiteral("Lade Disziplinvorlage");
const QString kImportWait = QStringLiteral("Importiere Disziplinvorlage");
const QString kFilter = QStringLiteral("Disziplinvorlagen (*.qdt)");
const QString kNoAgeClass = QStringLiteral("Keine Zuordnung");

} // namespace

TLoadDiscTemplateForm::TLoadDiscTemplateForm(TWindowContext& context)
    : TLoadTemplateForm(context, kCaption),
      road_(context, discImportRequests(), this,
            [this](std::unique_ptr<TDiscImportResponse> r, const TRequestOutcome& o) {
                guarded([&] { RequestFinished(std::move(r), o); });
            })
{
    auto* outer = new QVBoxLayout(this);

    QFormLayout* form = makeFileRow();
    DiscNameEdit = new QLineEdit(this);
    DiscNameEdit->setObjectName(QStringLiteral("DiscNameEdit"));
    form->addRow(QStringLiteral("Disziplinname:"), DiscNameEdit);
    outer->addLayout(form);

    makeParamGroup(outer);

    QVBoxLayout* refs = makeReferenceGroup(outer, QStringLiteral("Referenzen zu Gesamtwertungen"));
    refs->addWidget(new QLabel(QStringLiteral("Sie können hier die Disziplinvorlage direkt mit bestehenden "
                                              "Gesamtwertungen verbinden "),
                               ReferenceGroupBox));
    refs->addWidget(new QLabel(QStringLiteral("(Drag & Drop aus Disziplinfenster)"), ReferenceGroupBox));
    ReferenceListView = new QTreeView(ReferenceGroupBox);
    ReferenceListView->setObjectName(QStringLiteral("ReferenceListView"));
    ReferenceListView->setRootIsDecorated(false);
    acceptNodeDrops(ReferenceListView);
    refs->addWidget(ReferenceListView);

    PresetGroupBox = new QGroupBox(QStringLiteral("Vorgaben für Auto-Wettkampflisteneinteilung"), this);
    PresetGroupBox->setObjectName(QStringLiteral("PresetGroupBox"));
    auto* preset = new QFormLayout(PresetGroupBox);
    auto* ageRow = new QHBoxLayout;
    AgeClassComboBox = new QComboBox(PresetGroupBox);
    AgeClassComboBox->setObjectName(QStringLiteral("AgeClassComboBox"));
    AgeClassButton = new QPushButton(QStringLiteral("..."), PresetGroupBox);
    AgeClassButton->setObjectName(QStringLiteral("AgeClassButton"));
    ageRow->addWidget(AgeClassComboBox, 1);
    ageRow->addWidget(AgeClassButton);
    preset->addRow(QStringLiteral("Altersklasse:"), ageRow);
    PresetComboBox = new QComboBox(PresetGroupBox);
    PresetComboBox->setObjectName(QStringLiteral("PresetComboBox"));
    // In the order of SquadAssignmentType.
    PresetComboBox->addItems({QStringLiteral("Teammitglieder gleichmäßig verteilen"),
                              QStringLiteral("Nach Teams gruppieren"), QStringLiteral("Beliebige Einteilung"),
                              QStringLiteral("Alle Riegen in einen Lauf")});
    preset->addRow(QStringLiteral("Voreinstellung:"), PresetComboBox);
    MaxPerHeatUpDown = new QSpinBox(PresetGroupBox);
    MaxPerHeatUpDown->setObjectName(QStringLiteral("MaxPerHeatUpDown"));
    MaxPerHeatUpDown->setRange(0, 30);
    MaxPerHeatUpDown->setSpecialValueText(QStringLiteral("unbegrenzt"));
    preset->addRow(QStringLiteral("Max. Teiln. pro Lauf/Gruppe:"), MaxPerHeatUpDown);
    outer->addWidget(PresetGroupBox);

    makeButtons(outer);
    makeParamMapping(ReferenceListView);

    ReferencePopupMenu = new QMenu(this);
    ReferencePopupMenu->setObjectName(QStringLiteral("ReferencePopupMenu"));
    AlleReferenzenentfernen1 = ReferencePopupMenu->addAction(QStringLiteral("Alle Referenzen entfernen"));
    AlleReferenzenentfernen1->setObjectName(QStringLiteral("AlleReferenzenentfernen1"));
    attachContextMenu(ReferenceListView, ReferencePopupMenu, [] {});

    connect(AgeClassButton, &QPushButton::clicked, this, [this] { guarded([this] { AgeClassButtonClick(); }); });
    connect(AgeClassComboBox, &QComboBox::currentIndexChanged, this, [this] {
        if (!filling_)
            guarded([this] { AgeClassComboBoxChange(); });
    });
    connect(PresetComboBox, &QComboBox::currentIndexChanged, this,
            [this] { PresetComboBox->setToolTip(PresetComboBox->currentText()); });
    connect(AlleReferenzenentfernen1, &QAction::triggered, this,
            [this] { guarded([this] { AlleReferenzenentfernen1Click(); }); });
}

TLoadDiscTemplateForm::~TLoadDiscTemplateForm() = default;

bool TLoadDiscTemplateForm::ShowTemplateLoadDialog(ITemplateDiscWindow& window)
{
    if (!openTemplate(window, kFilter, kLoadWait, [this] { reloadAgeClass(); }))
        return false;
    currentAgeClassId = 0;
    if (AgeClassComboBox->count() == 0) {
        filling_ = true;
        AgeClassComboBox->addItem(kNoAgeClass, 0);
        AgeClassComboBox->setCurrentIndex(0);
        AgeClassComboBox->setEnabled(false);
        filling_ = false;
    }
    show();
    return true;
}

void TLoadDiscTemplateForm::reloadAgeClass()
{
    auto request = std::make_unique<TDiscImportRequest>();
    request->reqType = TImportRequestType::rt_load;
    road_.AddRequest(std::move(request), TTransactionMode::tm_None);
}

bool TLoadDiscTemplateForm::ImportTemplate(const QString& fileName)
{
    FdisciplinTemplate.reset();
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        showError(QStringLiteral("Ungültiges Format der Disziplinvorlage: ") + file.errorString());
        return false;
    }
    TTemplateRead<TDisciplineTemplate> read = LoadDiscFromStream(file.readAll());
    if (!read.error.isEmpty())
        showError(read.error);
    if (read.fatal || !read.templ.DisciplinInfo)
        return false;
    FdisciplinTemplate = std::make_unique<TDisciplineTemplate>(std::move(read.templ));
    const proto::DisciplinInfoType& info = *FdisciplinTemplate->DisciplinInfo;
    DiscNameEdit->setText(info.Name);
    PresetComboBox->setCurrentIndex(int(info.SquadAssignment));
    MaxPerHeatUpDown->setValue(info.maxParticipantsPerHeat);
    if (!FdisciplinTemplate->params) {
        showError(
            QStringLiteral("Ungültiges Format der Disziplinvorlage: \"GlobalParameters\"-Sektion nicht gefunden."));
        FdisciplinTemplate.reset();
        return false;
    }
    paramUIMapper->loadParams(FdisciplinTemplate->params->Parameters);
    paramUIMapper->loadReferences(FdisciplinTemplate->aggRoot.get());
    autoMapReferences();
    return true;
}

void TLoadDiscTemplateForm::autoMapReferences()
{
    TParameterMappingRows& rows = paramUIMapper->rows();
    for (std::size_t i = 0; i < rows.references().size(); ++i) {
        const TParameterMappingRows::ReferenceRow& row = rows.references()[i];
        if (!callingDiscWindow)
            break;
        std::unique_ptr<TAggDragObject> found = callingDiscWindow->getImportReference(row.caption, currentAgeClassId);
        if (row.link.TargetId != 0 && !found && currentAgeClassId != 0) {
            // Assigned while the age class fitted; the window's discipline now belongs to another one.
            std::unique_ptr<TAggDragObject> any = callingDiscWindow->getImportReference(row.caption, 0);
            if (any && any->Id == row.link.TargetId)
                rows.clearReference(int(i));
        } else if (found && found->aggType != TAggregatorType::ag_Unknown) {
            rows.assignReference(int(i), found->Id, found->name);
        }
    }
    paramUIMapper->renderReferences();
}

bool TLoadDiscTemplateForm::ReferenceDrop(int row, const TAggDragObject& dragged)
{
    if (dragged.Id == 0 || dragged.aggType == TAggregatorType::ag_Unknown || row < 0 ||
        row >= int(paramUIMapper->rows().references().size()))
        return false;
    paramUIMapper->rows().assignReference(row, dragged.Id, dragged.name);
    paramUIMapper->renderReferences();
    return true;
}

bool TLoadDiscTemplateForm::eventFilter(QObject* watched, QEvent* event)
{
    const auto rowAt = [this](const QPoint& pos) {
        const QModelIndex at = ReferenceListView->indexAt(pos);
        return at.isValid() ? at.row() : -1;
    };
    if (watched == ReferenceListView->viewport() &&
        filterNodeDrag(
            event, true, [&](const QPoint& pos) { return rowAt(pos) >= 0; },
            [&](const QPoint& pos) { return ReferenceDrop(rowAt(pos), aggDragObject()); }))
        return true;
    return TLoadTemplateForm::eventFilter(watched, event);
}

void TLoadDiscTemplateForm::AlleReferenzenentfernen1Click()
{
    for (std::size_t i = 0; i < paramUIMapper->rows().references().size(); ++i)
        paramUIMapper->rows().clearReference(int(i));
    paramUIMapper->renderReferences();
}

void TLoadDiscTemplateForm::AgeClassComboBoxChange()
{
    currentAgeClassId = AgeClassComboBox->currentData().toInt();
    autoMapReferences();
}

void TLoadDiscTemplateForm::AgeClassButtonClick()
{
    TTVPForm* ageClasses = context().windows().form(TWindowId::AgeClassForm);
    if (!ageClasses)
        return;
    ageClasses->hide();
    context().dialogs().execModal(*ageClasses);
    if (auto* chosen = context().windows().get<IAgeClassForm>(TWindowId::AgeClassForm)) {
        filling_ = true;
        selectComboIntegerFilter(*AgeClassComboBox, chosen->getSelected(), 0);
        filling_ = false;
        AgeClassComboBoxChange();
    }
}

void TLoadDiscTemplateForm::fillAgeClasses(const std::vector<proto::AgeClassType>& ageClasses)
{
    filling_ = true;
    AgeClassComboBox->clear();
    AgeClassComboBox->addItem(kNoAgeClass, 0);
    for (const proto::AgeClassType& a : ageClasses)
        AgeClassComboBox->addItem(a.Name, a.AgeClassID);
    AgeClassComboBox->setEnabled(true);
    selectComboIntegerFilter(*AgeClassComboBox, currentAgeClassId, 0);
    filling_ = false;
    // A chosen age class that is gone falls back to none, and the references are mapped again.
    resetCurIdIfDeleted(*AgeClassComboBox, currentAgeClassId, 0);
    if (AgeClassComboBox->currentData().toInt() != currentAgeClassId)
        AgeClassComboBoxChange();
}

void TLoadDiscTemplateForm::ImportButtonClick()
{
    if (!FdisciplinTemplate)
        return;
    const std::vector<TParameterMappingRows::ReferenceRow>& refs = paramUIMapper->rows().references();
    const bool anyAssigned = std::any_of(refs.begin(), refs.end(), [](const auto& r) { return r.link.TargetId != 0; });
    if (!refs.empty() && !anyAssigned &&
        !askYesNo(this, kCaption,
                  QStringLiteral("Disziplin wurde mit keiner Gesamtwertung verknüpft.\r\nDies sollte später noch beim "
                                 "Importieren einer Gesamtwertung oder manuell in Disziplinfenster erfolgen. "
                                 "Fortfahren?")))
        return;
    std::vector<proto::GlobalParametersInfoType> newParams;
    paramUIMapper->rows().AddNewGlobalParameters(newParams);
    std::unique_ptr<TDiscImportRequest> request =
        discImportRequest(*FdisciplinTemplate, paramUIMapper->rows(), newParams, DiscNameEdit->text(),
                          currentAgeClassId, proto::SquadAssignmentType(PresetComboBox->currentIndex()),
                          MaxPerHeatUpDown->value(), context().competition().getCompetitionId(false));
    setImporting(true, kImportWait);
    road_.AddRequest(std::move(request), TTransactionMode::tm_readwrite);
}

void TLoadDiscTemplateForm::RequestFinished(std::unique_ptr<TDiscImportResponse> response,
                                            const TRequestOutcome& outcome)
{
    const bool import = TImportRequestType(outcome.command) == TImportRequestType::rt_import;
    if (import)
        setImporting(false, kImportWait);
    if (!outcome.ok()) {
        reportFailure(outcome, response != nullptr, response ? discImportErrorText(outcome) : QString(),
                      road_.requestName(outcome.command));
        return;
    }
    if (!response)
        return;
    if (!import) {
        fillAgeClasses(response->ageClasses);
        return;
    }
    importDone(response->Warnings, response->discId);
}

void TLoadDiscTemplateForm::hideEvent(QHideEvent* event)
{
    TLoadTemplateForm::hideEvent(event);
    FdisciplinTemplate.reset();
}

} // namespace tvp
