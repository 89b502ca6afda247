// zorva-config-test: zorva-config with the automation hook, for the end-to-end tests and the
// soak. Everything but the hook is the shipped program's start-up (RunProgram).
#include <cstdio>

#include <QApplication>

#include "AutomationHook.h"
#include "app/Program.h"

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    zorva::test::AutomationHook hook;
    if (!hook.Active()) {
        std::fprintf(stderr, "zorva-config-test: %s\n", qPrintable(hook.Error()));
        return 2;
    }
    return zorva::RunProgram(
        application, [&hook](const zorva::ProgramWindows& windows) { hook.Attach(windows); });
}
