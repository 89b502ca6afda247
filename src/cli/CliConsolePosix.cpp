#include "cli/CliConsole.h"

namespace zorva::cli {

void WriteText(std::FILE* stream, const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stream);
    std::fflush(stream);
}

} // namespace zorva::cli

namespace zorva::cli {

void PrepareGuiPlatform()
{
    // Without a platform named, Qt would look for a display that a console may not have.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
}

} // namespace zorva::cli
