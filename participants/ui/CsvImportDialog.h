#pragma once
// "Meldungen Importieren von Excel csv ": a registration table saved from a spreadsheet becomes
// age classes, clubs, teams and athletes of the open competition, after the user's Yes. The LADV
// window's second runner stores it in one transaction.

#include "core/ui/TVPForm.h"

class QLineEdit;
class QPushButton;
class QIODevice;

namespace tvp {

class TCsvImportForm : public TTVPForm {
    Q_OBJECT
public:
    explicit TCsvImportForm(TWindowContext& context);
    ~TCsvImportForm() override;

    // Reads the table and, after the question, queues the import; false when nothing was queued.
    bool ImportCsvFormat(QIODevice& stream);

protected:
    void reloadData() override {}

private:
    void Button1Click();
    void Button2Click();

    QLineEdit* Edit1 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;
};

} // namespace tvp
