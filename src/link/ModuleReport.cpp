#include "link/ModuleReport.h"

#include "link/Frames.h"
#include "shell/LanguageTexts.h"

namespace zorva {

QString ModuleReportText(const ModuleReport& report)
{
    const LanguageTexts& t = Texts();
    switch (report.kind) {
    case ModuleReport::Kind::kNoPicture:
        return t.txtNoPictureData;
    case ModuleReport::Kind::kVideoOff:
        return t.txtVideoOff;
    case ModuleReport::Kind::kError:
        break;
    }
    if (report.code == 0xBB) {
        return t.txtErrorUnknownFrame;
    }
    if (report.code == 0xDD) {
        return t.txtErrorPacketNumber;
    }
    return QStringLiteral("ZORVA_ERROR: ") + QString::fromLatin1(IntToHexEven(report.code));
}

} // namespace zorva
