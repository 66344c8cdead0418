#include "core/ui/WaitDialog.h"

#include "core/connection/CommunicationThread.h"

#include <QCoreApplication>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QVBoxLayout>

namespace tvp {

namespace {

constexpr int kWidth = 340;
constexpr int kHeight = 105;
constexpr int kBannerHeight = 64;

QPixmap banner()
{
    QPixmap pixmap(kWidth, kBannerHeight);
    QPainter painter(&pixmap);
    QLinearGradient gradient(0, 0, kWidth, 0);
    gradient.setColorAt(0, QColor(0x1f, 0x4e, 0x8c));
    gradient.setColorAt(1, QColor(0x4a, 0x9a, 0xd4));
    painter.fillRect(pixmap.rect(), gradient);
    painter.setPen(Qt::white);
    QFont font = painter.font();
    font.setPixelSize(24);
    font.setBold(true);
    painter.setFont(font);
    painter.drawText(pixmap.rect().adjusted(16, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft,
                     QStringLiteral("Trivanta Pentrel"));
    return pixmap;
}

} // namespace

TForm10::TForm10(QWidget* parent) : TForm10(programContext(), parent)
{
}

TForm10::TForm10(TWindowContext& context, QWidget* parent)
    : TTVPForm(context, parent),
      Image1(new QLabel(this)),
      Shape1(new QFrame(this)),
      Label1(new QLabel(QStringLiteral("Datenbank wird aktualisiert..."), this))
{
    setObjectName(QStringLiteral("Form10"));
    setWindowTitle(QStringLiteral("Bitte warten..."));
    // Keys typed while it shows belong to the window the user types in.
    setWindowFlags(Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowDoesNotAcceptFocus);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    setFixedSize(kWidth, kHeight);
    setSizeableBorder(false);

    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setFixedSize(kWidth, kBannerHeight);
    Image1->setPixmap(banner());
    Shape1->setObjectName(QStringLiteral("Shape1"));
    Shape1->setFixedSize(kWidth, 2);
    Shape1->setAutoFillBackground(true);
    Shape1->setPalette(QPalette(Qt::black, Qt::black));
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setAlignment(Qt::AlignCenter);
    // Wait texts may name what the user entered; never read as markup.
    Label1->setTextFormat(Qt::PlainText);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(Image1);
    layout->addWidget(Shape1);
    layout->addWidget(Label1, 1);

    context.offer(static_cast<IWaitTexts*>(this));
}

TForm10::~TForm10()
{
    context().withdraw(static_cast<IWaitTexts*>(this));
}

void TForm10::showWait(const QString& text, QObject* onScreenOf)
{
    auto* window = qobject_cast<QWidget*>(onScreenOf);
    Showwaitdialog(text, window ? window->screen() : nullptr);
}

void TForm10::Showwaitdialog(const QString& text, QScreen* monitor)
{
    Strings.append(text);
    showCurrentText();

    if (!monitor)
        monitor = QGuiApplication::primaryScreen();
    const QRect bounds = monitor ? monitor->geometry() : QRect();
    move(bounds.left() + bounds.width() / 2 - width() / 2, bounds.top() + qRound(bounds.height() / 2.618 - height()));

    show();
    // Painted now: the caller is about to block the GUI thread. The window system needs a turn of
    // the event loop to map the window; finished requests must not run inside the caller then.
    {
        THandBackHold hold;
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
    repaint();
}

void TForm10::CloseWaitdialog(const QString& text)
{
    Strings.removeOne(text);
    if (Strings.isEmpty())
        hide();
    else
        showCurrentText();
}

void TForm10::showCurrentText()
{
    Label1->setText(Strings.last());
}

} // namespace tvp
