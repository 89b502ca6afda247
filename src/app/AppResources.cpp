#include "app/AppResources.h"

#include <QtGlobal>

// Q_INIT_RESOURCE must be used outside any namespace.
static void InitAppResources()
{
    Q_INIT_RESOURCE(app);
}

namespace zorva {

void EnsureAppResources()
{
    static const bool registered = (InitAppResources(), true);
    (void)registered;
}

} // namespace zorva
