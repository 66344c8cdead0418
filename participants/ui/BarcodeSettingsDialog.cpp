#include "participants/ui/BarcodeSettingsDialog.h"

#include "core/connection/SlotGuard.h"
#include "core/ui/WindowContext.h"
#include "core/ui/WindowFit.h"
#include "core/ui/WindowRegistry.h"
#include "core/ui/WindowTools.h"
#include "participants/LinuxInputDevices.h"
#include "participants/ui/BarcodeInputDialog.h"

#include <QAction>
#include <QApplication>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>

namespace tvp {

TBarcodeSettingsForm::TBarcodeSettingsForm(TWindowContext& context)
    : TBarcodeSettingsForm(context, std::make_unique<TLinuxInputDevices>())
{
}

TBarcodeSettingsForm::TBarcodeSettingsForm(TWindowContext& context, std::unique_ptr<IInputDeviceLayer> layer)
    : TTVPForm(context),
      links_({{QStringLiteral("Status"), [](const TScanner& s) { return inputDeviceStatusText(s.status); }},
              {QStringLiteral("Geräte-Anschluss-ID"), [](const TScanner& s) { return s.name; }}})
{
    setWindowTitle(QStringLiteral("Barcodeeinstellungen"));
    setMinimumSize(825, 320);
    checkDirtyDataOnClose = false;

    auto* layout = new QVBoxLayout(this);
    auto* help = new QLabel(
        QStringLiteral("Hier gefundene Scanner werden mit dem Programm gekoppelt, indem Sie die Erkennung starten, "
                       "einen beliebigen Code scannen, das Gerät über dem neu erkannten Code wählen und es mit dem "
                       "Pfeil-Knopf übernehmen. Ein Scanner an einem anderen (USB-)Anschluss gilt als eigener "
                       "Scanner und wird je Anschluss gekoppelt."),
        this);
    help->setObjectName(QStringLiteral("Label3"));
    help->setWordWrap(true);
    layout->addWidget(help);
    LabelAccess = new QLabel(this);
    LabelAccess->setObjectName(QStringLiteral("LabelAccess"));
    LabelAccess->setTextFormat(Qt::PlainText);
    layout->addWidget(LabelAccess);

    auto* grid = new QGridLayout;
    auto* treeLabel = new QLabel(QStringLiteral("Erkannte Eingabegeräte"), this);
    treeLabel->setObjectName(QStringLiteral("Label2"));
    grid->addWidget(treeLabel, 0, 0);
    auto* listLabel = new QLabel(QStringLiteral("Verknüpfte Eingabegeräte"), this);
    listLabel->setObjectName(QStringLiteral("Label1"));
    grid->addWidget(listLabel, 0, 2);
    TreeView1 = new QTreeView(this);
    TreeView1->setObjectName(QStringLiteral("TreeView1"));
    TreeView1->setModel(&detected_);
    TreeView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    TreeView1->setHeaderHidden(true);
    TreeView1->setEnabled(false);
    grid->addWidget(TreeView1, 1, 0);
    Button3 = new QPushButton(QStringLiteral(">"), this);
    Button3->setObjectName(QStringLiteral("Button3"));
    Button3->setEnabled(false);
    grid->addWidget(Button3, 1, 1);
    ListView1 = new QTreeView(this);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setRootIsDecorated(false);
    ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView1->setModel(&links_);
    ListView1->header()->setSectionResizeMode(0, QHeaderView::Fixed);
    ListView1->setColumnWidth(0, 100);
    fitColumnToTexts(*ListView1, 0,
                     {inputDeviceStatusText(TInputDeviceStatus::id_Connected),
                      inputDeviceStatusText(TInputDeviceStatus::id_notconnected)},
                     100);
    ListView1->setContextMenuPolicy(Qt::CustomContextMenu);
    grid->addWidget(ListView1, 1, 2);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(2, 1);
    layout->addLayout(grid, 1);

    auto* buttons = new QHBoxLayout;
    Button1 = new QPushButton(QStringLiteral("Barcodescanner erkennen"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    buttons->addWidget(Button1);
    Button2 = new QPushButton(QStringLiteral("Erkennung beenden"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setEnabled(false);
    buttons->addWidget(Button2);
    buttons->addStretch(1);
    Button4 = new QPushButton(QStringLiteral("Barcode manuell eingeben (Strg+B)"), this);
    Button4->setObjectName(QStringLiteral("Button4"));
    buttons->addWidget(Button4);
    layout->addLayout(buttons);

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    Entfernen1 = menuAction(PopupMenu1, QStringLiteral("Entfernen1"), QStringLiteral("Entfernen"));

    connect(Button1, &QPushButton::clicked, this, [this] { guarded([this] { startDetection(); }); });
    connect(Button2, &QPushButton::clicked, this, [this] { guarded([this] { endDetection(); }); });
    connect(Button3, &QPushButton::clicked, this, [this] { guarded([this] { addSelectedDevice(); }); });
    connect(Button4, &QPushButton::clicked, this, [this] {
        guarded([this] {
            if (QWidget* box = this->context().windows().widget(TWindowId::BarcodeInputForm))
                box->show();
        });
    });
    connect(
        TreeView1->selectionModel(), &QItemSelectionModel::currentChanged, this,
        [this](const QModelIndex& current) { guarded([&] { Button3->setEnabled(detected_.handle(current) != 0); }); });
    connect(Entfernen1, &QAction::triggered, this, [this] { guarded([this] { removeSelectedLink(); }); });
    connect(ListView1, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        guarded([&] {
            Entfernen1->setEnabled(ListView1->currentIndex().isValid());
            PopupMenu1->popup(ListView1->viewport()->mapToGlobal(at));
        });
    });
    onKey(*ListView1, Qt::Key_Delete, [this] { removeSelectedLink(); });

    scanners_ = std::make_unique<TScannerInput>(std::move(layer),
                                                [this](const QString& code) { guarded([&] { doNotifyCode(code); }); });
    scanners_->onListChanged = [this] { guarded([this] { RefreshListView(); }); };
    scanners_->onDetected = [this] { guarded([this] { RefreshTree(); }); };
    scanners_->onDetectEnded = [this] { guarded([this] { endDetection(); }); };
    scanners_->start();
    RefreshListView();
}

TBarcodeSettingsForm::~TBarcodeSettingsForm() = default;

void TBarcodeSettingsForm::reloadData()
{
    scanners_->refresh();
}

void TBarcodeSettingsForm::hideEvent(QHideEvent* event)
{
    guarded([this] {
        endDetection();
        detected_.clear();
    });
    TTVPForm::hideEvent(event);
}

void TBarcodeSettingsForm::RefreshListView()
{
    LabelAccess->setText(scanners_->accessText());
    LabelAccess->setVisible(!LabelAccess->text().isEmpty());
    std::vector<TScanner> links = scanners_->registeredScanners();
    std::sort(links.begin(), links.end(), [](const TScanner& a, const TScanner& b) { return a.name < b.name; });
    links_.setRecords(std::move(links));
    ListView1->resizeColumnToContents(1);
}

void TBarcodeSettingsForm::RefreshTree()
{
    if (!scanners_->detectMode())
        return;
    const quint32 current = detected_.handle(TreeView1->currentIndex());
    detected_.setDetected(scanners_->detectedInput());
    const QModelIndex device = detected_.deviceIndex(current);
    if (device.isValid())
        TreeView1->setCurrentIndex(device);
    TreeView1->expandAll();
}

void TBarcodeSettingsForm::startDetection()
{
    Button1->setEnabled(false);
    Button2->setEnabled(true);
    detected_.showWaiting();
    TreeView1->setEnabled(true);
    scanners_->setDetectMode(true);
}

void TBarcodeSettingsForm::endDetection()
{
    if (scanners_->detectMode())
        scanners_->setDetectMode(false);
    Button3->setEnabled(false);
    Button2->setEnabled(false);
    Button1->setEnabled(true);
}

void TBarcodeSettingsForm::addSelectedDevice()
{
    const QModelIndex current = TreeView1->currentIndex();
    if (detected_.handle(current) == 0)
        return;
    scanners_->addActiveScanner(detected_.deviceName(current));
    RefreshListView();
}

void TBarcodeSettingsForm::removeSelectedLink()
{
    const QModelIndex current = ListView1->currentIndex();
    if (!current.isValid())
        return;
    scanners_->removeActiveScanner(links_.record(current.row()).name);
    RefreshListView();
}

void TBarcodeSettingsForm::doNotifyCode(const QString& code)
{
    if (code.isEmpty())
        return;
    if (QWidget* main = context().windows().widget(TWindowId::MainForm)) {
        main->raise();
        main->activateWindow();
    }
    if (TBarcodeInputForm* box = BarcodeInputForm())
        box->processBarcode(code);
    else if (barcodeDispatcher().processBarcode(code) == TBarcodeDispatcher::Outcome::Refused)
        context().messages().AddWarning(-1, {}, QStringLiteral("Ungültiger Barcode"),
                                        QStringLiteral("Barcode-Leser-Eingabe"), this);
}

} // namespace tvp
