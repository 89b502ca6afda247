#include "common/SimulatorProcess.h"

#include <cstdlib>

namespace zorva::bench {

bool StartSimulator(ChildProcess& process, const WorkFolder& folder,
                    const std::vector<std::string>& extra, SimulatorPaths* paths,
                    std::string* error)
{
    const char* given = std::getenv("ZORVA_SIM");
    const std::string program =
        given != nullptr && *given != 0 ? given : ExecutableFolder() + "/zorva-sim";
    paths->link = folder.Path("module.tty");
    paths->trace = folder.Path("trace.txt");
    std::vector<std::string> args{"--link", paths->link, "--trace", paths->trace, "--seed", "1"};
    args.insert(args.end(), extra.begin(), extra.end());
    if (!process.Start(program, args, folder.Path("sim.out"), error)) {
        return false;
    }
    if (!WaitForPath(paths->link, std::chrono::seconds(20))) {
        *error = "the simulator did not publish its link (see " + folder.Path("sim.out") + ")";
        return false;
    }
    return true;
}

} // namespace zorva::bench
