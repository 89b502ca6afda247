// File, "Service report...": the module is read again first, so that the report shows what the
// module holds and not the editor; the pictures are the last ones the preview showed in this
// run, so that the report never takes the line from the preview.
#include <QApplication>
#include <QDateTime>
#include <QDesktopServices>
#include <QDir>
#include <QEventLoop>
#include <QMessageBox>
#include <QPushButton>
#include <QSysInfo>
#include <QTimer>
#include <QUrl>

#include "app/ProgramVersion.h"
#include "app/ReportDialog.h"
#include "app/TForm1.h"
#include "config/ConfigFields.h"
#include "config/ConfigHistory.h"
#include "link/LinkCore.h"
#include "preview/TFormPict.h"
#include "report/ServiceReport.h"
#include "shell/LanguageTexts.h"
#include "shell/UserFolders.h"

namespace zorva {

namespace {

// "zorva-report_<identifier>_<date>_<time>.pdf" in the user's documents folder.
QString OfferedReportFile(const ConfigRecord& config)
{
    const QString id = FieldValue(*FindRecordField(QStringLiteral("id")), config).toString();
    return QDir(UserDocumentsFolder())
        .filePath(QStringLiteral("zorva-report_%1_%2.pdf")
                      .arg(HistoryModuleName(id), QDateTime::currentDateTime().toString(
                                                      QStringLiteral("yyyy-MM-dd_HH-mm"))));
}

// Reads the configuration and network settings as the Read button does and waits for both;
// false when the link is lost on the way.
bool ReadModule(LinkCore& link)
{
    link.ToolButton2Click();
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (link.StatusEmpty() || (!link.readit() && link.Timer1Tag() == 0)) {
            loop.quit();
        }
    });
    poll.start(50);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    loop.exec();
    QApplication::restoreOverrideCursor();
    return !link.StatusEmpty() && !link.readit();
}

} // namespace

void TForm1::Raportserwisowy1Click()
{
    const LanguageTexts& t = Texts();
    if (link_ == nullptr || link_->StatusEmpty()) {
        QMessageBox::warning(this, t.txtReportTitle, t.txtReportNoModule);
        return;
    }
    ReportDialog dialog(StoredTechnician(), OfferedReportFile(config_), this);
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    StoreTechnician(dialog.Technician());

    const ConfigRecord edited = config_;
    if (!ReadModule(*link_)) {
        config_ = edited;
        ShowConfig();
        QMessageBox::warning(this, t.txtReportTitle, t.txtReportNoModule);
        return;
    }
    const auto before = edited.WriteImage();
    const auto module = config_.WriteImage();
    if (!std::equal(before.begin(), before.end(), module.begin())) {
        QMessageBox::information(this, t.txtReportTitle, t.txtReportEditsNotWritten);
    }

    std::vector<ReportPicture> pictures;
    for (const int camera : ReportCameras(config_, link_->statbuf())) {
        ReportPicture picture{camera, {}, {}, t.txtReportNoPicture};
        if (previewForm_ != nullptr && !previewForm_->LastPictureOf(camera).jpeg.isEmpty()) {
            picture.jpeg = previewForm_->LastPictureOf(camera).jpeg;
            picture.taken = previewForm_->LastPictureOf(camera).taken;
            picture.missing.clear();
        }
        pictures.push_back(picture);
    }
    const ReportVisit visit{
        QDateTime::currentDateTime(), QSysInfo::machineHostName(), dialog.Technician(),
        dialog.Remarks(), QStringLiteral("zorva-config ") + FileVersionText(ProgramFileVersion())};
    const ReportLink link{link_->statbuf(), link_->FirmwareVersion(), link_->ReportedFmwDate()};
    const ServiceReport report =
        BuildServiceReport(visit, link, config_, network_, history_.get(), std::move(pictures));
    // The editor gets back what it held, written or not.
    config_ = edited;
    ShowConfig();

    QString error;
    if (!WriteServiceReportPdf(report, dialog.File(), &error)) {
        QMessageBox::warning(this, t.txtReportTitle, error);
        return;
    }
    QMessageBox done(QMessageBox::Information, t.txtReportTitle,
                     t.txtReportWritten.arg(QDir::toNativeSeparators(dialog.File())),
                     QMessageBox::Close, this);
    QPushButton* open = done.addButton(t.txtReportOpen, QMessageBox::AcceptRole);
    done.setDefaultButton(QMessageBox::Close);
    done.exec();
    if (done.clickedButton() == open) {
        QDesktopServices::openUrl(QUrl::fromLocalFile(dialog.File()));
    }
}

} // namespace zorva
