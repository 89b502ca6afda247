#include "app/ReportDialog.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>

#include "shell/LanguageTexts.h"

namespace zorva {

ReportDialog::ReportDialog(const QString& technician, const QString& file, QWidget* parent)
    : QDialog(parent)
{
    const LanguageTexts& t = Texts();
    setObjectName(QStringLiteral("ReportDialog"));
    setWindowTitle(t.txtReportTitle);
    E_technician = new QLineEdit(technician, this);
    E_technician->setObjectName(QStringLiteral("E_technician"));
    M_remarks = new QPlainTextEdit(this);
    M_remarks->setObjectName(QStringLiteral("M_remarks"));
    M_remarks->setTabChangesFocus(true);
    M_remarks->setFixedHeight(80);
    E_file = new QLineEdit(QDir::toNativeSeparators(file), this);
    E_file->setObjectName(QStringLiteral("E_file"));
    E_file->setMinimumWidth(360);
    B_choose = new QPushButton(t.txtReportChoose, this);
    B_choose->setObjectName(QStringLiteral("B_choose"));
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(E_file, 1);
    fileRow->addWidget(B_choose);

    auto* buttons = new QDialogButtonBox(this);
    B_write = buttons->addButton(t.txtReportWrite, QDialogButtonBox::AcceptRole);
    B_write->setObjectName(QStringLiteral("B_write"));
    B_write->setDefault(true);
    B_cancel = buttons->addButton(t.txtReportCancel, QDialogButtonBox::RejectRole);
    B_cancel->setObjectName(QStringLiteral("B_cancel"));

    auto* form = new QFormLayout(this);
    form->addRow(t.txtReportTechnician + QLatin1Char(':'), E_technician);
    form->addRow(t.txtReportRemarks + QLatin1Char(':'), M_remarks);
    form->addRow(t.txtReportFile + QLatin1Char(':'), fileRow);
    form->addRow(buttons);

    connect(B_choose, &QPushButton::clicked, this, &ReportDialog::B_chooseClick);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(E_file, &QLineEdit::textChanged, this,
            [this](const QString& text) { B_write->setEnabled(!text.trimmed().isEmpty()); });
}

QString ReportDialog::Technician() const
{
    return E_technician->text().trimmed();
}

QString ReportDialog::Remarks() const
{
    return M_remarks->toPlainText().trimmed();
}

QString ReportDialog::File() const
{
    return QDir::fromNativeSeparators(E_file->text().trimmed());
}

void ReportDialog::B_chooseClick()
{
    const QString chosen = QFileDialog::getSaveFileName(this, Texts().txtReportTitle, File(),
                                                        QStringLiteral("PDF (*.pdf)"));
    if (!chosen.isEmpty()) {
        E_file->setText(QDir::toNativeSeparators(chosen));
        replaceAgreed_ = File(); // the file dialog asked already
    }
}

void ReportDialog::accept()
{
    // The name offered has the minute in it: a second report of the same minute would replace
    // the first.
    const QString file = File();
    if (file != replaceAgreed_ && QFileInfo::exists(file) &&
        QMessageBox::question(this, Texts().txtReportTitle,
                              Texts().txtReportReplace.arg(QDir::toNativeSeparators(file)),
                              QMessageBox::Yes | QMessageBox::No,
                              QMessageBox::No) != QMessageBox::Yes) {
        return;
    }
    QDialog::accept();
}

} // namespace zorva
