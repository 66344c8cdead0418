#include "core/ui/InfoDialog.h"

#include "core/connection/CommunicationThread.h"
#include "core/connection/CompetitionUrlHolder.h"
#include "core/ui/Dialogs.h"
#include "core/ui/EulaDialog.h"
#include "core/ui/MainWindowServices.h"
#include "core/ui/WindowContext.h"
#include "core/ui/WindowRegistry.h"
#include "core/util/ProgramVersion.h"
#include "core/connection/SlotGuard.h"
#include "core/protocol/TVPWebServices2.h"
#include "core/ui/WindowFit.h"

#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QUrl>
#include <QVBoxLayout>

namespace tvp {

namespace {

const QColor kBannerColour(0x1f, 0x5f, 0xa8);

int versionPart(const QStringList& parts, int index)
{
    bool ok = false;
    const int value = parts.value(index).toInt(&ok);
    return ok ? value : -1;
}

QPixmap drawLogo()
{
    QPixmap pixmap(280, 48);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    // Three rings for the stations the teams go through.
    p.setPen(QPen(Qt::white, 3));
    for (int i = 0; i < 3; ++i)
        p.drawEllipse(QPointF(16 + i * 14, 24), 10, 10);
    QFont font = p.font();
    font.setBold(true);
    font.setPixelSize(22);
    p.setFont(font);
    p.drawText(QRect(64, 0, 216, 48), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Trivanta Pentrel"));
    return pixmap;
}

QPixmap drawPodium()
{
    QPixmap pixmap(300, 180);
    pixmap.fill(Qt::white);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    struct Step {
        int x, height, place;
        QColor colour;
    };
    const Step steps[] = {{40, 60, 2, QColor(0xc0, 0xc0, 0xc0)},
                          {120, 90, 1, QColor(0xe0, 0xb0, 0x20)},
                          {200, 40, 3, QColor(0xc0, 0x80, 0x40)}};
    QFont font = p.font();
    font.setBold(true);
    font.setPixelSize(24);
    p.setFont(font);
    for (const Step& s : steps) {
        const QRect block(s.x, 170 - s.height, 70, s.height);
        p.fillRect(block, kBannerColour);
        p.setPen(Qt::white);
        p.drawText(block, Qt::AlignCenter, QString::number(s.place));
        p.setPen(Qt::NoPen);
        p.setBrush(s.colour);
        p.drawEllipse(QPointF(s.x + 35, 170 - s.height - 22), 16, 16);
    }
    return pixmap;
}

} // namespace

const QString TInfoForm::kWebPage = QStringLiteral("https://www.trivanta.example/");

TInfoForm* InfoForm()
{
    return programWindows().get<TInfoForm>(TWindowId::InfoForm);
}

TInfoForm::TInfoForm(QWidget* parent) : TInfoForm(programContext(), QStringLiteral(TVP_VERSION_TEXT), parent)
{
}

TInfoForm::TInfoForm(TWindowContext& context, QWidget* parent)
    : TInfoForm(context, QStringLiteral(TVP_VERSION_TEXT), parent)
{
}

TInfoForm::TInfoForm(const QString& fileVersion, QWidget* parent) : TInfoForm(programContext(), fileVersion, parent)
{
}

TInfoForm::TInfoForm(TWindowContext& context, const QString& fileVersion, QWidget* parent)
    : TTVPForm(context, parent),
      Shape1(new QFrame(this)),
      Image1(new QLabel(Shape1)),
      DescriptionLabel(
          new QLabel(QStringLiteral("Programm zur Modellierung und Auswertung von Sportveranstaltungen."), this)),
      VersionLabel(new QLabel(this)),
      ServerVersionLabel(new QLabel(this)),
      LinkLabel(new QLabel(this)),
      EulaLabel(new QLabel(this)),
      Image2(new QLabel(this))
{
    setObjectName(QStringLiteral("InfoForm"));
    setWindowTitle(QStringLiteral("Trivanta Pentrel - Informationen"));
    resize(460, 300);

    Shape1->setObjectName(QStringLiteral("Shape1"));
    Shape1->setAutoFillBackground(true);
    QPalette banner = Shape1->palette();
    banner.setColor(QPalette::Window, kBannerColour);
    Shape1->setPalette(banner);
    Shape1->setFixedHeight(64);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setPixmap(drawLogo());
    Image1->setCursor(Qt::PointingHandCursor);
    auto* bannerLayout = new QHBoxLayout(Shape1);
    bannerLayout->addWidget(Image1);
    bannerLayout->addStretch();

    DescriptionLabel->setObjectName(QStringLiteral("DescriptionLabel"));
    DescriptionLabel->setWordWrap(true);
    VersionLabel->setObjectName(QStringLiteral("VersionLabel"));
    VersionLabel->setTextFormat(Qt::PlainText);
    ServerVersionLabel->setObjectName(QStringLiteral("ServerVersionLabel"));
    ServerVersionLabel->setTextFormat(Qt::PlainText);
    ServerVersionLabel->hide();
    LinkLabel->setObjectName(QStringLiteral("LinkLabel"));
    LinkLabel->setText(QStringLiteral("<a href=\"%1\">%1</a>").arg(kWebPage));
    EulaLabel->setObjectName(QStringLiteral("EulaLabel"));
    EulaLabel->setText(QStringLiteral("<a href=\"#\">Lizenzinformationen anzeigen</a>"));
    Image2->setObjectName(QStringLiteral("Image2"));
    Image2->setPixmap(drawPodium());
    Image2->setAlignment(Qt::AlignCenter);
    Image2->setAutoFillBackground(true);
    Image2->hide();

    auto* body = new QVBoxLayout;
    body->setContentsMargins(16, 12, 16, 16);
    body->addWidget(DescriptionLabel);
    body->addSpacing(8);
    body->addWidget(VersionLabel);
    body->addWidget(ServerVersionLabel);
    body->addStretch();
    body->addWidget(LinkLabel);
    body->addWidget(EulaLabel);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(Shape1);
    layout->addLayout(body, 1);

    connect(LinkLabel, &QLabel::linkActivated, this, [this] { guarded([this] { openWebPage(); }); });
    connect(EulaLabel, &QLabel::linkActivated, this, [this] {
        guarded([this] {
            if (auto* eula = this->context().windows().get<TEulaForm>(TWindowId::EulaForm))
                eula->showEULA();
        });
    });
    Image1->installEventFilter(this);
    Shape1->installEventFilter(this);
    Image2->installEventFilter(this);

    if (fileVersion.isEmpty()) {
        VersionLabel->setText(QStringLiteral("Version unbekannt"));
    } else {
        VersionLabel->setText(QStringLiteral("Version ") + fileVersion);
        const QStringList parts = fileVersion.split(u'.');
        FMajor = versionPart(parts, 0);
        FMinor = versionPart(parts, 1);
        FRelease = versionPart(parts, 2);
    }
    fitToTexts(*this);
}

TInfoForm::~TInfoForm() = default;

void TInfoForm::LoadServerVersion()
{
    ServerVersionLabel->hide();
    try {
        const auto service = proto::GetProgrammInfoWebService(
            false, competitionUrlHolderInstance().getFullUrl(proto::TTVPWebServices::PIS));
        proto::getBackendVersionResponse1 answer;
        {
            // Released on every path: a lost slot would leave the whole program one channel short.
            ChannelGuard slot;
            answer = service->getBackendVersion();
        }
        if (!answer.version)
            throw TvpError(QStringLiteral("Der Server hat keine Version genannt."));
        const proto::GenericTvpVersion& v = *answer.version;
        ServerVersionLabel->setText(
            QStringLiteral("Server-Version: %1.%2.%3").arg(v.majorVersion).arg(v.minorVersion).arg(v.buildNumber));
        ServerVersionLabel->show();
    } catch (const std::exception& e) {
        const auto* tvp = dynamic_cast<const TvpError*>(&e);
        const QString message = tvp ? tvp->message() : QString::fromUtf8(e.what());
        // Id 0, not -1: the window is usually hidden when the chooser reloads, and the message
        // window drops id -1 messages of hidden callers.
        context().messages().AddException(0, {},
                                          QStringLiteral("Serverversion konnte nicht abgerufen werden: ") + message,
                                          QStringLiteral("Serverversion abrufen"), this);
    }
}

void TInfoForm::openWebPage()
{
    shellOpen(
        QUrl(kWebPage),
        [this] {
            context().messages().AddException(
                0, {},
                QStringLiteral("Die Webseite %1 konnte nicht geöffnet werden. Stellen Sie sicher, "
                               "dass ein Internet-Browser zum Öffnen von Links eingerichtet ist.")
                    .arg(kWebPage),
                QStringLiteral("Webseite starten"), this);
        },
        this);
}

void TInfoForm::bannerPressed()
{
    if (++bannerPresses_ == 4) {
        placePicture();
        Image2->show();
        Image2->raise();
    }
}

void TInfoForm::FormShow()
{
    bannerPresses_ = 0;
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.x() + area.width() / 2 - width() / 2, area.y() + qRound(area.height() / 2.618));
    }
}

void TInfoForm::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    TTVPForm::keyPressEvent(event);
}

void TInfoForm::resizeEvent(QResizeEvent* event)
{
    TTVPForm::resizeEvent(event);
    placePicture();
}

void TInfoForm::placePicture()
{
    // Over the text below the banner.
    const int top = Shape1->height();
    Image2->setGeometry(0, top, width(), height() - top);
}

bool TInfoForm::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::MouseButtonPress)
        return TTVPForm::eventFilter(watched, event);
    guarded([this, watched] {
        if (watched == Image1)
            openWebPage();
        else if (watched == Shape1)
            bannerPressed();
        else if (watched == Image2)
            Image2->hide();
    });
    return watched == Image1 || watched == Shape1 || watched == Image2;
}

} // namespace tvp
