// The print menus of the competition-list window: competition lists per heat (with attempts or a
// ladder of heights), zone tally sheets and lap-count sheets, and their blank forms.

#include "core/connection/SlotGuard.h"
#include "core/print/TallySheetPrint.h"
#include "core/print/ui/Print.h"
#include "core/ui/Dialogs.h"
#include "core/ui/WindowContext.h"
#include "core/ui/WindowRegistry.h"
#include "organisation/ui/DisciplinListDialog.h"
#include "organisation/ui/LapCountSheetDialog.h"
#include "organisation/ui/PrintHighJumpDialog.h"

#include <QAction>
#include <QInputDialog>
#include <QMenu>
#include <QTreeView>

#include <algorithm>

namespace tvp {

namespace {

const QString kListCaption = QStringLiteral("Wettkampfliste drucken");
const QString kTallyCaption = QStringLiteral("Zonenstrichliste drucken");
const QString kLapCountCaption = QStringLiteral("Rundenzählblätter drucken");
const QString kNoDiscipline = QStringLiteral("Keine Disziplin geladen");

// What a ladder format prints as, and its questions.
struct TStepListKind {
    TResultformat format;
    QString formatQuestion; // asked by the list prints
    QString mismatchQuestion;
    QString mismatchCaption;
};

const TStepListKind* stepListKind(TResultformat format)
{
    static const TStepListKind kinds[] = {
        {TResultformat::rf_Height,
         QStringLiteral("Ergebnistyp der Disziplin ist \"Höhe\", soll eine Höhenliste gedruckt werden?\r\n(\"Nein\" "
                        "druckt die normale Liste)"),
         QStringLiteral("Ergebnistyp der Disziplin ist nicht \"Höhe\", trotzdem Höhenliste drucken?"),
         QStringLiteral("Höhenliste drucken")},
        {TResultformat::rf_TargetPoints,
         QStringLiteral("Ergebnistyp der Disziplin ist \"Zielpunkte\", soll eine Zielweitenliste gedruckt "
                        "werden?\r\n(\"Nein\" druckt die normale Liste)"),
         QStringLiteral("Ergebnistyp der Disziplin ist nicht \"Zielpunkte\", trotzdem Zielweitenliste drucken?"),
         QStringLiteral("Weitenliste drucken")},
        {TResultformat::rf_TargetPointCollection,
         QStringLiteral("Ergebnistyp der Disziplin ist \"Zielpunkte sammeln\", soll eine Zielweitensammelliste "
                        "gedruckt werden?\r\n(\"Nein\" druckt die normale Liste)"),
         QStringLiteral(
             "Ergebnistyp der Disziplin ist nicht \"Zielpunkte sammeln\", trotzdem Zielweitensammelliste drucken?"),
         QStringLiteral("Weitenliste drucken")},
    };
    for (const TStepListKind& k : kinds)
        if (k.format == format)
            return &k;
    return nullptr;
}

std::optional<proto::ScheduleItemType> scheduleOf(const QModelIndex& heat, const TSquadScheduleMap& map)
{
    return TSquadsObject(heat, map).ScheduleItem;
}

} // namespace

void TDisciplinListForm::buildPrintMenus()
{
    auto add = [this](QMenu* menu, QAction* before, const QString& text, const char* name,
                      void (TDisciplinListForm::*handler)()) {
        auto* action = new QAction(text, menu);
        action->setObjectName(QString::fromLatin1(name));
        menu->insertAction(before, action);
        connect(action, &QAction::triggered, this, [this, handler] { guarded([&] { (this->*handler)(); }); });
        return action;
    };
    // Before the check item of the sort order, which comes last.
    QAction* end = Liste1->actions().isEmpty() ? nullptr : Liste1->actions().first();
    Drucken1 =
        add(Liste1, end, QStringLiteral("Wettkampfliste (Strg+P)"), "Drucken1", &TDisciplinListForm::Drucken1Click);
    add(Liste1, end, QStringLiteral("Hochsprungliste"), "HochsprungListe1", &TDisciplinListForm::HochsprungListe1Click);
    add(Liste1, end, QStringLiteral("Zielweitenliste"), "Weitenliste1", &TDisciplinListForm::Weitenliste1Click);
    add(Liste1, end, QStringLiteral("Zielweitensammelliste"), "Weitensammlungsliste1",
        &TDisciplinListForm::Weitensammlungsliste1Click);
    add(Liste1, end, QStringLiteral("Zonenstrichlisten"), "Zonenstrichlisten1",
        &TDisciplinListForm::Zonenstrichlisten1Click)
        ->setEnabled(false);
    add(Liste1, end, QStringLiteral("Blanko-Zonenstrichlisten"), "Blankolisten1",
        &TDisciplinListForm::Blankolisten1Click);
    add(Liste1, end, QStringLiteral("Rundenzählblätter"), "Rundenzhlbltter1",
        &TDisciplinListForm::Rundenzhlbltter1Click);
    if (end)
        Liste1->insertSeparator(end);

    add(LaufGruppedrucken, nullptr, QStringLiteral("Wettkampfliste"), "LaufGruppedrucken1",
        &TDisciplinListForm::LaufGruppedrucken1Click);
    add(LaufGruppedrucken, nullptr, QStringLiteral("Hochsprungliste"), "Hochsprungliste2",
        &TDisciplinListForm::Hochsprungliste2Click);
    add(LaufGruppedrucken, nullptr, QStringLiteral("Zielweitenliste"), "Weitenliste2",
        &TDisciplinListForm::Weitenliste2Click);
    add(LaufGruppedrucken, nullptr, QStringLiteral("Zielweitensammelliste"), "Weitensammlungsliste2",
        &TDisciplinListForm::Weitensammlungsliste2Click);
    add(LaufGruppedrucken, nullptr, QStringLiteral("Zonenstrichlisten"), "Zonenstrichlisten2",
        &TDisciplinListForm::Zonenstrichlisten2Click)
        ->setEnabled(false);
    add(LaufGruppedrucken, nullptr, QStringLiteral("Rundenzählblätter"), "Rundenzhlbltter2",
        &TDisciplinListForm::Rundenzhlbltter2Click);
}

// ---- common checks ----

bool TDisciplinListForm::printable() const
{
    return TreeView1->isEnabled() && currentDisciplinID != 0;
}

void TDisciplinListForm::printMessage(const QString& caption, const QString& text)
{
    context().messages().AddException(0, {}, text, caption, this);
}

bool TDisciplinListForm::checkNotEmpty()
{
    if (tree_.nodeCount() > 1)
        return true;
    printMessage(kListCaption, QStringLiteral("Wettkampfliste ist noch leer"));
    return false;
}

int TDisciplinListForm::selectedHeatNo() const
{
    return tree_.getHeatNo(selectedNode());
}

std::vector<QModelIndex> TDisciplinListForm::getNodes(int heatNo)
{
    const QModelIndex root = tree_.rootNode();
    if (!root.isValid() || currentDisciplinID == 0) {
        printMessage(kListCaption, kNoDiscipline);
        return {};
    }
    std::vector<QModelIndex> nodes;
    if (heatNo == 0) {
        for (int h = 0; h < tree_.rowCount(root); ++h)
            nodes.push_back(tree_.index(h, 0, root));
    } else if (const QModelIndex heat = tree_.heatNode(heatNo); heat.isValid() && heat != root) {
        nodes.push_back(heat);
    }
    if (nodes.empty()) {
        printMessage(kListCaption, QStringLiteral("Disziplin hat noch keine Läufe/Gruppen"));
        return {};
    }
    if (tree_.rowCount(nodes.front()) == 0) {
        printMessage(kListCaption, QStringLiteral("Lauf/Gruppe hat noch keine Teilnehmer"));
        return {};
    }
    try {
        if (checkUiForPlaceSort())
            std::stable_sort(nodes.begin(), nodes.end(), [this](const QModelIndex& a, const QModelIndex& b) {
                return placeAndTimeComparator(a, b);
            });
    } catch (const EPrintCancelled&) {
        // "Nein" to printing by heat instead: the user's answer, not a failure.
        return {};
    }
    return nodes;
}

bool TDisciplinListForm::placeAndTimeComparator(const QModelIndex& heatA, const QModelIndex& heatB) const
{
    const auto a = scheduleOf(heatA, squadScheduleMap);
    if (!a)
        throw TvpError(QStringLiteral("Keine eindeutige Zeitplanzuordnung für ") + heatA.data().toString());
    const auto b = scheduleOf(heatB, squadScheduleMap);
    if (!b)
        throw TvpError(QStringLiteral("Keine eindeutige Zeitplanzuordnung für ") + heatB.data().toString());
    auto place = [](const proto::ScheduleItemType& item) {
        return item.DisciplinePlace && item.DisciplinePlace->Place ? item.DisciplinePlace->Place->Name : QString();
    };
    const int byPlace = QString::compare(place(*a), place(*b), Qt::CaseSensitive);
    if (byPlace != 0)
        return byPlace < 0;
    const int timeA = a->Time ? a->Time->msecsSinceStartOfDay() : 0;
    const int timeB = b->Time ? b->Time->msecsSinceStartOfDay() : 0;
    return timeA < timeB;
}

std::shared_ptr<TDisciplinePrintContext> TDisciplinListForm::heatContext(const QModelIndex& heatNode,
                                                                         const QString& docType) const
{
    const TSquadsInfo squads = getSquadsInfo(heatNode);
    return std::make_shared<TDisciplinePrintContext>(
        squads.SquadString, tree_.getHeatNo(heatNode), getDiscResultValueType(currentDisciplinID), docType,
        getDiscName(currentDisciplinID), currentDisciplinID, getDiscBarcodeId(currentDisciplinID),
        std::max(0, curListVersion), squads.Place, squads.StartTime);
}

// ---- competition lists ----

bool TDisciplinListForm::printDiscList(const QString& title, const std::vector<QModelIndex>& heatNodes,
                                       const QStringList& stepLabels, TResultformat resultFormat, bool askPrinter)
{
    std::unique_ptr<TPrintManager> manager = InitPrint(askPrinter, title, true, this);
    if (!manager)
        return false;
    {
        TWaitText wait(kPrintWaitText, this);
        const bool team = isTeamDisc(currentDisciplinID);
        std::shared_ptr<ILineRenderer> renderer;
        if (!stepLabels.isEmpty())
            renderer = std::make_shared<TStepDiscListLineRenderer>(stepLabels, resultFormat, team);
        else
            renderer = std::make_shared<TAttemptDiscListLineRenderer>(team);
        manager->setPageHeader(std::make_shared<TDisciplineListHeader>(TBarcodeType::bt_DiscList, true, resultFormat));
        manager->setHeaderSpacing(150);
        manager->setFooterSpacing(30);
        manager->setPageFooter(std::make_shared<TDisciplineListFooter>());
        for (const QModelIndex& heat : heatNodes) {
            const TPrintTable table(heat, getDiscAttempts(currentDisciplinID), team,
                                    getDiscResultValueType(currentDisciplinID), false, QStringLiteral("#"));
            manager->setContent(std::make_shared<TDiscListPrintBody>(
                table, 120, renderer, heatContext(heat, QStringLiteral("Wettkampfliste"))));
            manager->render();
        }
    }
    if (!endPrintJob(*manager, context().messages(), kListCaption, this))
        return false;
    manager.reset();
    PromptPartLock();
    return true;
}

void TDisciplinListForm::PrintHighJump(const QStringList& stepLabels, int heatNo, TResultformat resultFormat,
                                       bool askPrinter)
{
    QString title = getDiscName(currentDisciplinID) + QStringLiteral(" - Wettkampfliste");
    if (heatNo != 0)
        title += QLatin1Char(' ') + getHeatString() + QLatin1Char(' ') + QString::number(heatNo);
    const std::vector<QModelIndex> nodes = getNodes(heatNo);
    if (nodes.empty())
        return;
    printDiscList(title, nodes, stepLabels, resultFormat, askPrinter);
}

void TDisciplinListForm::PromptPartLock()
{
    if (isLocked)
        return;
    if (ask(QStringLiteral("Wettkampfliste Sperren?"),
            QStringLiteral(
                "Soll die gedruckte Wettkampfliste nun für die automatische Riegen-Neusortierung gesperrt "
                "werden?\r\nDies wird empfohlen, wenn dies die endgültige Wettkampfliste ist.\r\nÄnderungen "
                "in Riegen werden dabei weiterhin übernommen, aber bestehende Teilnehmer nicht mehr "
                "intelligent neuverteilt.\r\nDer Freigabestatus kann jederzeit über das Menü wieder geändert "
                "werden.")))
        setBackendLockStatus(proto::LockType::LOCKED);
}

void TDisciplinListForm::openHeightList(int heatNo, TResultformat format)
{
    if (auto* heights = context().windows().get<TPrintHighJumpForm>(TWindowId::PrintHighJumpForm))
        heights->OpenDialog(true, currentDisciplinID, heatNo, format);
}

bool TDisciplinListForm::askForStepList(int heatNo)
{
    const TStepListKind* kind = stepListKind(getDiscResultFormat(currentDisciplinID));
    if (!kind)
        return true;
    switch (context().dialogs().messageBox(this, kListCaption, kind->formatQuestion, TMsgKind::Question,
                                           TMsgButtons::YesNoCancel)) {
    case TMsgAnswer::Yes: openHeightList(heatNo, kind->format); return false;
    case TMsgAnswer::No: return true;
    default: return false;
    }
}

void TDisciplinListForm::Drucken1Click()
{
    if (!printable() || !checkNotEmpty() || !checkNoOfParticipants() || !askForStepList(0))
        return;
    const std::vector<QModelIndex> nodes = getNodes(0);
    if (!nodes.empty())
        printDiscList(getDiscName(currentDisciplinID) + QStringLiteral(" - Wettkampfliste"), nodes, {},
                      TResultformat::rf_Default);
}

void TDisciplinListForm::LaufGruppedrucken1Click()
{
    if (!printable())
        return;
    const int heat = selectedHeatNo();
    if (heat <= 0 || !askForStepList(heat))
        return;
    const std::vector<QModelIndex> nodes = getNodes(heat);
    if (!nodes.empty())
        printDiscList(getDiscName(currentDisciplinID) + QStringLiteral(" - Wettkampfliste ") + getHeatString() +
                          QLatin1Char(' ') + QString::number(heat),
                      nodes, {}, TResultformat::rf_Default);
}

void TDisciplinListForm::printStepList(TResultformat format, int heatNo)
{
    if (!printable())
        return;
    if (heatNo == 0 && (!checkNotEmpty() || !checkNoOfParticipants()))
        return;
    if (heatNo < 0)
        return;
    const TStepListKind* kind = stepListKind(format);
    if (getDiscResultFormat(currentDisciplinID) != format && !ask(kind->mismatchCaption, kind->mismatchQuestion))
        return;
    openHeightList(heatNo, format);
}

void TDisciplinListForm::HochsprungListe1Click()
{
    printStepList(TResultformat::rf_Height, 0);
}

void TDisciplinListForm::Weitenliste1Click()
{
    printStepList(TResultformat::rf_TargetPoints, 0);
}

void TDisciplinListForm::Weitensammlungsliste1Click()
{
    printStepList(TResultformat::rf_TargetPointCollection, 0);
}

void TDisciplinListForm::Hochsprungliste2Click()
{
    const int heat = selectedHeatNo();
    printStepList(TResultformat::rf_Height, heat > 0 ? heat : -1);
}

void TDisciplinListForm::Weitenliste2Click()
{
    const int heat = selectedHeatNo();
    printStepList(TResultformat::rf_TargetPoints, heat > 0 ? heat : -1);
}

void TDisciplinListForm::Weitensammlungsliste2Click()
{
    const int heat = selectedHeatNo();
    printStepList(TResultformat::rf_TargetPointCollection, heat > 0 ? heat : -1);
}

// ---- tally sheets ----

void TDisciplinListForm::printTallySheet(const std::vector<QModelIndex>& heatNodes)
{
    if (currentDisciplinID == 0) {
        printMessage(kTallyCaption, kNoDiscipline);
        return;
    }
    if (heatNodes.empty())
        return;
    const QString name = getDiscName(currentDisciplinID);
    std::unique_ptr<TPrintManager> manager = InitPrint(true, name + QStringLiteral(" - Zonenstrichliste"), false, this);
    if (!manager)
        return;
    {
        TWaitText wait(kPrintWaitText, this);
        manager->setPageHeader(
            std::make_shared<TDisciplineListHeader>(TBarcodeType::bt_TallySheet, true, TResultformat::rf_Default));
        manager->setHeaderSpacing(150);
        manager->setFooterSpacing(30);
        manager->setPageFooter(std::make_shared<TTVPFooter>());
        for (const QModelIndex& heat : heatNodes) {
            const TPrintTable table(heat, getDiscAttempts(currentDisciplinID), isTeamDisc(currentDisciplinID),
                                    getDiscResultValueType(currentDisciplinID), true, QStringLiteral("Bahn"));
            manager->setContent(std::make_shared<TTallySheetPrintBody>(
                table, 120, heatContext(heat, QStringLiteral("Zonenstrichliste")), 15));
            manager->render();
        }
    }
    if (!endPrintJob(*manager, context().messages(), kTallyCaption, this))
        return;
    manager.reset();
    PromptPartLock();
}

void TDisciplinListForm::Zonenstrichlisten1Click()
{
    if (!printable() || !checkNotEmpty() || !checkNoOfParticipants())
        return;
    printTallySheet(getNodes(0));
}

void TDisciplinListForm::Zonenstrichlisten2Click()
{
    if (!printable())
        return;
    const int heat = selectedHeatNo();
    if (heat > 0)
        printTallySheet(getNodes(heat));
}

void TDisciplinListForm::Blankolisten1Click()
{
    if (!printable())
        return;
    int count = 0;
    for (;;) {
        QInputDialog input(this);
        input.setWindowTitle(QStringLiteral("Blanko Zonenstrichlisten"));
        input.setLabelText(QStringLiteral("Anzahl der Blankovordrucke:"));
        input.setInputMode(QInputDialog::TextInput);
        input.setOkButtonText(QStringLiteral("OK"));
        input.setCancelButtonText(QStringLiteral("Abbrechen"));
        if (context().dialogs().execModal(input) != QDialog::Accepted)
            return;
        bool ok = false;
        count = input.textValue().trimmed().toInt(&ok);
        if (ok && count > 0)
            break;
        showError(this, QStringLiteral("Blanko-Zonenstrichlisten drucken"),
                  QStringLiteral("Ungültige Anzahl. Nur positive Zahlen zulässig."));
    }
    const QString name = getDiscName(currentDisciplinID);
    std::unique_ptr<TPrintManager> manager = InitPrint(true, name + QStringLiteral(" - Zonenstrichliste"), false, this);
    if (!manager)
        return;
    {
        TWaitText wait(kPrintWaitText, this);
        manager->setPrintPageNo(false);
        manager->setPageHeader(
            std::make_shared<TDisciplineListHeader>(TBarcodeType::bt_none, false, TResultformat::rf_Default));
        manager->setHeaderSpacing(150);
        manager->setFooterSpacing(30);
        manager->setPageFooter(std::make_shared<TTVPFooter>());
        const proto::ResultValueType resultType = getDiscResultValueType(currentDisciplinID);
        const TPrintTable table = TPrintTable::CreateBlancoList(count, 0, isTeamDisc(currentDisciplinID), resultType);
        auto blank = std::make_shared<TDisciplinePrintContext>(
            QStringLiteral("Blankoliste"), 0, resultType, QStringLiteral("Zonenstrichliste"), name, currentDisciplinID,
            getDiscBarcodeId(currentDisciplinID), 0, QString(), 0);
        manager->setContent(std::make_shared<TTallySheetPrintBody>(table, 120, blank, 15));
        manager->render();
    }
    endPrintJob(*manager, context().messages(), QStringLiteral("Blanko-Zonenstrichlisten drucken"), this);
}

// ---- lap-count sheets ----

void TDisciplinListForm::printLapCountSheet(int heatNo)
{
    if (currentDisciplinID == 0) {
        printMessage(kLapCountCaption, kNoDiscipline);
        return;
    }
    if (!TreeView1->isEnabled())
        return;
    auto* settings = context().windows().get<TLapCountSheetForm>(TWindowId::LapCountSheetForm);
    if (!settings)
        return;
    int parts = 1;
    int pointsPerLap = 0; // the window keeps its value
    int blanks = 1;
    const TPrintDialogResult result =
        settings->executeLapCountSheetDialog(parts, pointsPerLap, blanks, true, heatNo == 0);
    if (result != TPrintDialogResult::pr_saveAndPrint && result != TPrintDialogResult::pr_printBlanco)
        return;
    const int attempts = getDiscAttempts(currentDisciplinID);
    if (attempts > 2 && parts > 1) {
        showInformation(this, QStringLiteral("Rundenzählblätter erstellen"),
                        QStringLiteral("Diese Disziplin hat mehr als 2 Versuche, daher ist maximal für einen Athlet "
                                       "pro Blatt ausreichend Platz."));
        Rundenzhlbltter1Click();
        return;
    }
    const bool blank = result == TPrintDialogResult::pr_printBlanco;
    std::vector<QModelIndex> nodes;
    if (!blank) {
        nodes = getNodes(heatNo);
        if (nodes.empty())
            return;
    }
    const QString name = getDiscName(currentDisciplinID);
    std::unique_ptr<TPrintManager> manager = InitPrint(true, name + QStringLiteral(" - Rundenzählblatt"), false, this);
    if (!manager)
        return;
    {
        TWaitText wait(kPrintWaitText, this);
        manager->setPageHeader(std::make_shared<TDisciplineListHeader>(
            blank ? TBarcodeType::bt_none : TBarcodeType::bt_LapCount, true, TResultformat::rf_Default));
        manager->setHeaderSpacing(150);
        manager->setFooterSpacing(30);
        manager->setPageFooter(std::make_shared<TDisciplineListFooter>());
        const bool team = isTeamDisc(currentDisciplinID);
        const proto::ResultValueType resultType = getDiscResultValueType(currentDisciplinID);
        if (!blank) {
            for (const QModelIndex& heat : nodes) {
                const TPrintTable table(heat, attempts, team, resultType, true, QStringLiteral("Bahn"));
                manager->setContent(std::make_shared<TLapCountPrintBody>(
                    table, 80, heatContext(heat, QStringLiteral("Rundenzählblatt")), pointsPerLap, parts));
                manager->render();
            }
        } else {
            manager->setPrintPageNo(false);
            const TPrintTable table = TPrintTable::CreateBlancoList(blanks * parts, attempts, team, resultType);
            auto context = std::make_shared<TDisciplinePrintContext>(
                QStringLiteral("Blankoliste"), 0, resultType, QStringLiteral("Rundenzählblatt"), name,
                currentDisciplinID, getDiscBarcodeId(currentDisciplinID), 0, QString(), 0);
            manager->setContent(std::make_shared<TLapCountPrintBody>(table, 80, context, pointsPerLap, parts));
            manager->render();
        }
    }
    endPrintJob(*manager, context().messages(), kLapCountCaption, this);
}

void TDisciplinListForm::Rundenzhlbltter1Click()
{
    if (!printable() || !checkNoOfParticipants())
        return;
    printLapCountSheet(0);
}

void TDisciplinListForm::Rundenzhlbltter2Click()
{
    if (!printable())
        return;
    const int heat = selectedHeatNo();
    if (heat > 0)
        printLapCountSheet(heat);
}

} // namespace tvp
