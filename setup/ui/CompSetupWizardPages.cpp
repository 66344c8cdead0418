#include "setup/ui/CompSetupWizardPages.h"

#include "core/connection/RequestContext.h"
#include "core/connection/SlotGuard.h"
#include "core/ui/DateEdit.h"
#include "core/ui/Dialogs.h"
#include "core/ui/WindowContext.h"
#include "core/ui/WindowTools.h"
#include "core/util/AppPaths.h"
#include "setup/WizardListModels.h"
#include "setup/ui/CompSetupPageMetaData.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QItemSelectionModel>
#include <QListView>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

#include <algorithm>

namespace tvp {

namespace {

const QString kCaption = QStringLiteral("Veranstaltung anlegen");
const QString kLoadCaption = QStringLiteral("Disziplinvorlagen laden");
const QString kNext = QStringLiteral("Weiter");

// Shows a wait text for as long as it lives.
struct TWaitText {
    TWaitText(TWindowContext& context, QString text, QWidget* window) : context_(context), text_(std::move(text))
    {
        context_.waitTexts().showWait(text_, window);
    }
    ~TWaitText() { context_.waitTexts().closeWait(text_); }
    TWindowContext& context_;
    QString text_;
};

void report(TCompSetupWizardForm& wizard, const QString& text, const QString& caption = kCaption)
{
    wizard.context().messages().AddException(-1, {}, text, caption, &wizard);
}

QString quoted(const QString& text)
{
    return u'"' + text + u'"';
}

// A fee is empty or a number of at least 0 in the UI's format.
bool feeValid(const QString& text)
{
    if (text.isEmpty())
        return true;
    bool ok = false;
    const double value = QLocale().toDouble(text, &ok);
    return ok && value >= 0;
}

// Applies while a ticked age class fails the type's age-class test.
class TAgeClassNotInCompTypeWarning : public TWizardMessage {
public:
    TAgeClassNotInCompTypeWarning(const IWarningOrigin& origin, TAgeClassesPageInfo& page)
        : TWizardMessage(origin), page_(page)
    {
    }
    bool CheckWarningCondition() override
    {
        TCompetitionType* type = page_.compType().selection();
        if (!type)
            return false;
        CTT_AgeClasses& list = type->AgeClasses();
        const std::vector<CTT_AgeClassType*> chosen = page_.chosenAgeClasses();
        return std::any_of(chosen.begin(), chosen.end(),
                           [&](CTT_AgeClassType* a) { return !list.checkAgeClassValidForCompType(*a); });
    }
    TWizardMessageType getMessageType() override { return mt_Warning; }
    QString getMessage() override
    {
        return QStringLiteral("Eine gewählte Altersklasse erfüllt nicht die Vorgaben des Veranstaltungstyps.");
    }
    QString getID() override { return QStringLiteral("AGECLASS_NOT_IN_COMP_TYPE"); }

private:
    TAgeClassesPageInfo& page_;
};

// A message of a tab's age class as it was at the tab's last refresh.
class TTabMessage : public TWizardMessage {
public:
    TTabMessage(QString origin, TSetupMessage message) : TWizardMessage(std::move(origin)), m_(std::move(message)) {}
    bool CheckWarningCondition() override { return true; }
    TWizardMessageType getMessageType() override
    {
        switch (m_.kind) {
        case TSetupMessageKind::Error: return mt_Error;
        case TSetupMessageKind::Warning: return mt_Warning;
        case TSetupMessageKind::Info: break;
        }
        return mt_Info;
    }
    QString getMessage() override { return m_.text; }
    QString getID() override { return m_.id; }

private:
    TSetupMessage m_;
};

} // namespace

// ---- competition type ------------------------------------------------------------------------------

TCompTypePageInfo::TCompTypePageInfo(TCompSetupWizardForm& wizard)
    : TWizardPageInfo(kWizardCloseMessage, false, kNext), wizard_(wizard)
{
    QWidget* sheet = wizard.compTypeSheet();
    auto* greeting = new QPlainTextEdit(
        QStringLiteral("Willkommen beim Anlegen einer neuen Veranstaltung. Geben Sie der Veranstaltung einen Namen, "
                       "wählen Sie ihr Datum und den Veranstaltungstyp, nach dessen Vorgaben sie eingerichtet wird."),
        sheet);
    greeting->setObjectName(QStringLiteral("GreetingMemo"));
    greeting->setReadOnly(true);
    greeting->setMaximumHeight(70);
    CompNameEdit = new QLineEdit(sheet);
    CompNameEdit->setObjectName(QStringLiteral("CompNameEdit"));
    ExampleLabel = new QLabel(sheet);
    ExampleLabel->setObjectName(QStringLiteral("ExampleLabel"));
    DateTimePicker1 = new TDateEdit(QDate::currentDate(), sheet);
    DateTimePicker1->setObjectName(QStringLiteral("DateTimePicker1"));
    CompTypeListBox = new QListView(sheet);
    CompTypeListBox->setObjectName(QStringLiteral("CompTypeListBox"));
    CompTypeListModel = new TNameListModel(false, CompTypeListBox);
    CompTypeListBox->setModel(CompTypeListModel);
    ManualSetupCheckBox =
        new QCheckBox(QStringLiteral("Veranstaltung manuell einrichten und den Wizard beenden"), sheet);
    ManualSetupCheckBox->setObjectName(QStringLiteral("ManualSetupCheckBox"));
    auto* form = new QFormLayout;
    form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    form->addRow(QStringLiteral("Name der neuen Veranstaltung:"), CompNameEdit);
    form->addRow(QString(), ExampleLabel);
    form->addRow(QStringLiteral("Veranstaltungsdatum:"), DateTimePicker1);
    form->addRow(QStringLiteral("Veranstaltungstyp:"), CompTypeListBox);
    auto* layout = new QVBoxLayout(sheet);
    layout->addWidget(greeting);
    layout->addLayout(form, 1);
    layout->addWidget(ManualSetupCheckBox);
    QObject::connect(ManualSetupCheckBox, &QCheckBox::toggled, sheet,
                     [this](bool ticked) { guarded([&] { quickPathChanged(ticked); }); });
}

void TCompTypePageInfo::quickPathChanged(bool ticked)
{
    // The quick path creates an empty competition: no type is chosen for it.
    CompTypeListBox->setEnabled(!ticked);
    wizard_.ManualSetupChanged(ticked);
}

void TCompTypePageInfo::onInitPage()
{
    FComSelection = nullptr;
    ExampleLabel->setText(QStringLiteral("(z.B. Kindersportfest Musterdorf ") +
                          QString::number(QDate::currentDate().year()) + u')');
    CompNameEdit->clear();
    DateTimePicker1->setDate(QDate::currentDate());
    ManualSetupCheckBox->setChecked(false);
    quickPathChanged(false);
}

void TCompTypePageInfo::onActivatePage()
{
    {
        TWaitText wait(wizard_.context(), QStringLiteral("Lade Veranstaltungsvorlagen..."), &wizard_);
        LoadCompetitionTypes();
    }
    CompNameEdit->setFocus();
}

QString TCompTypePageInfo::getCompTypeDir()
{
    const QString path = AppPaths::programDir() + QStringLiteral("CompetitionTypes");
    if (!QFileInfo(path).isDir())
        report(wizard_, QStringLiteral("Ordner für Veranstaltungstypen wurde nicht unter ") +
                            QDir::toNativeSeparators(path) + QStringLiteral(" gefunden."));
    return path;
}

void TCompTypePageInfo::clearList()
{
    CompTypeListModel->clear();
    types_.clear();
}

void TCompTypePageInfo::LoadCompetitionTypes()
{
    const QString remembered = FComSelection ? FComSelection->SecureHash() : QString();
    const bool importedChosen = isImportedCompType();
    FComSelection = importedChosen ? FComSelection : nullptr;
    clearList();
    const QString folder = getCompTypeDir();
    for (TCompetitionTypeEntry& entry : listCompetitionTypes(folder)) {
        if (!entry.type) {
            report(wizard_, QStringLiteral("Veranstaltungstyp ") +
                                QDir::toNativeSeparators(QDir(folder).filePath(entry.fileName)) +
                                QStringLiteral(" konnte nicht geladen werden: ") + entry.error);
            continue;
        }
        CompTypeListModel->append(entry.displayName, false);
        if (!importedChosen && !remembered.isEmpty() && entry.type->SecureHash() == remembered)
            FComSelection = entry.type.get();
        types_.push_back(std::move(entry));
    }
    int marked = 0;
    for (std::size_t i = 0; i < types_.size(); ++i)
        if (types_[i].type.get() == FComSelection)
            marked = int(i);
    if (!types_.empty())
        CompTypeListBox->setCurrentIndex(CompTypeListModel->index(marked));
}

bool TCompTypePageInfo::validateInput(bool silent, bool)
{
    CompNameEdit->setText(CompNameEdit->text().trimmed());
    bool valid = true;
    if (CompNameEdit->text().isEmpty()) {
        valid = false;
        if (!silent)
            report(wizard_, QStringLiteral("Veranstaltungsname darf nicht leer sein"));
    }
    if (!ManualSetupCheckBox->isChecked()) {
        const QModelIndex current = CompTypeListBox->currentIndex();
        const int row = current.isValid() ? current.row() : -1;
        if (row >= 0 && row < int(types_.size()) && CompTypeListBox->selectionModel()->isSelected(current)) {
            FComSelection = types_[std::size_t(row)].type.get();
        } else {
            valid = false;
            if (!silent)
                report(wizard_, QStringLiteral("Kein Veranstaltungstyp ausgewählt"));
        }
    }
    return valid;
}

QString TCompTypePageInfo::compName() const
{
    return CompNameEdit->text();
}
void TCompTypePageInfo::setCompName(const QString& name)
{
    CompNameEdit->setText(name);
}
QDate TCompTypePageInfo::compDate() const
{
    return DateTimePicker1->date();
}
void TCompTypePageInfo::setCompDate(const QDate& date)
{
    DateTimePicker1->setDate(date);
}

bool TCompTypePageInfo::LoadCompetitionType(const QString& text)
{
    try {
        auto type = std::make_unique<TCompetitionType>(text.toUtf8());
        type->DisplayName();
        // The wizard's objects may still point into the previous import until the next one.
        FImportCompetitionTypeOld = std::move(FImportCompetitionType);
        FImportCompetitionType = std::move(type);
        FComSelection = FImportCompetitionType.get();
        return true;
    } catch (const TvpError& e) {
        report(wizard_, QStringLiteral("Veranstaltungstyp konnte nicht geladen werden: ") + e.message());
        return false;
    }
}

bool TCompTypePageInfo::isImportedCompType() const
{
    return FImportCompetitionType && FImportCompetitionType.get() == FComSelection;
}

QString TCompTypePageInfo::compTypeDisplayName() const
{
    try {
        return FComSelection ? FComSelection->DisplayName() : QString();
    } catch (const TvpError&) {
        return {};
    }
}

// ---- metadata ------------------------------------------------------------------------------------

TCompMetaDataPageInfo::TCompMetaDataPageInfo(TCompSetupWizardForm& wizard, TCompTypePageInfo& compType)
    : TWizardPageInfo(kWizardCloseMessage, true, kNext), wizard_(wizard), compType_(compType)
{
    QWidget* sheet = wizard.compMetaDataSheet();
    MetaDataScrollBox = new QScrollArea(sheet);
    MetaDataScrollBox->setObjectName(QStringLiteral("MetaDataScrollBox"));
    panel_ = new QWidget;
    MetaDataScrollBox->setWidget(panel_);
    MetaDataScrollBox->setWidgetResizable(false);
    auto* layout = new QVBoxLayout(sheet);
    layout->addWidget(MetaDataScrollBox);

    auto* nameLabel = new QLabel(QStringLiteral("Veranstaltungsname*:"), panel_);
    CompNameEdit = new QLineEdit(panel_);
    CompNameEdit->setObjectName(QStringLiteral("MetaCompNameEdit"));
    auto* dateLabel = new QLabel(QStringLiteral("Veranstaltungsdatum*:"), panel_);
    CompDatePicker = new TDateEdit(QDate::currentDate(), panel_);
    CompDatePicker->setObjectName(QStringLiteral("MetaCompDatePicker"));
    QObject::connect(CompNameEdit, &QLineEdit::textEdited, sheet,
                     [this](const QString& name) { compType_.setCompName(name); });
    QObject::connect(CompDatePicker, &QDateEdit::dateChanged, sheet,
                     [this](const QDate& date) { compType_.setCompDate(date); });
    CompNameEdit->setGeometry(220, 10, 250, 22);
    CompDatePicker->setGeometry(220, 35, 130, 22);
    for (auto [label, control] : {std::pair<QLabel*, QWidget*>{nameLabel, CompNameEdit}, {dateLabel, CompDatePicker}}) {
        label->adjustSize();
        label->move(control->x() - 10 - label->width(), control->y() + 3);
        label->setBuddy(control);
    }
}

void TCompMetaDataPageInfo::onInitPage()
{
    // The later pages start afresh from the chosen type.
    wizard_.reset();
    FFields.clear();
    CompNameEdit->setText(compType_.compName());
    {
        const QSignalBlocker quiet(CompDatePicker);
        CompDatePicker->setDate(compType_.compDate());
    }
    TCompetitionType* type = compType_.selection();
    int bottom = CompDatePicker->y() + 25;
    if (type) {
        const int middle = CompDatePicker->x() - 10;
        const std::vector<CTT_MetaDataItem>& items = type->MetaData();
        for (std::size_t i = 0; i < items.size(); ++i) {
            const int top = CompDatePicker->y() + 25 + 25 * int(i);
            FFields.push_back(createMetaDataField(middle, top, items[i]));
            FFields.back()->inflate(panel_);
            bottom = top + 25;
        }
    }
    panel_->resize(std::max(500, MetaDataScrollBox->viewport()->width()), bottom + 10);
}

void TCompMetaDataPageInfo::onActivatePage()
{
    for (const auto& field : FFields)
        if (QWidget* control = metaDataControl(*field);
            control && control->isEnabled() && control->focusPolicy() != Qt::NoFocus) {
            control->setFocus();
            return;
        }
    CompNameEdit->setFocus();
}

bool TCompMetaDataPageInfo::validateInput(bool silent, bool)
{
    bool valid = true;
    if (CompNameEdit->text().trimmed().isEmpty()) {
        valid = false;
        if (!silent)
            report(wizard_, QStringLiteral("Veranstaltungsname darf nicht leer sein"));
    }
    for (const auto& field : FFields)
        if (!field->validateContent()) {
            valid = false;
            if (!silent)
                report(wizard_, QStringLiteral("Ungültiger Wert für Zeile: ") + field->getLabel());
        }
    return valid;
}

bool TCompMetaDataPageInfo::BackButtonClick()
{
    return askYesNo(&wizard_, QStringLiteral("Schritt zurück"),
                    QStringLiteral("Dabei gehen alle bereits vorgenommenen Einstellungen zur Veranstaltung wieder "
                                   "verloren.\nMöchten Sie zurück zur Auswahl des Veranstaltungstyps?"));
}

bool TCompMetaDataPageInfo::isBackButtonEnabled() const
{
    return FEnableBackButton && !compType_.isImportedCompType();
}

std::vector<proto::setUiInfo> TCompMetaDataPageInfo::metaData() const
{
    std::vector<proto::setUiInfo> out;
    for (const auto& field : FFields) {
        proto::setUiInfo info;
        info.Key = field->getUIInfoName();
        info.Value = field->getUIInfoValue();
        out.push_back(std::move(info));
    }
    return out;
}

// ---- age classes ---------------------------------------------------------------------------------

TAgeClassesPageInfo::TAgeClassesPageInfo(TCompSetupWizardForm& wizard, TCompTypePageInfo& compType)
    : TWizardPageInfo(kWizardCloseMessage, true, kNext), wizard_(wizard), compType_(compType)
{
    QWidget* sheet = wizard.ageClassSheet();
    auto* listLabel = new QLabel(QStringLiteral("Altersklasse"), sheet);
    AgeClassListView = new QListView(sheet);
    AgeClassListView->setObjectName(QStringLiteral("AgeClassListView"));
    AgeClassListModel = new TNameListModel(true, AgeClassListView);
    AgeClassListView->setModel(AgeClassListModel);
    AgeClassListView->setContextMenuPolicy(Qt::ActionsContextMenu);
    AddAgeClassAction = new QAction(QStringLiteral("Altersklasse hinzufügen"), AgeClassListView);
    AddAgeClassAction->setObjectName(QStringLiteral("AddAgeClassAction"));
    AgeClassListView->addAction(AddAgeClassAction);
    TeamFeeEdit = new QLineEdit(sheet);
    TeamFeeEdit->setObjectName(QStringLiteral("TeamFeeEdit"));
    AthleteFeeEdit = new QLineEdit(sheet);
    AthleteFeeEdit->setObjectName(QStringLiteral("AthleteFeeEdit"));
    auto* memo = new QPlainTextEdit(
        QStringLiteral("Wählen Sie die Altersklassen der Veranstaltung. Für jede gewählte Altersklasse folgen "
                       "ein Schritt für ihre Disziplinen und einer für ihre Wertungen. Weitere Altersklassen "
                       "fügen Sie über das Kontextmenü der Liste hinzu. Ein leeres Startgeld wird nicht erhoben."),
        sheet);
    memo->setObjectName(QStringLiteral("AgeClassMemo"));
    memo->setReadOnly(true);
    memo->setMaximumHeight(80);
    auto* fees = new QFormLayout;
    const auto euro = [sheet](QLineEdit* edit) {
        auto* row = new QHBoxLayout;
        edit->setMaximumWidth(100);
        row->addWidget(edit);
        row->addWidget(new QLabel(QStringLiteral("€"), sheet));
        row->addStretch(1);
        return row;
    };
    fees->addRow(QStringLiteral("Startgeld pro Team:"), euro(TeamFeeEdit));
    fees->addRow(QStringLiteral("Startgeld pro AthletIn:"), euro(AthleteFeeEdit));
    auto* layout = new QVBoxLayout(sheet);
    layout->addWidget(listLabel);
    layout->addWidget(AgeClassListView, 1);
    layout->addLayout(fees);
    layout->addWidget(memo);

    // Only a tick changes a row; new rows are no change of the choice.
    QObject::connect(AgeClassListModel, &QAbstractItemModel::dataChanged, sheet,
                     [this] { guarded([this] { AgeClassSelectionChanged(); }); });
    QObject::connect(AddAgeClassAction, &QAction::triggered, sheet, [this] {
        guarded([this] {
            const std::optional<QString> name =
                wizard_.context().dialogs().getText(&wizard_, QStringLiteral("Altersklasse hinzufügen"),
                                                    QStringLiteral("Name für neue Altersklasse"), QString());
            if (name && !name->trimmed().isEmpty())
                addAgeClass(name->trimmed());
        });
    });
}

TAgeClassesPageInfo::~TAgeClassesPageInfo()
{
    ClearAgeClassListView();
}

void TAgeClassesPageInfo::addRow(std::unique_ptr<CTT_AgeClassType> ageClass, bool ticked)
{
    const QString name = ageClass->Name;
    Row row;
    row.ageClass = std::move(ageClass);
    rows_.push_back(std::move(row));
    AgeClassListModel->append(name, ticked);
}

bool TAgeClassesPageInfo::isTicked(std::size_t row) const
{
    return AgeClassListModel->isTicked(int(row));
}

void TAgeClassesPageInfo::onInitPage()
{
    TCompetitionType* type = compType_.selection();
    if (rows_.empty() && type) {
        CTT_AgeClasses& list = type->AgeClasses();
        TeamFeeEdit->setText(QLocale().toString(list.getDefaultTeamStartFee(), 'f', 2));
        AthleteFeeEdit->setText(QLocale().toString(list.getDefaultAthStartFee(), 'f', 2));
        for (qsizetype i = 0; i < list.getAgeClassCount(); ++i)
            addRow(std::make_unique<CTT_AgeClassType>(list.getAgeClass(i)), true);
    }
    wizard_.WarningManager().AddWarning(std::make_unique<TAgeClassNotInCompTypeWarning>(*this, *this));
    wizard_.WarningManager().refresh();
}

void TAgeClassesPageInfo::onActivatePage()
{
    TeamFeeEdit->selectAll();
    TeamFeeEdit->setFocus();
}

void TAgeClassesPageInfo::AgeClassSelectionChanged()
{
    wizard_.WarningManager().refresh(QStringLiteral("AGECLASS_NOT_IN_COMP_TYPE"));
}

bool TAgeClassesPageInfo::addAgeClass(const QString& name)
{
    TCompetitionType* type = compType_.selection();
    if (!type)
        return false;
    auto ageClass = std::make_unique<CTT_AgeClassType>(type->root(), name);
    for (const Row& row : rows_)
        if (row.ageClass->equals(*ageClass)) {
            showWarning(&wizard_, QStringLiteral("Altersklasse hinzufügen"),
                        QStringLiteral("Altersklasse mit selbem Namen schon vorhanden"));
            return false;
        }
    addRow(std::move(ageClass), false);
    return true;
}

bool TAgeClassesPageInfo::validateInput(bool silent, bool)
{
    bool valid = true;
    const auto fail = [&](const char* text) {
        valid = false;
        if (!silent)
            report(wizard_, QString::fromUtf8(text));
    };
    if (!feeValid(TeamFeeEdit->text()))
        fail("Team-Startgeld muss ein nicht-negativer Betrag oder leer sein");
    if (!feeValid(AthleteFeeEdit->text()))
        fail("Athleten-Startgeld muss ein nicht-negativer Betrag oder leer sein");
    if (chosenAgeClasses().empty())
        fail("Es muss mindestens eine Altersklasse ausgewählt werden");
    return valid;
}

std::vector<CTT_AgeClassType*> TAgeClassesPageInfo::chosenAgeClasses() const
{
    std::vector<CTT_AgeClassType*> out;
    for (std::size_t i = 0; i < rows_.size(); ++i)
        if (isTicked(i))
            out.push_back(rows_[i].ageClass.get());
    return out;
}

void TAgeClassesPageInfo::removeSubTabs(Row& row)
{
    // Their selections stay with the age class, so ticking it again restores them.
    if (row.discTab)
        wizard_.removeWizardTab(std::exchange(row.discTab, nullptr));
    if (row.resEvalTab)
        wizard_.removeWizardTab(std::exchange(row.resEvalTab, nullptr));
}

bool TAgeClassesPageInfo::NextButtonClick()
{
    int position = wizard_.tabIndexOf(wizard_.ageClassSheet());
    FLastAgeClassToCreate = nullptr;
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        Row& row = rows_[i];
        if (isTicked(i)) {
            FLastAgeClassToCreate = row.ageClass.get();
            if (!row.discTab) {
                auto* disc = new TDiscTab(*this);
                disc->setupPage(row.ageClass.get());
                wizard_.insertWizardTab(position++, disc, disc->caption());
                row.discTab = disc;
                auto* resEval = new TResultEvaluationTab(*this);
                resEval->setupPage(row.ageClass.get());
                wizard_.insertWizardTab(position++, resEval, resEval->caption());
                row.resEvalTab = resEval;
            } else {
                position = wizard_.tabIndexOf(row.resEvalTab);
            }
        } else if (row.discTab) {
            removeSubTabs(row);
        }
    }
    TCompetitionType* type = compType_.selection();
    const bool wanted = type && type->Options().CreateDocumentationOption;
    if (!wanted && docuTab_) {
        wizard_.removeWizardTab(std::exchange(docuTab_, nullptr));
    } else if (wanted && !docuTab_) {
        docuTab_ = new TDocuCreateTab(*this);
        wizard_.insertWizardTab(position, docuTab_, QStringLiteral("Dokumentation erstellen"));
    }
    return true;
}

void TAgeClassesPageInfo::ClearAgeClassListView()
{
    for (Row& row : rows_)
        removeSubTabs(row);
    if (docuTab_)
        wizard_.removeWizardTab(std::exchange(docuTab_, nullptr));
    FLastAgeClassToCreate = nullptr;
    AgeClassListModel->clear();
    rows_.clear();
}

// ---- tabs ----------------------------------------------------------------------------------------

TTabPageInfo::TTabPageInfo(Form& form, const QString& nextLabel)
    : TWizardPageInfo(kWizardCloseMessage, true, nextLabel), form_(form)
{
}

TTemplateTab::TTemplateTab(TAgeClassesPageInfo& pages, TTemplateKind kind)
    : TWizardTabForm(pages.wizard()),
      pages_(pages),
      kind_(kind),
      pageInfo_(std::make_unique<TTabPageInfo>(*this, kNext))
{
    const bool disc = kind == TTemplateKind::Discipline;
    setObjectName(disc ? QStringLiteral("DiscTab") : QStringLiteral("ResultEvaluationTab"));
    HintLabel = new QLabel(disc ? QStringLiteral("Disziplinen wählen (Doppelklick):")
                                : QStringLiteral("Auswertung(en) wählen (Doppelklick):"),
                           this);
    HintLabel->setObjectName(QStringLiteral("HintLabel"));
    FilterComboBox = new QComboBox(this);
    FilterComboBox->setObjectName(QStringLiteral("FilterComboBox"));
    FilterComboBox->addItem(disc ? QStringLiteral("Alle Disziplinvorlagen anzeigen")
                                 : QStringLiteral("Alle Auswertungsvorlagen anzeigen"));
    FilterComboBox->addItem(QStringLiteral("Empfohlene Vorlagen anzeigen"));
    FilterComboBox->setCurrentIndex(int(TTemplateFilter::Recommended));
    AvailableListBox = new QListView(this);
    AvailableListBox->setObjectName(QStringLiteral("AvailableListBox"));
    AvailableListModel = new TNameListModel(false, AvailableListBox);
    AvailableListBox->setModel(AvailableListModel);
    AvailableListBox->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ChosenListBox = new QListView(this);
    ChosenListBox->setObjectName(QStringLiteral("ChosenListBox"));
    ChosenListModel = new TNameListModel(false, ChosenListBox);
    ChosenListBox->setModel(ChosenListModel);
    ChosenListBox->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ChosenListBox->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ChosenListBox->setContextMenuPolicy(Qt::ActionsContextMenu);
    RemoveAction = new QAction(disc ? QStringLiteral("Disziplin entfernen") : QStringLiteral("Auswertung entfernen"),
                               ChosenListBox);
    RemoveAction->setObjectName(QStringLiteral("RemoveAction"));
    RemoveAction->setEnabled(false);
    ChosenListBox->addAction(RemoveAction);

    auto* filterRow = new QHBoxLayout;
    filterRow->addWidget(new QLabel(QStringLiteral("Vorlagenfilter:"), this));
    filterRow->addWidget(FilterComboBox, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(HintLabel);
    layout->addLayout(filterRow);
    layout->addWidget(AvailableListBox, 2);
    layout->addWidget(
        new QLabel(disc ? QStringLiteral("Ausgewählte Disziplinen:") : QStringLiteral("Ausgewählte Wertungen:"), this));
    layout->addWidget(ChosenListBox, 1);

    connect(AvailableListBox, &QAbstractItemView::activated, this,
            [this](const QModelIndex& item) { guarded([&] { chooseRow(item.row()); }); });
    onKey(*AvailableListBox, Qt::Key_Return, [this] {
        const QModelIndex current = AvailableListBox->currentIndex();
        chooseRow(current.isValid() ? current.row() : -1);
    });
    onKey(*ChosenListBox, Qt::Key_Delete, [this] { removeChosen(); });
    connect(RemoveAction, &QAction::triggered, this, [this] { guarded([this] { removeChosen(); }); });
    connect(ChosenListBox->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { guarded([this] { updateRemoveAction(); }); });
    connect(FilterComboBox, &QComboBox::currentIndexChanged, this, [this] { guarded([this] { filterChanged(); }); });
}

void TTemplateTab::updateRemoveAction()
{
    const bool disc = kind_ == TTemplateKind::Discipline;
    const qsizetype marked = ChosenListBox->selectionModel()->selectedRows().size();
    RemoveAction->setEnabled(marked > 0);
    const QString what = disc ? (marked > 1 ? QStringLiteral("Disziplinen") : QStringLiteral("Disziplin"))
                              : (marked > 1 ? QStringLiteral("Auswertungen") : QStringLiteral("Auswertung"));
    RemoveAction->setText(
        marked > 0 ? QStringLiteral("Ausgewählte ") + what + QStringLiteral(" entfernen")
                   : (disc ? QStringLiteral("Disziplin entfernen") : QStringLiteral("Auswertung entfernen")));
}

TTemplateTab::~TTemplateTab()
{
    // Its messages name this tab's age class, which may go with the list.
    if (pageInfo_ && FAgeClass)
        pages_.wizard().WarningManager().removeWarnings(pageInfo_.get());
}

void TTemplateTab::setupPage(CTT_AgeClassType* ageClass)
{
    FAgeClass = ageClass;
    TAbstractTemplateSelectionState& state = kind_ == TTemplateKind::Discipline
                                                 ? ageClass->getDisciplineSelectionState()
                                                 : ageClass->getResEvalSelectionState();
    const QSignalBlocker quiet(FilterComboBox);
    if (state.FilterIndex < 1)
        state.FilterIndex = FilterComboBox->currentIndex();
    else
        FilterComboBox->setCurrentIndex(state.FilterIndex);
}

void TTemplateTab::FormShow()
{
    wizard().setCurrentPageInfo(pageInfo_.get());
}

QString TTemplateTab::warningOrigin() const
{
    const QString name = FAgeClass ? FAgeClass->Name : QString();
    return kind_ == TTemplateKind::Discipline ? name + QStringLiteral(" Disziplinen")
                                              : name + QStringLiteral(" Auswertung");
}

void TTemplateTab::initPage()
{
    const bool disc = kind_ == TTemplateKind::Discipline;
    TWaitText wait(pages_.wizard().context(),
                   disc ? QStringLiteral("Lade Disziplinvorlagen...") : QStringLiteral("Lade Auswertungsvorlagen..."),
                   &pages_.wizard());
    if (disc)
        FAgeClass->reloadDisciplines();
    else
        FAgeClass->reloadResEvals();
    loadTemplates();
    if (!disc)
        refreshWarnings(false);
    ApplyFilter();
}

void TTemplateTab::filterChanged()
{
    if (!FAgeClass)
        return;
    TAbstractTemplateSelectionState& state = kind_ == TTemplateKind::Discipline
                                                 ? FAgeClass->getDisciplineSelectionState()
                                                 : FAgeClass->getResEvalSelectionState();
    state.FilterIndex = FilterComboBox->currentIndex();
    loadTemplates();
    ApplyFilter();
}

void TTemplateTab::ApplyFilter()
{
    TCompetitionType* type = pages_.compType().selection();
    const TTemplateFilterResult result =
        filterTemplates(*FAgeClass, kind_, loaded_, TTemplateFilter(std::max(0, FilterComboBox->currentIndex())),
                        type ? pages_.compType().compTypeDisplayName() : QString(), getTemplatePath());
    for (const QString& missing : result.missing)
        report(pages_.wizard(), missing, kLoadCaption);
    rows_ = result.rows;
    QStringList names;
    for (const TTemplateRow& row : rows_)
        names << row.templ->getDisplayName();
    AvailableListModel->setNames(names);
    ApplySelection();
}

void TTemplateTab::ApplySelection()
{
    // The type's default scorings are chosen when the tab is first filled; one the user removed
    // stays removed.
    TAbstractTemplateSelectionState& resEvals = FAgeClass->getResEvalSelectionState();
    if (kind_ == TTemplateKind::ResultEvaluation && !resEvals.DefaultsChosen) {
        resEvals.DefaultsChosen = true;
        if (resEvals.isEmpty())
            for (const TTemplateRow& row : rows_)
                if (auto* ref = dynamic_cast<CTT_ResultEvaluationType*>(row.reference); ref && ref->DefaultSelect)
                    resEvals.select(row.templ->SecureHash(), row.templ->HashAlgorithm());
    }
    const std::vector<std::shared_ptr<TAbstractTemplateWrapper>> chosen = applySelection(*FAgeClass, kind_, rows_);
    QStringList names;
    for (const auto& templ : chosen)
        names << templ->getDisplayName();
    ChosenListModel->setNames(names);
    // A reset model keeps no marks, and says so to nobody.
    updateRemoveAction();
    validate(false, false);
    afterSelection();
}

void TTemplateTab::chooseRow(int row)
{
    if (row < 0 || row >= int(rows_.size()))
        return;
    const auto& templ = rows_[std::size_t(row)].templ;
    TAbstractTemplateSelectionState& state = kind_ == TTemplateKind::Discipline
                                                 ? FAgeClass->getDisciplineSelectionState()
                                                 : FAgeClass->getResEvalSelectionState();
    if (!state.isSelected(templ->SecureHash(), templ->HashAlgorithm()))
        state.select(templ->SecureHash(), templ->HashAlgorithm());
    ApplySelection();
}

void TTemplateTab::removeChosen()
{
    TAbstractTemplateSelectionState& state = kind_ == TTemplateKind::Discipline
                                                 ? FAgeClass->getDisciplineSelectionState()
                                                 : FAgeClass->getResEvalSelectionState();
    std::vector<std::shared_ptr<TAbstractTemplateWrapper>> keep;
    if (kind_ == TTemplateKind::Discipline)
        keep.assign(FAgeClass->getSelectedDisciplines().begin(), FAgeClass->getSelectedDisciplines().end());
    else
        keep.assign(FAgeClass->getSelectedResEvals().begin(), FAgeClass->getSelectedResEvals().end());
    state.clearSelection();
    for (std::size_t i = 0; i < keep.size(); ++i) {
        if (int(i) < ChosenListModel->rowCount() && !ChosenListBox->selectionModel()->isRowSelected(int(i), {}))
            state.select(keep[i]->SecureHash(), keep[i]->HashAlgorithm());
    }
    ApplySelection();
}

void TTemplateTab::refreshWarnings(bool reportAll)
{
    TWarningManager& manager = pages_.wizard().WarningManager();
    QStringList failures;
    const std::vector<TSetupMessage> messages = ageClassMessages(*FAgeClass, kind_, warningOrigin(), &failures);
    // Only this tab's messages go; the others' stay as they are.
    manager.removeWarnings(pageInfo_.get());
    for (const TSetupMessage& m : messages)
        manager.AddWarning(std::make_unique<TTabMessage>(warningOrigin(), m));
    // "Details" names such a rule too, as long as it cannot be evaluated.
    for (const QString& failure : failures) {
        TSetupMessage unchecked;
        unchecked.kind = TSetupMessageKind::Warning;
        unchecked.text = warningOrigin().isEmpty() ? failure : warningOrigin() + QStringLiteral(": ") + failure;
        unchecked.details = failure;
        unchecked.id = QStringLiteral("UNEVALUATED_") + warningOrigin() + u'_' + failure;
        manager.AddWarning(std::make_unique<TTabMessage>(warningOrigin(), std::move(unchecked)));
    }
    manager.refresh();
    // A rule that cannot be evaluated counts as not applying; the user hears of it when it first
    // fails and on every Next, not on each choice in between.
    for (const QString& failure : failures)
        if (reportAll || !reportedFailures_.contains(failure))
            tvp::report(pages_.wizard(), failure);
    reportedFailures_ = failures;
}

bool TTemplateTab::sectionFulfilled()
{
    CTT_AbstractGPCSection& section = kind_ == TTemplateKind::Discipline
                                          ? static_cast<CTT_AbstractGPCSection&>(FAgeClass->getDisciplines())
                                          : static_cast<CTT_AbstractGPCSection&>(FAgeClass->getResEvals());
    for (const auto& constraint : section.Constraints()) {
        try {
            if (!constraint->isFullfilled())
                return false;
        } catch (const TvpError&) {
            // Reported with the warnings; a rule that cannot be evaluated does not hold the user up.
        }
    }
    return true;
}

bool TTemplateTab::validate(bool silent, bool commit)
{
    if (!silent)
        refreshWarnings(commit);
    return sectionFulfilled();
}

// ---- discipline tab --------------------------------------------------------------------------------

TDiscTab::TDiscTab(TAgeClassesPageInfo& pages) : TTemplateTab(pages, TTemplateKind::Discipline)
{
    CopyDiscCheckBox =
        new QCheckBox(QStringLiteral("Gewählte Disziplinen auch für alle weiteren Altersklassen übernehmen"), this);
    CopyDiscCheckBox->setObjectName(QStringLiteral("CopyDiscCheckBox"));
    layout()->addWidget(CopyDiscCheckBox);
    connect(CopyDiscCheckBox, &QCheckBox::clicked, this, [this](bool ticked) { FCopyDisciplinesState = ticked; });
}

void TDiscTab::setupPage(CTT_AgeClassType* ageClass)
{
    TTemplateTab::setupPage(ageClass);
    caption_ = quoted(ageClass->Name) + QStringLiteral(" Disziplinen");
    HintLabel->setText(QStringLiteral("Disziplinen für Altersklasse ") + quoted(ageClass->Name) +
                       QStringLiteral(" per Doppelklick auswählen:"));
    checkCopyDiscEnable();
}

void TDiscTab::loadTemplates()
{
    TTemplateFolder<TDisciplineTemplateWrapper> folder = loadDisciplineTemplates(getTemplatePath());
    for (const QString& error : folder.errors)
        report(pages_.wizard(), error);
    loaded_.assign(folder.templates.begin(), folder.templates.end());
}

void TDiscTab::checkCopyDiscEnable()
{
    CopyDiscCheckBox->hide();
    CopyDiscCheckBox->setChecked(false);
    const std::vector<CTT_AgeClassType*> chosen = pages_.chosenAgeClasses();
    TCompetitionType* type = pages_.compType().selection();
    if (!type || chosen.size() < 2 || chosen.front() != FAgeClass)
        return;
    const CTT_Options& options = type->Options();
    CopyDiscCheckBox->setVisible(options.EnableCopyDiscFeature);
    FCopyDisciplinesState = options.CopyDiscFeatureDefaultEnabled;
}

void TDiscTab::checkCopyDiscState()
{
    if (CopyDiscCheckBox->isHidden())
        return;
    const bool supported = selectedDisciplinesSupportCopy();
    CopyDiscCheckBox->setEnabled(supported);
    CopyDiscCheckBox->setChecked(supported && FCopyDisciplinesState);
}

bool TDiscTab::selectedDisciplinesSupportCopy()
{
    for (CTT_DisciplineType* disc : FAgeClass->SelectedDisciplines()) {
        if (!disc || disc->DisciplineGroup.isEmpty())
            return false;
        for (CTT_AgeClassType* other : pages_.chosenAgeClasses())
            if (other != FAgeClass && !other->getDisciplines().findByDisciplineGroup(disc->DisciplineGroup))
                return false;
    }
    return true;
}

void TDiscTab::copySelectedDiscsToAgeClasses()
{
    const std::vector<CTT_DisciplineType*> chosen = FAgeClass->SelectedDisciplines();
    for (CTT_AgeClassType* other : pages_.chosenAgeClasses()) {
        if (other == FAgeClass)
            continue;
        TAbstractTemplateSelectionState& state = other->getDisciplineSelectionState();
        if (!state.isEmpty() &&
            !askYesNo(&pages_.wizard(), QStringLiteral("Disziplinen für weitere Altersklassen übernehmen"),
                      QStringLiteral("Für die Altersklasse ") + other->Name +
                          QStringLiteral(" sind schon Disziplinen ausgewählt. Sollen die überschrieben werden?")))
            continue;
        state.clearSelection();
        for (CTT_DisciplineType* disc : chosen)
            if (disc && !disc->DisciplineGroup.isEmpty())
                if (CTT_DisciplineType* same = other->getDisciplines().findByDisciplineGroup(disc->DisciplineGroup))
                    state.select(same->SecureHash, same->HashAlgorithm);
    }
}

bool TDiscTab::validate(bool silent, bool commit)
{
    const bool valid = TTemplateTab::validate(silent, commit);
    if (valid && commit && !CopyDiscCheckBox->isHidden() && CopyDiscCheckBox->isChecked())
        copySelectedDiscsToAgeClasses();
    return valid;
}

// ---- overall scoring tab ---------------------------------------------------------------------------

TResultEvaluationTab::TResultEvaluationTab(TAgeClassesPageInfo& pages)
    : TTemplateTab(pages, TTemplateKind::ResultEvaluation)
{
}

void TResultEvaluationTab::loadTemplates()
{
    TTemplateFolder<TResEvalTemplateWrapper> folder = loadResEvalTemplates(getTemplatePath());
    for (const QString& error : folder.errors)
        report(pages_.wizard(), error);
    FAgeClass->clearResEvals();
    for (const auto& templ : folder.templates)
        FAgeClass->addResEval(templ);
    loaded_.assign(FAgeClass->loadedResEvals().begin(), FAgeClass->loadedResEvals().end());
}

void TResultEvaluationTab::setupPage(CTT_AgeClassType* ageClass)
{
    TTemplateTab::setupPage(ageClass);
    caption_ = quoted(ageClass->Name) + QStringLiteral(" Wertung");
    HintLabel->setText(QStringLiteral("Wertung(en) für Altersklasse ") + quoted(ageClass->Name) +
                       QStringLiteral(" per Doppelklick auswählen:"));
}

bool TResultEvaluationTab::lastTab() const
{
    return FAgeClass == pages_.lastAgeClassToCreate() && !pages_.hasDocuTab();
}

void TResultEvaluationTab::activatePage()
{
    pageInfo_->setNextButtonLabel(lastTab() ? kCaption : kNext);
}

bool TResultEvaluationTab::validate(bool silent, bool commit)
{
    if (!TTemplateTab::validate(silent, commit))
        return false;
    FAgeClass->loadResultPresentationInfo();
    if (lastTab() && commit)
        return pages_.wizard().startFullCompCreation() != 0;
    return true;
}

// ---- documentation tab -----------------------------------------------------------------------------

TDocuCreateTab::TDocuCreateTab(TAgeClassesPageInfo& pages)
    : TWizardTabForm(pages.wizard()), pages_(pages), pageInfo_(std::make_unique<TTabPageInfo>(*this, kCaption))
{
    setObjectName(QStringLiteral("DocuCreateTab"));
    CreateDocuCheckBox = new QCheckBox(
        QStringLiteral("Dokumentations-PDF aus ausgewählten Disziplinen für Ausschreibung erstellen"), this);
    CreateDocuCheckBox->setObjectName(QStringLiteral("CreateDocuCheckBox"));
    CreateDocuCheckBox->setChecked(true);
    DocuSettingsGroup = new QGroupBox(QStringLiteral("Dokumentationseinstellungen"), this);
    DocuSettingsGroup->setObjectName(QStringLiteral("DocuSettingsGroup"));
    PathEdit = new QLineEdit(DocuSettingsGroup);
    PathEdit->setObjectName(QStringLiteral("PathEdit"));
    PathEdit->setReadOnly(true);
    ChooseButton = new QPushButton(QStringLiteral("Auswählen"), DocuSettingsGroup);
    ChooseButton->setObjectName(QStringLiteral("ChooseButton"));
    auto* row = new QHBoxLayout(DocuSettingsGroup);
    row->addWidget(new QLabel(QStringLiteral("Speicherort für PDF:"), DocuSettingsGroup));
    row->addWidget(PathEdit, 1);
    row->addWidget(ChooseButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(CreateDocuCheckBox);
    layout->addWidget(DocuSettingsGroup);
    layout->addStretch(1);
    connect(CreateDocuCheckBox, &QCheckBox::toggled, this, [this] { guarded([this] { boxChanged(); }); });
    connect(ChooseButton, &QPushButton::clicked, this, [this] { guarded([this] { chooseFile(); }); });
}

TDocuCreateTab::~TDocuCreateTab() = default;

void TDocuCreateTab::FormShow()
{
    wizard().setCurrentPageInfo(pageInfo_.get());
}

void TDocuCreateTab::activatePage()
{
    pageInfo_->setNextButtonLabel(kCaption);
}

void TDocuCreateTab::boxChanged()
{
    const bool ticked = CreateDocuCheckBox->isChecked();
    DocuSettingsGroup->setVisible(ticked);
    if (ticked) {
        LoadDocuPDFs();
    } else {
        pdfs_.clear();
        PathEdit->clear();
    }
}

void TDocuCreateTab::chooseFile()
{
    const QString name = wizard().context().dialogs().getSaveFileNameWithSuffix(
        &wizard(), QStringLiteral("Speicherort für PDF"),
        pages_.compType().compName() + QStringLiteral("_Disziplinbeschreibungen.pdf"),
        QStringLiteral("PDF-Dateien (*.pdf)"), QStringLiteral("pdf"));
    if (name.isEmpty())
        return;
    PathEdit->setText(QDir::toNativeSeparators(name));
    boxChanged();
}

void TDocuCreateTab::LoadDocuPDFs()
{
    TWaitText wait(wizard().context(), QStringLiteral("Aktualisiere Veranstaltungsdokumentation..."), &wizard());
    std::vector<CTT_DisciplineType*> wanted;
    for (CTT_AgeClassType* ageClass : pages_.chosenAgeClasses())
        for (CTT_DisciplineType* disc : ageClass->SelectedDisciplines())
            if (disc)
                wanted.push_back(disc);
    pdfs_.clear();
    const QString folder = getTemplatePath();
    const QDir dir(folder);
    for (const QString& name : dir.entryList({QStringLiteral("*.pdf")}, QDir::Files, QDir::Name)) {
        QFile file(dir.filePath(name));
        if (!file.open(QIODevice::ReadOnly)) {
            report(wizard(), QStringLiteral("Dokumentation ") + QDir::toNativeSeparators(dir.filePath(name)) +
                                 QStringLiteral(" konnte nicht geladen werden: ") + file.errorString());
            continue;
        }
        const QByteArray bytes = file.readAll();
        const QString hash = secureHashOf(bytes);
        // One copy of a PDF however many chosen disciplines name it.
        bool used = false;
        for (auto it = wanted.begin(); it != wanted.end();) {
            const std::optional<CTT_DisciplineDocumentation>& doc = (*it)->DocumentationFile;
            if (doc && doc->SecureHash == hash && doc->HashAlgorithm == TSecureHashFile::HashAlgorithm()) {
                used = true;
                it = wanted.erase(it);
            } else {
                ++it;
            }
        }
        if (used)
            pdfs_.push_back(bytes);
    }
    const QString typeName = pages_.compType().compTypeDisplayName();
    for (CTT_DisciplineType* disc : wanted)
        if (disc->DocumentationFile)
            report(wizard(),
                   QStringLiteral("Achtung die in ") + quoted(typeName) +
                       QStringLiteral(" referenzierte Dokumentation für ") + quoted(disc->Name) +
                       QStringLiteral(" wurde nicht im Vorlagenverzeichnis ") +
                       quoted(QDir::toNativeSeparators(folder)) +
                       QStringLiteral(" gefunden oder ist beschädigt. Bitte ggf. Anwendung neu installieren."),
                   kLoadCaption);
}

bool TDocuCreateTab::validate(bool silent, bool commit)
{
    const bool valid = !CreateDocuCheckBox->isChecked() ||
                       (!PathEdit->text().isEmpty() && QFileInfo(QFileInfo(PathEdit->text()).path()).isDir());
    if (!valid) {
        if (!silent)
            showInformation(&wizard(), QStringLiteral("Dokumentation erstellen"),
                            QStringLiteral("Bitte wählen Sie einen gültigen Speicherort für die zu generierende "
                                           "Dokumentation."));
        return false;
    }
    if (commit)
        return wizard().startFullCompCreation() != 0;
    return true;
}

TCompCreationDocumentation TDocuCreateTab::documentation() const
{
    TCompCreationDocumentation out;
    if (CreateDocuCheckBox->isChecked() && !pdfs_.empty()) {
        out.fileName = QDir::fromNativeSeparators(PathEdit->text());
        out.pdfs = pdfs_;
    }
    return out;
}

// ---- the pages together ----------------------------------------------------------------------------

TCompCreationInput creationInput(TCompMetaDataPageInfo& metaData, TAgeClassesPageInfo& ageClasses)
{
    TCompCreationInput input;
    // The first page holds them: a name in use is asked for again and put there.
    input.name = ageClasses.compType().compName().trimmed();
    input.date = ageClasses.compType().compDate();
    input.teamFee = ageClasses.TeamFeeEdit->text();
    input.athleteFee = ageClasses.AthleteFeeEdit->text();
    input.metaData = metaData.metaData();
    if (TCompetitionType* type = ageClasses.compType().selection())
        input.globalParameters = type->AgeClasses().Section().GlobalParameters();
    input.ageClasses = ageClasses.chosenAgeClasses();
    if (TDocuCreateTab* docu = ageClasses.docuTab())
        input.documentation = docu->documentation();
    return input;
}

TWizardPageSet createWizardPages(TCompSetupWizardForm& wizard)
{
    auto compType = std::make_unique<TCompTypePageInfo>(wizard);
    auto metaData = std::make_unique<TCompMetaDataPageInfo>(wizard, *compType);
    auto ageClasses = std::make_unique<TAgeClassesPageInfo>(wizard, *compType);
    TAgeClassesPageInfo* ageClassPage = ageClasses.get();
    TCompMetaDataPageInfo* metaDataPage = metaData.get();
    TWizardPageSet pages;
    pages.clearAgeClasses = [ageClassPage] { ageClassPage->ClearAgeClassListView(); };
    wizard.compCreation = [&wizard, metaDataPage, ageClassPage](TWizardPageInfo&) {
        return wizard.runCompCreation(creationInput(*metaDataPage, *ageClassPage));
    };
    pages.compType = std::move(compType);
    pages.compMetaData = std::move(metaData);
    pages.ageClasses = std::move(ageClasses);
    return pages;
}

} // namespace tvp
