// File, "Service report...": the module is read again first, so that the report shows what the
// module holds and not the editor. While the preview plays, the pictures are the last ones it
// showed (the report does not take the line from it); otherwise the report takes one of each
// camera that is on through the preview, as its play button would.
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
#include "link/ModuleReport.h"
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

// A report that stands for a picture refused: not one without a text of its own (0xCC), nor a
// wrong packet number (0xDD), after which the link starts the picture again.
bool RefusesPicture(const ModuleReport& report)
{
    return report.kind != ModuleReport::Kind::kError ||
           (report.code != 0xCC && report.code != 0xDD);
}

} // namespace

// One picture of `camera` through the preview, whose camera choice is given back afterwards;
// false when the link was lost on the way (nothing the report says can then be relied on).
bool TForm1::TakeReportPicture(int camera, ReportPicture& picture)
{
    TFormPict& preview = *previewForm_;
    const int chosen = preview.RadioGroup1ItemIndex();
    const int savedBefore = preview.PictureNumber();
    const int reportsBefore = moduleReports_;
    const auto refused = [&] {
        return moduleReports_ != reportsBefore && RefusesPicture(latestModuleReport_);
    };
    preview.SetRadioGroup1ItemIndex(camera);
    preview.SB_playClick();
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (preview.PictureNumber() != savedBefore || refused() || link_->StatusEmpty() ||
            link_->pictcnt() == kPictStopped) {
            loop.quit();
        }
    });
    poll.start(50);
    loop.exec();
    preview.SB_stopClick();
    preview.SetRadioGroup1ItemIndex(chosen);
    if (link_->StatusEmpty()) {
        return false;
    }
    if (preview.PictureNumber() != savedBefore) {
        picture.jpeg = preview.LastPictureOf(camera).jpeg;
        picture.taken = preview.LastPictureOf(camera).taken;
        picture.missing.clear();
    } else if (refused()) {
        picture.missing = ModuleReportText(latestModuleReport_);
    }
    return true;
}

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
    const auto held = config_.WriteImage();
    if (!std::equal(before.begin(), before.end(), held.begin())) {
        QMessageBox::information(this, t.txtReportTitle, t.txtReportEditsNotWritten);
    }

    // The module as found, as it sent its records before any picture was asked for.
    const Bytes status = link_->statbuf();
    const QString firmware = link_->FirmwareVersion();
    const QString firmwareDate = link_->ReportedFmwDate();
    ConfigRecord module;
    module.Load(link_->LatestRead().value_or(config_.FileImage()));
    const NetworkRecord network = network_;

    std::vector<ReportPicture> pictures;
    const bool playing = link_->pictcnt() != kPictStopped;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    for (const int camera : ReportCameras(module, status)) {
        ReportPicture picture{camera, {}, {}, t.txtReportNoPicture};
        if (previewForm_ != nullptr && playing) {
            if (!previewForm_->LastPictureOf(camera).jpeg.isEmpty()) {
                picture.jpeg = previewForm_->LastPictureOf(camera).jpeg;
                picture.taken = previewForm_->LastPictureOf(camera).taken;
                picture.missing.clear();
            }
        } else if (previewForm_ != nullptr && !TakeReportPicture(camera, picture)) {
            QApplication::restoreOverrideCursor();
            config_ = edited;
            ShowConfig();
            QMessageBox::warning(this, t.txtReportTitle, t.txtReportNoModule);
            return;
        }
        pictures.push_back(picture);
    }
    QApplication::restoreOverrideCursor();
    const ReportVisit visit{
        QDateTime::currentDateTime(), QSysInfo::machineHostName(), dialog.Technician(),
        dialog.Remarks(), QStringLiteral("zorva-config ") + FileVersionText(ProgramFileVersion())};
    const ReportLink link{status, firmware, firmwareDate};
    const ServiceReport report =
        BuildServiceReport(visit, link, module, network, history_.get(), std::move(pictures));
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
