// The service report dialog (File, "Service report..."): the technician's name, remarks and the
// PDF file. The window reads the module and writes the report once it is accepted.
#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace zorva {

class ReportDialog : public QDialog {
    Q_OBJECT
public:
    // `technician`: the name remembered; `file`: the PDF offered.
    ReportDialog(const QString& technician, const QString& file, QWidget* parent = nullptr);

    QString Technician() const;
    QString Remarks() const;
    QString File() const;

    void B_chooseClick();
    // Asks before an existing file is replaced, unless the file dialog asked already.
    void accept() override;

    QLineEdit* E_technician = nullptr;
    QPlainTextEdit* M_remarks = nullptr;
    QLineEdit* E_file = nullptr;
    QPushButton* B_choose = nullptr;
    QPushButton* B_write = nullptr;
    QPushButton* B_cancel = nullptr;

private:
    QString replaceAgreed_;
};

} // namespace zorva
