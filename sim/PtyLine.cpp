#include "PtyLine.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace zorva::sim {

namespace {

std::string ErrnoText(const std::string& what)
{
    return what + ": " + std::strerror(errno);
}

} // namespace

bool PtyLine::Open(const std::string& linkPath, std::string* error)
{
    Close();
    struct stat st {};
    if (lstat(linkPath.c_str(), &st) == 0 && !S_ISLNK(st.st_mode)) {
        *error = linkPath + " exists and is not a symbolic link; not replacing it";
        return false;
    }
    int master = -1;
    int slave = -1;
    char name[PATH_MAX] = {};
    if (openpty(&master, &slave, name, nullptr, nullptr) != 0) {
        *error = ErrnoText("openpty");
        return false;
    }
    // Raw on the device side: no echo and no character translation, so that every byte
    // travels unchanged even before the program sets its own line settings.
    termios tio{};
    if (tcgetattr(slave, &tio) == 0) {
        cfmakeraw(&tio);
        tcsetattr(slave, TCSANOW, &tio);
    }
    close(slave);
    fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
    fcntl(master, F_SETFD, FD_CLOEXEC);

    // Publish atomically: a reader of the link sees the old line or the new one, never none.
    const std::string temp = linkPath + ".new" + std::to_string(getpid());
    unlink(temp.c_str());
    if (symlink(name, temp.c_str()) != 0 || rename(temp.c_str(), linkPath.c_str()) != 0) {
        *error = ErrnoText("cannot publish " + linkPath);
        unlink(temp.c_str());
        close(master);
        return false;
    }
    master_ = master;
    device_ = name;
    link_ = linkPath;
    return true;
}

void PtyLine::Close()
{
    if (master_ < 0) {
        return;
    }
    close(master_);
    master_ = -1;
    char target[PATH_MAX] = {};
    const ssize_t n = readlink(link_.c_str(), target, sizeof target - 1);
    if (n > 0 && device_ == std::string(target, static_cast<std::size_t>(n))) {
        unlink(link_.c_str());
    }
    device_.clear();
}

bool PtyLine::HungUp() const
{
    if (master_ < 0) {
        return true;
    }
    pollfd p{master_, POLLIN, 0};
    return poll(&p, 1, 0) == 1 && (p.revents & POLLHUP) != 0;
}

} // namespace zorva::sim
