// The status strip: connection, firmware, the module's clock; and the firmware check.
#include <algorithm>

#include "link/LinkCore.h"
#include "shell/LanguageTexts.h"

namespace zorva {

namespace {
const QString kUnsupported = QStringLiteral("Program nie obsługuje tej wersji.");

// At least two decimal digits.
QString TwoDigits(unsigned value)
{
    return QString::number(value).rightJustified(2, QLatin1Char('0'));
}
} // namespace

bool LinkCore::StatusShownFor(std::span<const std::uint8_t> record) const
{
    return statusShown_ && !record.empty() && fmwDate_ == shownFmwDate_ &&
           shownConnectedText_ == Texts().txtConnected &&
           std::equal(record.begin(), record.end(), statbuf_.begin(), statbuf_.end());
}

void LinkCore::ShowStatus()
{
    statusShown_ = false;
    QString left;
    QString right;
    if (statbuf_.empty()) {
        left = Texts().txtNoConnection;
        view_.SetStatusStripConnected(false);
        view_.SetLabel18ButtonShadow();
    } else {
        view_.SetStatusStripConnected(true);
        // A record shorter than its layout reads its missing bytes as 0.
        const auto at = [this](std::size_t i) -> unsigned {
            return i < statbuf_.size() ? statbuf_[i] : 0u;
        };
        const QString firmware = TwoDigits(at(7));
        left = Texts().txtConnected + firmware;
        if (!fmwDate_.isEmpty()) {
            left += QLatin1Char(' ') + fmwDate_;
        }
        fmwVersion_ = QStringLiteral("1.") + firmware;
        if (QString::compare(fmwVersion_, kNewestFirmware) > 0) {
            view_.ShowUnsupportedFirmware(left + QStringLiteral("\r\r") + kUnsupported);
            return;
        }
        const unsigned year = at(0) | (at(1) << 8);
        right = QString::number(year) + QLatin1Char('-') + TwoDigits(at(2)) + QLatin1Char('-') +
                TwoDigits(at(3)) + QStringLiteral("  ") + TwoDigits(at(4)) + QLatin1Char(':') +
                TwoDigits(at(5)) + QLatin1Char(':') + TwoDigits(at(6)) + QLatin1Char(' ');
    }
    if (view_.StatusLeftCaption() != left) {
        view_.SetStatusLeftCaption(left);
    }
    if (view_.StatusRightCaption() != right) {
        view_.SetStatusRightCaption(right);
    }
    view_.RepaintStatusGrid();
    // Both captions now show this record; a firmware that is not supported is never
    // remembered, so that its message comes with every reply as before.
    statusShown_ = !statbuf_.empty();
    shownConnectedText_ = Texts().txtConnected;
    shownFmwDate_ = fmwDate_;
}

} // namespace zorva
