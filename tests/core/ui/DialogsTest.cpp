// The message box behind every question of the program, set up but never shown, and the text
// question, answered with the user's keys.

#include "core/ui/Dialogs.h"
#include "core/ui/FieldAids.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include <gtest/gtest.h>

#include <functional>
#include <optional>

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

namespace {

// Answers the next text question shown by the program's own dialogs with keys typed by the user.
void answerTextQuestion(const std::function<void(QInputDialog&)>& user, QStringList& seen)
{
    QTimer::singleShot(0, [&seen, user] {
        auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
        if (!dialog) {
            ADD_FAILURE() << "no text question open";
            return;
        }
        seen << dialog->windowTitle() << dialog->labelText() << dialog->textValue();
        for (QAbstractButton* b : dialog->findChildren<QAbstractButton*>())
            seen << b->text();
        user(*dialog);
    });
}

} // namespace

TEST(TextQuestion, TypedTextOrNothingOnCancel)
{
    setDialogs(nullptr);
    QStringList seen;
    answerTextQuestion(
        [](QInputDialog& d) {
            auto* edit = d.findChild<QLineEdit*>();
            ASSERT_TRUE(edit);
            edit->selectAll();
            QTest::keyClicks(edit, QStringLiteral("2"));
            QTest::keyClick(edit, Qt::Key_Return);
        },
        seen);
    EXPECT_EQ(dialogs().getText(nullptr, QStringLiteral("Laufnummer wählen"), QStringLiteral("Für welchen?"),
                                QStringLiteral("1")),
              std::optional<QString>(QStringLiteral("2")));
    EXPECT_EQ(seen.mid(0, 3), (QStringList{"Laufnummer wählen", "Für welchen?", "1"}));
    EXPECT_TRUE(seen.contains(QStringLiteral("OK")) && seen.contains(QStringLiteral("Abbrechen")))
        << seen.join('|').toStdString();

    answerTextQuestion([](QInputDialog& d) { QTest::keyClick(&d, Qt::Key_Escape); }, seen);
    EXPECT_EQ(dialogs().getText(nullptr, QStringLiteral("Frage"), QStringLiteral("?"), QStringLiteral("x")),
              std::nullopt);
}

TEST(FileDialog, DatesAndSizesShowInTheProgramsLocaleOnAMachineWithoutLanguage)
{
    // The tests run as on a machine whose locale names no language (C.UTF-8).
    ASSERT_EQ(QLocale::system().language(), QLocale::C);
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("meldung.csv")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(2048, 'x'));
    ASSERT_TRUE(file.flush());
    const QDateTime changed(QDate(2023, 12, 7), QTime(10, 30));
    ASSERT_TRUE(file.setFileTime(changed, QFileDevice::FileModificationTime));
    file.close();

    setDialogs(nullptr);
    QStringList seen;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        auto* view = dialog ? dialog->findChild<QTreeView*>(QStringLiteral("treeView")) : nullptr;
        if (!view) {
            ADD_FAILURE() << "no file dialog with its file list open";
            return;
        }
        const auto row = [view] {
            const QModelIndexList found = view->model()->match(view->model()->index(0, 0, view->rootIndex()),
                                                               Qt::DisplayRole, QStringLiteral("meldung.csv"));
            return found.value(0);
        };
        EXPECT_TRUE(QTest::qWaitFor([&] { return row().isValid(); }, 5000));
        const QModelIndex name = row();
        seen << name.siblingAtColumn(1).data().toString() << name.siblingAtColumn(3).data().toString();
        QTest::keyClick(dialog, Qt::Key_Escape);
    });
    EXPECT_EQ(dialogs().getOpenFileName(nullptr, QStringLiteral("Meldedaten öffnen"), dir.path(),
                                        QStringLiteral("CSV-Dateien (*.csv)")),
              QString());
    const QLocale german(QLocale::German, QLocale::Germany);
    EXPECT_EQ(seen, (QStringList{german.formattedDataSize(2048), german.toString(changed, QLocale::ShortFormat)}));
}

// Down picks the next entry of a choice one can type into; the letters typed then go on at its end.
TEST(Fields, TypingAfterAPickedEntryGoesWhereTheCursorIs)
{
    installFieldAids();
    QComboBox box;
    box.setEditable(true);
    box.addItems({QStringLiteral("Ergebnisliste.pdf"), QStringLiteral("Ergebnisliste.csv")});
    box.show();
    box.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&box));
    box.setFocus();
    for (const Qt::Key key : {Qt::Key_Down, Qt::Key_X})
        QTest::keyClick(QApplication::focusWidget(), key);
    EXPECT_EQ(box.currentText(), QStringLiteral("Ergebnisliste.csvx"));
}
