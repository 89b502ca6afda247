// The program's version where executables carry no version resource: the numbers the build
// compiled in.
#include "app/ProgramVersion.h"

namespace zorva {

FileVersion ProgramFileVersion()
{
    return FileVersion{ZORVA_VERSION_MAJOR, ZORVA_VERSION_MINOR, ZORVA_VERSION_PATCH,
                       ZORVA_VERSION_TWEAK};
}

} // namespace zorva
