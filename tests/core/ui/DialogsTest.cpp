// The message box behind every question of the program, set up but never shown.

#include "core/ui/Dialogs.h"

#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace tvp;

namespace {

QString textOf(const QAbstractButton* button)
{
    return button ? button->text() : QStringLiteral("(keiner)");
}

} // namespace

TEST(MessageBox, NamesThatLookLikeMarkupAreShownAsWritten)
{
    const QString text = QStringLiteral("Soll die Veranstaltung \"<b>x</b> <img src=\"file:///etc/passwd\">\" "
                                        "wirklich gelöscht werden?");
    const auto box = makeMessageBox(nullptr, QStringLiteral("Veranstaltung löschen"), text, TMsgKind::Question,
                                    TMsgButtons::YesNo, TMsgAnswer::No);
    EXPECT_EQ(box->textFormat(), Qt::PlainText);
    auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
    ASSERT_TRUE(label);
    EXPECT_EQ(label->textFormat(), Qt::PlainText);
    EXPECT_EQ(label->text(), text);
    EXPECT_EQ(box->windowTitle(), QStringLiteral("Veranstaltung löschen"));
}

TEST(MessageBox, EnterPressesTheDefaultAnswerAndEscapeNoOrCancel)
{
    struct Case {
        TMsgButtons buttons;
        TMsgAnswer defaultAnswer;
        QString enter;
        QString escape;
    };
    const Case cases[] = {
        {TMsgButtons::YesNo, TMsgAnswer::Yes, QStringLiteral("Ja"), QStringLiteral("Nein")},
        {TMsgButtons::YesNo, TMsgAnswer::No, QStringLiteral("Nein"), QStringLiteral("Nein")},
        {TMsgButtons::YesNoCancel, TMsgAnswer::Yes, QStringLiteral("Ja"), QStringLiteral("Abbrechen")},
        {TMsgButtons::YesNoCancel, TMsgAnswer::Cancel, QStringLiteral("Abbrechen"), QStringLiteral("Abbrechen")},
        {TMsgButtons::Ok, TMsgAnswer::Yes, QStringLiteral("OK"), QStringLiteral("(keiner)")},
    };
    for (const Case& c : cases) {
        const auto box = makeMessageBox(nullptr, QStringLiteral("Frage"), QStringLiteral("?"), TMsgKind::Question,
                                        c.buttons, c.defaultAnswer);
        EXPECT_EQ(textOf(box->defaultButton()), c.enter);
        EXPECT_EQ(textOf(box->escapeButton()), c.escape);
    }
}

TEST(MessageBox, EachButtonGivesItsAnswer)
{
    const auto box = makeMessageBox(nullptr, QStringLiteral("Frage"), QStringLiteral("?"), TMsgKind::Warning,
                                    TMsgButtons::YesNoCancel, TMsgAnswer::No);
    EXPECT_EQ(messageBoxAnswer(*box), TMsgAnswer::Cancel) << "closed without a click: the escape button";
    const std::pair<const char*, TMsgAnswer> expected[] = {
        {"Ja", TMsgAnswer::Yes}, {"Nein", TMsgAnswer::No}, {"Abbrechen", TMsgAnswer::Cancel}};
    for (const auto& [text, answer] : expected) {
        for (QAbstractButton* b : box->buttons())
            if (b->text() == QLatin1String(text))
                b->click();
        EXPECT_EQ(messageBoxAnswer(*box), answer) << text;
    }
    const auto ok = makeMessageBox(nullptr, QStringLiteral("Hinweis"), QStringLiteral("!"), TMsgKind::Information,
                                   TMsgButtons::Ok, TMsgAnswer::Yes);
    EXPECT_EQ(messageBoxAnswer(*ok), TMsgAnswer::Ok);
}
