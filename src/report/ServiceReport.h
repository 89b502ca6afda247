// A service report: the visit, the module as found, its configuration grouped as the window
// groups it, what changed during the visit and a picture from each camera. Built from records
// that the window and zorva-cli both hold; written as a PDF by WriteServiceReportPdf.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include "config/ConfigRecord.h"

namespace zorva {

class ConfigHistory;

struct ReportVisit {
    QDateTime when;
    QString computer;
    QString technician;
    QString remarks;
    QString programVersion;
};

// What the link knows of the module besides its records.
struct ReportLink {
    std::span<const std::uint8_t> status; // the status record as last received
    QString firmware;                     // "1.02"
    QString firmwareDate;                 // as the module reported it; may be empty
};

struct ReportPicture {
    int camera = 0;  // 0..3 for A..D
    QByteArray jpeg; // empty: no picture, `missing` says why
    QDateTime taken;
    QString missing;
};

struct ReportLine {
    QString caption;
    QString value;
};

struct ReportSection {
    QString title;
    std::vector<ReportLine> lines;
};

struct ReportChange {
    QString caption;
    QString before;
    QString now;
};

struct ServiceReport {
    QString heading;                          // the title, the module's identifier and the date
    std::vector<ReportSection> found;         // the visit, the module, its network
    std::vector<ReportSection> configuration; // one section per group of the window
    QString changesNote;                      // since when, or why nothing can be said
    std::vector<ReportChange> changes;
    QString writeNote; // whether the visit's last write is what the module holds
    std::vector<ReportPicture> pictures;
    QString picturesNote; // when no camera is both on and present
};

// The cameras (0..3) that are on in the configuration and present in the status record.
std::vector<int> ReportCameras(const ConfigRecord& config, std::span<const std::uint8_t> status);

// Collects the report in the current language. `config` and `network` are the records as just
// read from the module (as it sent them, before any refresh of an editor); `history` (may be
// null) holds the visit's reads and writes.
ServiceReport BuildServiceReport(const ReportVisit& visit, const ReportLink& link,
                                 const ConfigRecord& config, const NetworkRecord& network,
                                 const ConfigHistory* history, std::vector<ReportPicture> pictures);

// Writes the report as an A4 PDF with text that can be searched; false with the reason when the
// file cannot be written.
bool WriteServiceReportPdf(const ServiceReport& report, const QString& path, QString* error);

// The technician's name, kept in the user's settings between reports.
QString StoredTechnician();
void StoreTechnician(const QString& name);

} // namespace zorva
