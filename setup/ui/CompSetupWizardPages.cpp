// The wizard's fixed pages. Until the competition-type, metadata and age-class pages are built, the
// first page holds only the inputs of the quick path and the others pass through.

#include "core/ui/DateEdit.h"
#include "core/ui/Dialogs.h"
#include "setup/CompetitionType.h"
#include "setup/ui/CompSetupWizardDialog.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QLineEdit>

namespace tvp {

namespace {

class TCompTypePageInfo : public TWizardPageInfo, public ICompTypePage {
public:
    explicit TCompTypePageInfo(TCompSetupWizardForm& wizard)
        : TWizardPageInfo(kWizardCloseMessage, false, QStringLiteral("Weiter")), wizard_(wizard)
    {
        QWidget* sheet = wizard.compTypeSheet();
        CompNameEdit = new QLineEdit(sheet);
        CompNameEdit->setObjectName(QStringLiteral("CompNameEdit"));
        DateTimePicker1 = new TDateEdit(QDate::currentDate(), sheet);
        DateTimePicker1->setObjectName(QStringLiteral("DateTimePicker1"));
        ManualSetupCheckBox =
            new QCheckBox(QStringLiteral("Veranstaltung manuell einrichten und den Wizard beenden"), sheet);
        ManualSetupCheckBox->setObjectName(QStringLiteral("ManualSetupCheckBox"));
        auto* form = new QFormLayout(sheet);
        form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
        form->addRow(QStringLiteral("Name der neuen Veranstaltung:"), CompNameEdit);
        form->addRow(QStringLiteral("Veranstaltungsdatum:"), DateTimePicker1);
        form->addRow(ManualSetupCheckBox);
        QObject::connect(ManualSetupCheckBox, &QCheckBox::toggled, sheet,
                         [this](bool ticked) { wizard_.ManualSetupChanged(ticked); });
    }

    QString getWarningOrigin() const override { return QStringLiteral("Veranstaltungstyp"); }
    void onInitPage() override
    {
        CompNameEdit->clear();
        DateTimePicker1->setDate(QDate::currentDate());
        ManualSetupCheckBox->setChecked(false);
        wizard_.ManualSetupChanged(false);
    }
    void onActivatePage() override { CompNameEdit->setFocus(); }
    bool validateInput(bool silent, bool) override
    {
        CompNameEdit->setText(CompNameEdit->text().trimmed());
        if (!CompNameEdit->text().isEmpty())
            return true;
        if (!silent)
            showWarning(&wizard_, QStringLiteral("Veranstaltung anlegen"),
                        QStringLiteral("Veranstaltungsname darf nicht leer sein"));
        return false;
    }

    QString compName() const override { return CompNameEdit->text(); }
    void setCompName(const QString& name) override { CompNameEdit->setText(name); }
    QDate compDate() const override { return DateTimePicker1->date(); }
    void setCompDate(const QDate& date) override { DateTimePicker1->setDate(date); }
    bool LoadCompetitionType(const QString& text) override
    {
        try {
            auto type = std::make_unique<TCompetitionType>(text.toUtf8());
            type->DisplayName();
            imported_ = std::move(type);
            return true;
        } catch (const TvpError& e) {
            showError(&wizard_, QStringLiteral("Veranstaltung anlegen"),
                      QStringLiteral("Veranstaltungstyp konnte nicht geladen werden: ") + e.message());
            return false;
        }
    }
    bool isImportedCompType() const override { return imported_ != nullptr; }
    QString compTypeDisplayName() const override { return imported_ ? imported_->DisplayName() : QString(); }

private:
    TCompSetupWizardForm& wizard_;
    QLineEdit* CompNameEdit;
    TDateEdit* DateTimePicker1;
    QCheckBox* ManualSetupCheckBox;
    std::unique_ptr<TCompetitionType> imported_;
};

class TPassPageInfo : public TWizardPageInfo {
public:
    TPassPageInfo(TCompSetupWizardForm& wizard, QString origin)
        : TWizardPageInfo(kWizardCloseMessage, true, QStringLiteral("Weiter")),
          wizard_(wizard),
          origin_(std::move(origin))
    {
    }
    QString getWarningOrigin() const override { return origin_; }
    bool validateInput(bool, bool) override { return true; }
    // An imported type is never chosen again on the first page.
    bool isBackButtonEnabled() const override
    {
        const ICompTypePage* first = wizard_.compTypePage();
        return FEnableBackButton &&
               !(first && first->isImportedCompType() && origin_ == QStringLiteral("Veranstaltungsdaten"));
    }

private:
    TCompSetupWizardForm& wizard_;
    QString origin_;
};

} // namespace

TWizardPageSet createWizardPages(TCompSetupWizardForm& wizard)
{
    TWizardPageSet pages;
    pages.compType = std::make_unique<TCompTypePageInfo>(wizard);
    pages.compMetaData = std::make_unique<TPassPageInfo>(wizard, QStringLiteral("Veranstaltungsdaten"));
    pages.ageClasses = std::make_unique<TPassPageInfo>(wizard, QStringLiteral("Altersklassen"));
    pages.clearAgeClasses = [] {};
    return pages;
}

} // namespace tvp
