// The report laid out as a rich-text document and printed by Qt's PDF writer: A4, real text
// (searchable, copyable), each picture decoded as the preview decodes it.
#include <QDir>
#include <QPageLayout>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTextDocument>
#include <QUrl>

#include "preview/JpegDecoder.h"
#include "report/ServiceReport.h"
#include "shell/LanguageTexts.h"

namespace zorva {

namespace {

constexpr int kPictureWidth = 300; // document pixels: two pictures side by side
constexpr qreal kMarginMm = 15;

// Lines of a text (remarks typed on several) stay lines.
QString Html(const QString& text)
{
    return text.toHtmlEscaped().replace(u'\n', QStringLiteral("<br>"));
}

QString Cell(const QString& text, const char* style = "", const char* width = "")
{
    return QStringLiteral("<td width=\"%1\" style=\"%2\">%3</td>")
        .arg(QLatin1String(width), QLatin1String(style), Html(text));
}

// A caption beside its value: the same width in every table, so the values line up.
QString CaptionCell(const QString& text)
{
    return Cell(text, "color:#444444; white-space:nowrap", "50%");
}

QString Heading(const QString& text)
{
    return QStringLiteral("<h3 style=\"margin-top:10px; margin-bottom:3px\">%1</h3>")
        .arg(text.toHtmlEscaped());
}

// A table of caption and value, one row each.
QString Lines(const std::vector<ReportLine>& lines)
{
    QString html = QStringLiteral("<table cellspacing=\"0\" cellpadding=\"2\" width=\"100%\">");
    for (const ReportLine& line : lines) {
        html += QStringLiteral("<tr>") + CaptionCell(line.caption) + Cell(line.value) +
                QStringLiteral("</tr>");
    }
    return html + QStringLiteral("</table>");
}

QString Configuration(const std::vector<ReportSection>& groups)
{
    QString html = QStringLiteral("<table cellspacing=\"0\" cellpadding=\"2\" width=\"100%\">");
    for (const ReportSection& group : groups) {
        html += QStringLiteral("<tr><td colspan=\"2\" style=\"background-color:#e4e4e4; "
                               "font-weight:bold\">%1</td></tr>")
                    .arg(group.title.toHtmlEscaped());
        for (const ReportLine& line : group.lines) {
            html += QStringLiteral("<tr>") + CaptionCell(line.caption) + Cell(line.value) +
                    QStringLiteral("</tr>");
        }
    }
    return html + QStringLiteral("</table>");
}

QString Changes(const ServiceReport& report)
{
    const LanguageTexts& t = Texts();
    QString html = QStringLiteral("<p>%1</p>").arg(report.changesNote.toHtmlEscaped());
    if (report.changes.empty()) {
        if (!report.changesNote.isEmpty() && report.changesNote != t.txtReportNoReadToday) {
            html += QStringLiteral("<p>%1</p>").arg(t.txtReportNothingChanged.toHtmlEscaped());
        }
    } else {
        html += QStringLiteral("<table cellspacing=\"0\" cellpadding=\"2\" width=\"100%\"><tr>") +
                Cell(t.txtReportField, "font-weight:bold") +
                Cell(t.txtReportBefore, "font-weight:bold") +
                Cell(t.txtReportAfter, "font-weight:bold") + QStringLiteral("</tr>");
        for (const ReportChange& change : report.changes) {
            html += QStringLiteral("<tr>") + Cell(change.caption, "color:#444444") +
                    Cell(change.before) + Cell(change.now) + QStringLiteral("</tr>");
        }
        html += QStringLiteral("</table>");
    }
    return html + QStringLiteral("<p>%1</p>").arg(report.writeNote.toHtmlEscaped());
}

// The pictures two to a row; each decoded one becomes a resource of the document.
QString Pictures(const ServiceReport& report, QTextDocument& document)
{
    const LanguageTexts& t = Texts();
    if (report.pictures.empty()) {
        return QStringLiteral("<p>%1</p>").arg(report.picturesNote.toHtmlEscaped());
    }
    QString html = QStringLiteral("<table cellspacing=\"6\" cellpadding=\"0\"><tr>");
    int column = 0;
    for (const ReportPicture& picture : report.pictures) {
        const QString letter(QLatin1Char("ABCD"[picture.camera & 3]));
        const auto bytes = std::span(reinterpret_cast<const std::uint8_t*>(picture.jpeg.data()),
                                     static_cast<std::size_t>(picture.jpeg.size()));
        const JpegPicture decoded =
            picture.jpeg.isEmpty() ? JpegPicture{} : DecodeJpeg(bytes, JpegLimits{});
        QString cell;
        if (decoded.image.isNull()) {
            const QString why = picture.missing.isEmpty() ? decoded.message : picture.missing;
            cell = t.txtReportPictureFailed.arg(letter, why).toHtmlEscaped();
        } else {
            const QUrl name(QStringLiteral("camera%1.jpg").arg(picture.camera));
            document.addResource(QTextDocument::ImageResource, name, decoded.image);
            const int height = decoded.image.height() * kPictureWidth / decoded.image.width();
            const QString taken = picture.taken.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
            // A picture cut short or spoilt shows what decoded, never as a good one.
            const QString caption =
                decoded.outcome == JpegPicture::Decoded
                    ? Html(t.txtReportCamera.arg(letter, taken))
                    : QStringLiteral("<span style=\"color:#b00000\">%1</span>")
                          .arg(Html(t.txtReportPictureDamaged.arg(letter, taken, decoded.message)));
            cell = QStringLiteral("<img src=\"%1\" width=\"%2\" height=\"%3\"><br>%4")
                       .arg(name.toString())
                       .arg(kPictureWidth)
                       .arg(height)
                       .arg(caption);
        }
        if (column == 2) {
            html += QStringLiteral("</tr><tr>");
            column = 0;
        }
        html +=
            QStringLiteral("<td valign=\"top\" width=\"50%\">") + cell + QStringLiteral("</td>");
        ++column;
    }
    return html + QStringLiteral("</tr></table>");
}

} // namespace

bool WriteServiceReportPdf(const ServiceReport& report, const QString& path, QString* error)
{
    const LanguageTexts& t = Texts();
    QTextDocument document;
    QFont font = document.defaultFont();
    font.setPointSizeF(9);
    // No ligatures: "fi" stays two letters for search, copy and pdftotext.
    font.setStyleStrategy(QFont::PreferNoShaping);
    document.setDefaultFont(font);

    QString html = QStringLiteral("<h2>%1</h2>").arg(report.heading.toHtmlEscaped());
    for (const ReportSection& section : report.found) {
        html += Heading(section.title) + Lines(section.lines);
    }
    html += Heading(t.txtReportConfiguration) + Configuration(report.configuration);
    html += Heading(t.txtReportChanges) + Changes(report);
    html += Heading(t.txtReportPictures) + Pictures(report, document);
    document.setHtml(html);

    // Written aside and put in place whole: a failed report never leaves half a file.
    QSaveFile file(path);
    bool written = file.open(QIODevice::WriteOnly);
    if (written) {
        QPdfWriter writer(&file);
        writer.setTitle(t.txtReportTitle);
        writer.setCreator(QStringLiteral("ZORVA"));
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                         QMarginsF(kMarginMm, kMarginMm, kMarginMm, kMarginMm),
                                         QPageLayout::Millimeter));
        document.print(&writer);
    }
    written = written && file.commit();
    if (!written && error != nullptr) {
        *error = t.txtReportNotWritten.arg(QDir::toNativeSeparators(path));
    }
    return written;
}

} // namespace zorva
