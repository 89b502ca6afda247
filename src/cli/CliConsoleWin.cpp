#include <windows.h>

#include "cli/CliConsole.h"

namespace zorva::cli {

void WriteText(std::FILE* stream, const QString& text)
{
    const HANDLE handle = GetStdHandle(stream == stderr ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
    DWORD mode = 0;
    // GetConsoleMode fails for a file or a pipe: the text is redirected.
    if (handle != nullptr && handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode) != 0) {
        std::fflush(stream);
        DWORD written = 0;
        WriteConsoleW(handle, reinterpret_cast<const wchar_t*>(text.utf16()),
                      static_cast<DWORD>(text.size()), &written, nullptr);
        return;
    }
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stream);
    std::fflush(stream);
}

} // namespace zorva::cli

namespace zorva::cli {

void PrepareGuiPlatform()
{
    // The windows platform plugin needs no window of its own: a console program keeps it.
}

} // namespace zorva::cli
