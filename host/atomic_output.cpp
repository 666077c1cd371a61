#include "host/atomic_output.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "host/host_error.h"

AtomicOutput::AtomicOutput(const std::string& path) : target(path) {
    const std::size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string(".") : target.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    if (name.empty()) {
        throw HostError("cannot write " + target + ": not a file name");
    }
    struct stat status {};
    if (::stat(target.c_str(), &status) == 0 && S_ISDIR(status.st_mode)) {
        throw HostError("cannot write " + target + ": it is a folder");
    }
    std::string pattern = (slash == std::string::npos ? std::string() : folder) + "." + name + ".tmp-XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    fd = ::mkstemp(buffer.data());
    if (fd < 0) {
        throw HostError("cannot write " + target + ": " + std::strerror(errno));
    }
    temporary = buffer.data();
    // mkstemp makes the file private; the finished file gets the permissions
    // any new file of the user would have.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
}

AtomicOutput::~AtomicOutput() {
    if (fd >= 0) {
        ::close(fd);
    }
    if (!committed && !temporary.empty()) {
        ::unlink(temporary.c_str());
    }
}

void AtomicOutput::commit() {
    if (::fsync(fd) != 0 || ::close(fd) != 0) {
        fd = -1;
        throw HostError("cannot write " + target + ": " + std::strerror(errno));
    }
    fd = -1;
    if (::rename(temporary.c_str(), target.c_str()) != 0) {
        throw HostError("cannot write " + target + ": " + std::strerror(errno));
    }
    committed = true;
}
