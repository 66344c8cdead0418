#include "participants/ui/BarcodeSettingsDialog.h"

#include "core/connection/SlotGuard.h"
#include "core/ui/WindowContext.h"
#include "core/ui/WindowRegistry.h"
#include "participants/LinuxInputDevices.h"
#include "participants/ui/BarcodeInputDialog.h"
#include "participants/ui/ParticipantWindowTools.h"

#include <QAction>
#include <QApplication>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace tvp {

namespace {

constexpr int kHandleRole = Qt::UserRole;
const QString kDetectRoot = QStringLiteral("Scannen Sie einen beliebigen Code um den Scanner zu erkennen...");

} // namespace

TBarcodeSettingsForm::TBarcodeSettingsForm(TWindowContext& context)
    : TBarcodeSettingsForm(context, std::make_unique<TLinuxInputDevices>())
{
}

TBarcodeSettingsForm::TBarcodeSettingsForm(TWindowContext& context, std::unique_ptr<IInputDeviceLayer> layer)
    : TTVPForm(context)
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
    TreeView1 = new QTreeWidget(this);
    TreeView1->setObjectName(QStringLiteral("TreeView1"));
    TreeView1->setHeaderHidden(true);
    TreeView1->setEnabled(false);
    grid->addWidget(TreeView1, 1, 0);
    Button3 = new QPushButton(QStringLiteral(">"), this);
    Button3->setObjectName(QStringLiteral("Button3"));
    Button3->setEnabled(false);
    grid->addWidget(Button3, 1, 1);
    ListView1 = new QTreeWidget(this);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setRootIsDecorated(false);
    ListView1->setHeaderLabels({QStringLiteral("Status"), QStringLiteral("Geräte-Anschluss-ID")});
    ListView1->header()->setSectionResizeMode(0, QHeaderView::Fixed);
    ListView1->setColumnWidth(0, 100);
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
    connect(TreeView1, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        guarded([&] { Button3->setEnabled(item && item->data(0, kHandleRole).toUInt() != 0); });
    });
    connect(Entfernen1, &QAction::triggered, this, [this] { guarded([this] { removeSelectedLink(); }); });
    connect(ListView1, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        guarded([&] {
            Entfernen1->setEnabled(ListView1->currentItem() != nullptr);
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
        TreeView1->clear();
    });
    TTVPForm::hideEvent(event);
}

void TBarcodeSettingsForm::RefreshListView()
{
    LabelAccess->setText(scanners_->accessText());
    LabelAccess->setVisible(!LabelAccess->text().isEmpty());
    std::vector<TScanner> links = scanners_->registeredScanners();
    std::sort(links.begin(), links.end(), [](const TScanner& a, const TScanner& b) { return a.name < b.name; });
    ListView1->clear();
    for (const TScanner& s : links) {
        auto* item = new QTreeWidgetItem(ListView1, {inputDeviceStatusText(s.status), s.name});
        item->setData(0, kHandleRole, s.handle);
    }
    ListView1->resizeColumnToContents(1);
}

void TBarcodeSettingsForm::RefreshTree()
{
    if (!scanners_->detectMode())
        return;
    const quint32 current = TreeView1->currentItem() ? TreeView1->currentItem()->data(0, kHandleRole).toUInt() : 0;
    TreeView1->clear();
    auto* root = new QTreeWidgetItem(TreeView1, {QStringLiteral("Verfügbare Eingabegeräte")});
    for (const TDetectedInput& input : scanners_->detectedInput()) {
        auto* device = new QTreeWidgetItem(root, {input.name});
        device->setData(0, kHandleRole, input.handle);
        new QTreeWidgetItem(device, {QStringLiteral("Erkannte Eingabe: ") + input.text});
        if (input.handle == current)
            TreeView1->setCurrentItem(device);
    }
    TreeView1->expandAll();
}

void TBarcodeSettingsForm::startDetection()
{
    Button1->setEnabled(false);
    Button2->setEnabled(true);
    TreeView1->clear();
    new QTreeWidgetItem(TreeView1, {kDetectRoot});
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
    const QTreeWidgetItem* item = TreeView1->currentItem();
    if (!item || item->data(0, kHandleRole).toUInt() == 0)
        return;
    scanners_->addActiveScanner(item->text(0));
    RefreshListView();
}

void TBarcodeSettingsForm::removeSelectedLink()
{
    const QTreeWidgetItem* item = ListView1->currentItem();
    if (!item)
        return;
    scanners_->removeActiveScanner(item->text(1));
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
