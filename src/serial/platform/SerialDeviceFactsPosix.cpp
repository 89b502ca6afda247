// What the system tells about a device beyond opening it: why an open failed and which process
// holds a device in use (the lock table, /proc/locks), and the device's name under
// /dev/serial/by-id/, which stays the same when an adapter is plugged into another socket.
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <system_error>

#include "serial/platform/SerialPlatform.h"

namespace zorva::serial {
namespace {

namespace fs = std::filesystem;

OpenFailureKind KindOf(int error)
{
    switch (error) {
    case EACCES:
    case EPERM:
        return OpenFailureKind::kPermission;
    case EBUSY:       // another program set TIOCEXCL
    case EWOULDBLOCK: // another program holds the lock (EAGAIN on Linux)
        return OpenFailureKind::kInUse;
    case ENOENT:
    case ENODEV:
    case ENXIO:
        return OpenFailureKind::kMissing;
    case ENOTTY: // the terminal settings cannot be read: /dev/null, a regular file
    case EISDIR:
        return OpenFailureKind::kNotSerial;
    default:
        return OpenFailureKind::kOther;
    }
}

struct Holder {
    long pid = 0;
    bool flock = false;
};

// The lock table's lines read "1: FLOCK  ADVISORY  WRITE 4711 00:19:5 0 EOF": the pid, then
// the file's device (major and minor in hexadecimal) and inode. Lines of waiting lockers
// ("1: -> FLOCK ...") are skipped. A flock lock wins over other kinds, since the platform's
// open takes one.
Holder FindLockHolder(const struct stat& device)
{
    std::ifstream table("/proc/locks");
    Holder found;
    std::string line;
    while (std::getline(table, line)) {
        std::istringstream fields(line);
        std::string id, type, kind, mode, file;
        long pid = 0;
        if (!(fields >> id >> type) || type == "->") {
            continue;
        }
        if (!(fields >> kind >> mode >> pid >> file) || pid <= 0) {
            continue;
        }
        unsigned major = 0, minor = 0;
        unsigned long long inode = 0;
        if (std::sscanf(file.c_str(), "%x:%x:%llu", &major, &minor, &inode) != 3) {
            continue;
        }
        if (major != ::major(device.st_dev) || minor != ::minor(device.st_dev) ||
            inode != device.st_ino) {
            continue;
        }
        const bool flock = type == "FLOCK";
        if (found.pid == 0 || (flock && !found.flock)) {
            found = {pid, flock};
        }
    }
    return found;
}

std::string ProcessName(long pid)
{
    std::ifstream comm("/proc/" + std::to_string(pid) + "/comm");
    std::string name;
    std::getline(comm, name);
    return name;
}

} // namespace

OpenFailure DescribeOpenFailure(const std::string& path, int error)
{
    OpenFailure failure;
    failure.kind = KindOf(error);
    failure.systemText = std::generic_category().message(error);
    struct stat device {};
    if (failure.kind == OpenFailureKind::kInUse && ::stat(path.c_str(), &device) == 0) {
        failure.holderPid = FindLockHolder(device).pid;
        if (failure.holderPid != 0) {
            failure.holderName = ProcessName(failure.holderPid);
        }
    }
    return failure;
}

std::string PersistentDevicePath(const std::string& path)
{
    std::error_code error;
    const fs::path target = fs::canonical(path, error);
    if (error) {
        return path;
    }
    for (const fs::directory_entry& entry : fs::directory_iterator(
             "/dev/serial/by-id", fs::directory_options::skip_permission_denied, error)) {
        std::error_code ignored;
        if (fs::canonical(entry.path(), ignored) == target && !ignored) {
            return entry.path().string();
        }
    }
    return path;
}

} // namespace zorva::serial
