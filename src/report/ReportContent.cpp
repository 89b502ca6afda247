// What the report says, in the current language: every line is made here, the PDF only lays
// them out.
#include <algorithm>
#include <map>
#include <optional>

#include <QDate>
#include <QTime>

#include "config/ConfigBlock.h"
#include "config/ConfigComparison.h"
#include "config/ConfigFields.h"
#include "config/ConfigHistory.h"
#include "report/ServiceReport.h"
#include "shell/LanguageTexts.h"

namespace zorva {

namespace {

constexpr std::size_t kStatusLayout = 18;
const QString kDateTime = QStringLiteral("yyyy-MM-dd HH:mm:ss");

// The window's groups, in its order: which group box shows each field.
int GroupOf(const QString& name)
{
    static const std::map<QString, int> groups = {
        {QStringLiteral("camA"), 0},  {QStringLiteral("camB"), 0},  {QStringLiteral("camC"), 0},
        {QStringLiteral("camD"), 0},  {QStringLiteral("obraz"), 1}, {QStringLiteral("kol"), 1},
        {QStringLiteral("dz"), 1},    {QStringLiteral("pz"), 1},    {QStringLiteral("id"), 2},
        {QStringLiteral("pass"), 2},  {QStringLiteral("dhcp"), 2},  {QStringLiteral("vip"), 2},
        {QStringLiteral("vmask"), 2}, {QStringLiteral("vgate"), 2}, {QStringLiteral("srtc"), 2},
        {QStringLiteral("et"), 3},    {QStringLiteral("sip"), 3},   {QStringLiteral("ps"), 3},
        {QStringLiteral("ncp"), 3},   {QStringLiteral("nmx"), 3},   {QStringLiteral("tt"), 3},
        {QStringLiteral("mdm"), 4},   {QStringLiteral("tel"), 4},   {QStringLiteral("mdm2"), 5},
        {QStringLiteral("tel2"), 5},  {QStringLiteral("tcp"), 6},   {QStringLiteral("tmx"), 6},
        {QStringLiteral("powt"), 6},  {QStringLiteral("oz"), 6},
    };
    const auto it = groups.find(name);
    return it == groups.end() ? 7 : it->second;
}

QStringList GroupTitles()
{
    const LanguageTexts& t = Texts();
    const QString station = t.txtStation + QStringLiteral(": ");
    return {t.txtCameras,
            t.txtPicture,
            QStringLiteral("ZORVA"),
            station + t.txtEthernet,
            station + t.txtModem + QStringLiteral(" 1"),
            station + t.txtModem + QStringLiteral(" 2"),
            station + t.txtModemLinks,
            QString()};
}

bool IsPassword(const QString& name)
{
    return name == QLatin1String("pass");
}

QString PasswordState(const ConfigRecord& record)
{
    const QString shown = FieldValue(*FindRecordField(QStringLiteral("pass")), record).toString();
    return shown.trimmed().isEmpty() ? Texts().txtReportPasswordNotSet
                                     : Texts().txtReportPasswordSet;
}

// The field's value as the window shows it, the password only as set or not set.
QString ShownValue(const RecordField& field, const ConfigRecord& record)
{
    return IsPassword(QLatin1String(field.name)) ? PasswordState(record)
                                                 : FieldValueText(field, record);
}

// The names of the four bits set, "-" for none.
QString Letters(unsigned bits, const char* names, const QString& prefix = {})
{
    QStringList letters;
    for (int i = 0; i < 4; ++i) {
        if ((bits >> i) & 1) {
            letters << prefix + QLatin1Char(names[i]);
        }
    }
    return letters.isEmpty() ? QStringLiteral("-") : letters.join(u' ');
}

QString Mac(const NetworkRecord& network)
{
    QStringList bytes;
    for (const std::uint8_t b : network.mac()) {
        bytes << QStringLiteral("%1").arg(b, 2, 16, QLatin1Char('0')).toUpper();
    }
    return bytes.join(u':');
}

ReportSection FoundModule(const ReportVisit& visit, const ReportLink& link,
                          const ConfigRecord& config)
{
    const LanguageTexts& t = Texts();
    std::vector<std::uint8_t> s(link.status.begin(), link.status.end());
    s.resize(std::max(s.size(), kStatusLayout), 0);
    const QDateTime clock(QDate(s[0] | (s[1] << 8), s[2], s[3]), QTime(s[4], s[5], s[6]));
    const unsigned cameras = s[16];
    const unsigned inputs = s[17];
    return {
        t.txtReportModule,
        {{t.txtIdentifier, FieldValue(*FindRecordField(QStringLiteral("id")), config).toString()},
         {t.txtReportFirmware, link.firmware},
         {t.txtReportFirmwareDate,
          link.firmwareDate.isEmpty() ? QStringLiteral("-") : link.firmwareDate},
         {t.txtReportModuleClock, clock.isValid() ? clock.toString(kDateTime) : QString("-")},
         {t.txtReportComputerClock, visit.when.toString(kDateTime)},
         {t.txtReportCamerasPresent, Letters(cameras & 0x0F, "ABCD")},
         {t.txtReportCamerasOn, Letters(cameras >> 4, "ABCD")},
         {t.txtTriggerInputs, Letters(inputs & 0x0F, "ABCD", QStringLiteral("In"))},
         {t.txtEnableInputs, Letters(inputs >> 4, "EFGH", QStringLiteral("In"))}}};
}

std::optional<ConfigRecord> Kept(const HistoryEntry& entry)
{
    ConfigRecord::Image image{};
    if (!LoadBlock(entry.path, image)) {
        return std::nullopt;
    }
    ConfigRecord record;
    record.Load(image);
    return record;
}

// What changed between what the module held when the visit began (its first file in the
// history) and what it holds now, and whether the visit's last write is what it holds. The
// order of the files is the order they were made, whatever the computer's clock said.
void Changes(const ConfigRecord& now, const ConfigHistory* history, const QDateTime& when,
             ServiceReport& report)
{
    const LanguageTexts& t = Texts();
    std::vector<HistoryEntry> visit;
    if (history != nullptr) {
        visit = history->Visit(FieldValue(*FindRecordField(QStringLiteral("id")), now).toString(),
                               when);
    }
    // A visit always begins with a read; one that seems to begin with a write lost its read.
    std::optional<ConfigRecord> first;
    if (!visit.empty() && visit.front().kind == HistoryKind::Read) {
        first = Kept(visit.front());
    }
    if (!first) {
        report.changesNote = t.txtReportNoReadToday;
    } else {
        report.changesNote = t.txtReportChangesSince.arg(visit.front().when.toString(kDateTime));
        for (const FieldDifference& d : CompareRecords(*first, now, kWriteImageSize)) {
            const RecordField* field = FindRecordField(d.name);
            if (field != nullptr && !FieldShownInWindow(*field)) {
                continue;
            }
            if (IsPassword(d.name)) {
                const QString before = PasswordState(*first);
                const QString after = PasswordState(now);
                report.changes.push_back(
                    {d.caption, before, before == after ? t.txtReportPasswordChanged : after});
            } else {
                report.changes.push_back({d.caption, d.first, d.second});
            }
        }
    }
    const auto write = std::find_if(visit.rbegin(), visit.rend(), [](const HistoryEntry& e) {
        return e.kind == HistoryKind::Written;
    });
    if (write == visit.rend()) {
        report.writeNote = t.txtReportNoWrite;
        return;
    }
    // Now is read after every write the history holds.
    const std::optional<ConfigRecord> written = Kept(*write);
    const bool holds = written && CompareRecords(*written, now, kWriteImageSize).empty();
    report.writeNote = (holds ? t.txtReportWriteVerified : t.txtReportWriteDiffers)
                           .arg(write->when.toString(kDateTime));
}

} // namespace

std::vector<int> ReportCameras(const ConfigRecord& config, std::span<const std::uint8_t> status)
{
    std::vector<int> cameras;
    const unsigned present = status.size() > 16 ? status[16] & 0x0F : 0;
    for (int c = 0; c < 4; ++c) {
        const QString name = QStringLiteral("cam") + QLatin1Char("ABCD"[c]);
        if (FieldValue(*FindRecordField(name), config).toBool() && ((present >> c) & 1)) {
            cameras.push_back(c);
        }
    }
    return cameras;
}

ServiceReport BuildServiceReport(const ReportVisit& visit, const ReportLink& link,
                                 const ConfigRecord& config, const NetworkRecord& network,
                                 const ConfigHistory* history, std::vector<ReportPicture> pictures)
{
    const LanguageTexts& t = Texts();
    ServiceReport report;
    const QString id = FieldValue(*FindRecordField(QStringLiteral("id")), config).toString();
    report.heading = t.txtReportTitle + QStringLiteral(": ") + (id.isEmpty() ? QString("-") : id) +
                     QStringLiteral(", ") + visit.when.toString(QStringLiteral("yyyy-MM-dd"));
    report.found.push_back(
        {t.txtReportVisit,
         {{t.txtReportDate, visit.when.toString(kDateTime)},
          {t.txtReportComputer, visit.computer},
          {t.txtReportTechnician, visit.technician},
          {t.txtReportProgram, visit.programVersion},
          {t.txtReportRemarks, visit.remarks.isEmpty() ? QStringLiteral("-") : visit.remarks}}});
    report.found.push_back(FoundModule(visit, link, config));
    report.found.push_back({t.txtReportNetwork,
                            {{t.txtReportLink, network.linkUp() ? t.txtActive : t.txtUnplugged},
                             {QStringLiteral("MAC"), Mac(network)},
                             {t.txtIpAddress, OctetsToText(network.dip())},
                             {t.txtSubnetMask, OctetsToText(network.dmask())},
                             {t.txtGateway, OctetsToText(network.dgate())}}});

    const QStringList titles = GroupTitles();
    report.configuration.resize(static_cast<std::size_t>(titles.size()));
    for (qsizetype i = 0; i < titles.size(); ++i) {
        report.configuration[static_cast<std::size_t>(i)].title = titles[i];
    }
    for (const RecordField& field : RecordFields()) {
        if (FieldShownInWindow(field)) {
            report.configuration[static_cast<std::size_t>(GroupOf(QLatin1String(field.name)))]
                .lines.push_back({FieldCaption(field), ShownValue(field, config)});
        }
    }
    std::erase_if(report.configuration, [](const ReportSection& s) { return s.lines.empty(); });

    Changes(config, history, visit.when, report);
    report.pictures = std::move(pictures);
    if (report.pictures.empty()) {
        report.picturesNote = t.txtReportNoCameras;
    }
    return report;
}

} // namespace zorva
