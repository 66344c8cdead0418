#include "scoring/ui/DocSetupForm.h"

#include "core/connection/CurrentCompetition.h"
#include "core/ui/Dialogs.h"
#include "core/connection/SlotGuard.h"
#include "core/ui/WindowContext.h"

#include <QButtonGroup>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace tvp {

namespace {

std::vector<TRecordListModel<TDocListRow>::Column> listColumns(bool certificates)
{
    auto path = [](const TDocListRow& r) { return r.path; };
    if (certificates)
        return {{QStringLiteral("Auswertung"), [](const TDocListRow& r) { return r.caption; }},
                {QStringLiteral("Typ"), [](const TDocListRow& r) { return r.type; }},
                {QStringLiteral("Ursprung"), [](const TDocListRow& r) { return r.origin; }},
                {QStringLiteral("Pfad"), path}};
    return {{QStringLiteral("Veranstaltung"), [](const TDocListRow& r) { return r.caption; }},
            {QStringLiteral("Pfad"), path}};
}

QLabel* noteLabel(QWidget* parent, const QStringList& lines)
{
    auto* label = new QLabel(lines.join(u'\n'), parent);
    label->setIndent(20);
    return label;
}

} // namespace

TDocSetupForm::TDocSetupForm(TWindowContext& context, const TDocKind& kind, TDocSetupTexts texts,
                             const QString& sortIdentifier)
    : TTVPForm(context),
      kind_(kind),
      texts_(std::move(texts)),
      rows_(listColumns(texts_.certificateColumns)),
      sorted_(sortIdentifier, [this](const QAbstractItemModel& model, int column, int row1, int row2, bool descending) {
          if (!FFirstSort || !firstOrdering())
              return CompareListRows(model, column, row1, row2, descending);
          const int order = compareCertDocRows(rows_.record(row1), rows_.record(row2),
                                               this->context().competition().getCompetitionId(false));
          return descending ? -order : order;
      })
{
    buildLayout();
    sorted_.setSourceModel(&rows_);
    ListView1->setModel(&sorted_);
}

void TDocSetupForm::buildLayout()
{
    topLayout_ = new QVBoxLayout(this);
    GroupBox1 = new QGroupBox(texts_.groupTitle, this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    auto* group = new QVBoxLayout(GroupBox1);
    options_ = new QButtonGroup(this);
    RadioButton1 = new QRadioButton(QStringLiteral("aus Standardvorlage einrichten"), GroupBox1);
    RadioButton1->setObjectName(QStringLiteral("RadioButton1"));
    RadioButton2 = new QRadioButton(texts_.existingOption, GroupBox1);
    RadioButton2->setObjectName(QStringLiteral("RadioButton2"));
    RadioButton3 = new QRadioButton(QStringLiteral("manuell einrichten"), GroupBox1);
    RadioButton3->setObjectName(QStringLiteral("RadioButton3"));
    ListView1 = new QTreeView(GroupBox1);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setRootIsDecorated(false);
    ListView1->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView1->setAlternatingRowColors(true);
    ListView1->setMinimumHeight(110);
    ListView1->header()->setSectionsClickable(true);
    ListView1->header()->setStretchLastSection(true);
    int id = 0;
    for (QRadioButton* option : {RadioButton1, RadioButton2, RadioButton3})
        options_->addButton(option, id++);
    group->addWidget(RadioButton1);
    group->addWidget(noteLabel(GroupBox1, texts_.standardNotes));
    group->addWidget(RadioButton2);
    group->addWidget(noteLabel(GroupBox1, texts_.existingNotes));
    group->addWidget(ListView1, 1);
    group->addWidget(RadioButton3);
    group->addWidget(noteLabel(GroupBox1, texts_.manualNotes));
    topLayout_->addWidget(GroupBox1, 1);

    auto* tip = new QLabel(QStringLiteral("Tipp:"), this);
    tip->setObjectName(QStringLiteral("TipLabel"));
    tip->setStyleSheet(QStringLiteral("font-weight: bold;"));
    topLayout_->addWidget(tip);
    topLayout_->addWidget(noteLabel(this, texts_.tipLines));
    auto* attention = new QLabel(QStringLiteral("Achtung:"), this);
    attention->setObjectName(QStringLiteral("AttentionLabel"));
    attention->setStyleSheet(QStringLiteral("font-weight: bold; background-color: yellow;"));
    topLayout_->addWidget(attention);
    QLabel* attentionText = noteLabel(this, texts_.attentionLines);
    attentionText->setStyleSheet(QStringLiteral("background-color: yellow;"));
    topLayout_->addWidget(attentionText);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    Button1 = new QPushButton(QStringLiteral("Abbrechen"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button2 = new QPushButton(texts_.confirmButton, this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setDefault(true);
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    topLayout_->addLayout(buttons);

    connect(Button1, &QPushButton::clicked, this, [this] { guarded([this] { hide(); }); });
    connect(Button2, &QPushButton::clicked, this, [this] { guarded([this] { Button2Click(); }); });
    connect(options_, &QButtonGroup::idToggled, this, [this](int, bool checked) {
        if (checked)
            guarded([this] { optionChanged(); });
    });
    connect(ListView1->header(), &QHeaderView::sectionClicked, this, [this](int column) {
        guarded([this, column] {
            FFirstSort = false;
            sorted_.SortListView(column, true);
        });
    });
}

void TDocSetupForm::reloadData()
{
    if (RadioButton2->isChecked())
        optionChanged();
}

void TDocSetupForm::resizeEvent(QResizeEvent* event)
{
    TTVPForm::resizeEvent(event);
    for (int c = 0; c + 1 < rows_.columnCount(); ++c)
        ListView1->resizeColumnToContents(c);
}

void TDocSetupForm::execDialog()
{
    rows_.setRecords({});
    pathIndex = -1;
    RadioButton1->setChecked(true);
    optionChanged();
    context().dialogs().execModal(*this);
}

void TDocSetupForm::notifyStatusChange(TDocPathStatus status, const QString& path, int contextId, int extra)
{
    if (const IDocSetupForm::StatusHandler handler = statusHandler())
        handler(status, path, contextId, extra);
}

void TDocSetupForm::optionChanged()
{
    if (!RadioButton2->isChecked()) {
        Button2->setEnabled(true);
        return;
    }
    Button2->setEnabled(false);
    showPlaceholder(texts_.loadingText);
    queuePathList();
}

void TDocSetupForm::showPlaceholder(const QString& text)
{
    TDocListRow row;
    row.caption = text;
    row.placeholder = true;
    pathIndex = -1;
    rows_.setRecords({row});
    ListView1->setEnabled(false);
}

void TDocSetupForm::clearList()
{
    pathIndex = -1;
    rows_.setRecords({});
}

void TDocSetupForm::fillList(std::vector<TDocListRow> rows)
{
    if (rows.empty()) {
        showPlaceholder(texts_.emptyText);
        if (RadioButton2->isChecked())
            Button2->setEnabled(false);
        return;
    }
    pathIndex = rows_.columnCount() - 1;
    FFirstSort = true;
    rows_.setRecords(std::move(rows));
    // Unsorted (the server's order) until a column is clicked, unless the window has an ordering.
    if (firstOrdering())
        sorted_.resort();
    for (int c = 0; c + 1 < rows_.columnCount(); ++c)
        ListView1->resizeColumnToContents(c);
    ListView1->setEnabled(true);
    if (RadioButton2->isChecked())
        Button2->setEnabled(true);
}

const TDocListRow* TDocSetupForm::selectedRow() const
{
    const QModelIndexList selected = ListView1->selectionModel()->selectedRows();
    if (selected.isEmpty() || !ListView1->isEnabled())
        return nullptr;
    const QModelIndex source = sorted_.mapToSource(selected.first());
    if (!source.isValid())
        return nullptr;
    const TDocListRow& row = rows_.record(source.row());
    return row.placeholder ? nullptr : &row;
}

QString TDocSetupForm::startFolder() const
{
    if (lastTarget_.isEmpty())
        return {};
    const QFileInfo folder(QFileInfo(lastTarget_).absolutePath());
    return folder.isDir() ? folder.absoluteFilePath() : QString();
}

void TDocSetupForm::message(const QString& caption, const QString& text)
{
    context().messages().AddException(0, {}, text, caption, this);
}

void TDocSetupForm::pathAnswered(TCertDocSetupRequestType type, const QString& path, int id, int extra)
{
    switch (type) {
    case TCertDocSetupRequestType::rt_getPath: notifyStatusChange(TDocPathStatus::dps_loaded, path, id, extra); break;
    case TCertDocSetupRequestType::rt_setPath:
        notifyStatusChange(TDocPathStatus::dps_completed, path, id, extra);
        break;
    case TCertDocSetupRequestType::rt_removePath: notifyStatusChange(TDocPathStatus::dps_removed, {}, id, extra); break;
    case TCertDocSetupRequestType::rt_getPathList: break;
    }
}

void TDocSetupForm::requestFailed(TCertDocSetupRequestType type, const TRequestOutcome& outcome, bool hasResponse,
                                  const QString& requestName, const QString& path, int id, int extra)
{
    if (!hasResponse) {
        context().messages().AddException(outcome.errorId, outcome.parameters, outcome.error,
                                          failureCaption(outcome, requestName), this);
        return;
    }
    switch (type) {
    case TCertDocSetupRequestType::rt_getPathList: clearList(); break;
    case TCertDocSetupRequestType::rt_setPath:
        message(requestName, texts_.storeFailedText);
        notifyStatusChange(TDocPathStatus::dps_error_setting, path, id, extra);
        break;
    case TCertDocSetupRequestType::rt_removePath:
        notifyStatusChange(TDocPathStatus::dps_error_removing, {}, id, extra);
        break;
    case TCertDocSetupRequestType::rt_getPath: break;
    }
    context().messages().AddException(outcome.errorId, outcome.parameters, outcome.error, requestName, this);
}

void TDocSetupForm::Button2Click()
{
    if (!beforeLinking())
        return;
    QString source;
    if (RadioButton1->isChecked()) {
        source = standardTemplatePath(kind_);
        if (!QFileInfo::exists(source)) {
            message(kind_.missingTemplateCaption, QStringLiteral("Standardvorlage konnte nicht unter \"") +
                                                      QDir::toNativeSeparators(source) +
                                                      QStringLiteral("\" gefunden werden."));
            return;
        }
    } else if (RadioButton2->isChecked()) {
        const TDocListRow* row = selectedRow();
        if (!row) {
            message(kind_.noSelectionCaption, kind_.noSelectionText);
            return;
        }
        source = row->path;
    } else {
        const QString document = context().dialogs().getOpenFileName(this, QStringLiteral("Dokument auswählen"),
                                                                     startFolder(), QStringLiteral("Alle Dateien (*)"));
        if (document.isEmpty() || !QFileInfo(document).isFile())
            return;
        FDataFile = QFileInfo(document).absoluteDir().filePath(dataFileName());
        if (!touchFile(FDataFile)) {
            message(QStringLiteral("Vorlage anlegen"), touchFileFailureText(FDataFile));
            return;
        }
        lastTarget_ = document;
        storePath(document);
        hide();
        return;
    }

    const QString suffix = QFileInfo(source).suffix();
    QString proposed = suggestedTargetName() + (suffix.isEmpty() ? QString() : u'.' + suffix);
    if (const QString folder = startFolder(); !folder.isEmpty())
        proposed = QDir(folder).filePath(proposed);
    const QString target =
        context().dialogs().getSaveFileNameWithSuffix(this, QStringLiteral("Dokument speichern unter"), proposed,
                                                      QStringLiteral("Dokument (*.docx);;Alle Dateien (*)"), suffix);
    if (target.isEmpty())
        return;
    lastTarget_ = target;
    FDataFile = QFileInfo(target).absoluteDir().filePath(dataFileName());
    const TLinkOutcome outcome = linkDocument(kind_, source, target, FDataFile);
    for (const TLinkMessage& m : outcome.messages)
        message(m.caption, m.text);
    if (!outcome.store)
        return;
    storePath(QFileInfo(target).absoluteFilePath());
    hide();
}

} // namespace tvp
