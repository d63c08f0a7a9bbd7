// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

// A stand-in for an extractor that a PDF has taken over. Called as
// "pdfimages [-j] INPUT PREFIX" or "pdfimages -list INPUT", it reads its
// orders from INPUT, the "PDF" (lines of "key value"): "attack NAME" names
// what it tries, the other keys are what the attack needs. It exits with 42
// when the attack worked and 0 when it was refused; then it does its job as
// far as it is allowed to: a list prints the "list" lines of INPUT, an
// extraction writes one small image under PREFIX (unless the attack writes
// images of its own).
//
// Plain C++ on the system's calls, and built without sanitizers, which
// could not start under a memory limit.
#include <arpa/inet.h>
#include <fcntl.h>
#include <linux/capability.h>
#include <netinet/in.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/shm.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <map>
#include <string>
#include <vector>

namespace {

std::multimap<std::string, std::string> g_orders;

std::string order(const std::string& key)
{
    const auto it = g_orders.find(key);
    return it == g_orders.end() ? std::string() : it->second;
}

bool readOrders(const char* path)
{
    FILE* file = std::fopen(path, "r");
    if (!file)
        return false;
    char line[4096];
    while (std::fgets(line, sizeof(line), file)) {
        std::string text(line);
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
            text.pop_back();
        const std::string::size_type space = text.find(' ');
        if (space != std::string::npos)
            g_orders.emplace(text.substr(0, space), text.substr(space + 1));
    }
    std::fclose(file);
    return true;
}

bool writeFile(const std::string& path, const std::string& data)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0)
        return false;
    const bool written = ::write(fd, data.data(), data.size()) == ssize_t(data.size());
    ::close(fd);
    return written;
}

std::string fromHex(const std::string& hex)
{
    std::string bytes;
    for (std::string::size_type i = 0; i + 1 < hex.size(); i += 2)
        bytes += char(std::strtol(hex.substr(i, 2).c_str(), nullptr, 16));
    return bytes;
}

std::string ppm(int width, int height)
{
    return "P6\n" + std::to_string(width) + ' ' + std::to_string(height) + "\n255\n"
           + std::string(size_t(width) * size_t(height) * 3, '\x80');
}

bool exists(const std::string& path)
{
    struct stat status {
    };
    return ::stat(path.c_str(), &status) == 0;
}

void pause(int halfMilliseconds)
{
    const timespec step{0, long(halfMilliseconds) * 500000L};
    ::nanosleep(&step, nullptr);
}

// How long it waits for the run, in half milliseconds: ten seconds, for a
// machine under load.
constexpr int kPatience = 20000;

// Waits up to kPatience for path to come, or to go.
bool waitFor(const std::string& path, bool there)
{
    for (int i = 0; i < kPatience; ++i) {
        if (exists(path) == there)
            return true;
        pause(1);
    }
    return false;
}

std::string folderOf(const std::string& path)
{
    const std::string::size_type slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

bool connectTcp(int port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0)
        return false;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool connected = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0;
    ::close(fd);
    return connected;
}

bool connectUnix(const std::string& path)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    if (fd < 0)
        return false;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof(address.sun_path) - 1);
    const bool connected = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0;
    ::close(fd);
    return connected;
}

// A process that leaves the program's session, drops the death signal and
// lives on.
bool escape()
{
    const pid_t child = ::fork();
    if (child < 0)
        return false;
    if (child == 0) {
        ::setsid();
        if (::fork() != 0)
            ::_exit(0);
        ::prctl(PR_SET_PDEATHSIG, 0, 0, 0, 0);
        ::sleep(20);
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return true;
}

bool holdsCapabilities()
{
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct sets[2] = {};
    if (syscall(SYS_capget, &header, sets) != 0)
        return false;
    return sets[0].effective || sets[1].effective || sets[0].permitted || sets[1].permitted
           || ::prctl(PR_CAPBSET_READ, CAP_SYS_BOOT, 0, 0, 0) == 1;
}

// Tries the attack; true when it worked. prefix is empty for a list.
bool attack(const std::string& name, const std::string& input, const std::string& prefix)
{
    const std::string secret = order("secret");
    // A PDF that keeps the extractor busy for ever, as a loop in its parser
    // would: only a time limit ends it.
    if (name == "endless")
        for (;;)
            ::pause();
    if (name == "chmod")
        return ::chmod(secret.c_str(), 0666) == 0;
    if (name == "chown")
        return ::chown(secret.c_str(), 12345, 12345) == 0;
    if (name == "utime") {
        const timespec times[2] = {{978307200, 0}, {978307200, 0}}; // 2001
        return ::utimensat(AT_FDCWD, secret.c_str(), times, 0) == 0;
    }
    if (name == "xattr")
        return ::setxattr(secret.c_str(), "user.orvalin", "x", 1, 0) == 0;
    if (name == "read")
        return std::fopen(secret.c_str(), "r") != nullptr;
    if (name == "write-home")
        return writeFile(order("home") + "/planted", "x");
    if (name == "write-input")
        return ::open(input.c_str(), O_WRONLY | O_APPEND) >= 0;
    if (name == "descriptor") {
        char buffer[8];
        return ::pread(std::atoi(order("fd").c_str()), buffer, sizeof(buffer), 0) > 0;
    }
    if (name == "tiocsti") {
        // /dev/null is no terminal: the kernel says so unless the filter
        // refused the call before it got there.
        const char c = 'x';
        return ::ioctl(0, TIOCSTI, &c) == 0 || errno != EPERM;
    }
    if (name == "outlive")
        return escape();
    if (name == "death-signal")
        return ::prctl(PR_SET_PDEATHSIG, 0, 0, 0, 0) == 0;
    if (name == "shared-memory")
        return ::shmat(std::atoi(order("shm").c_str()), nullptr, SHM_RDONLY) != reinterpret_cast<void*>(-1);
    if (name == "inotify")
        return ::inotify_init1(0) >= 0;
    if (name == "environment")
        return std::getenv("ORVALIN_TOKEN") != nullptr || std::getenv("DBUS_SESSION_BUS_ADDRESS") != nullptr;
    if (name == "memfd")
        return ::syscall(SYS_memfd_create, "x", 0) >= 0;
    if (name == "tcp")
        return connectTcp(std::atoi(order("port").c_str()));
    if (name == "unix-socket")
        return connectUnix(order("socket"));
    if (name == "capabilities")
        return holdsCapabilities();
    if (name == "large-file") {
        // Far past any image's size, sparse: a full disk in one write.
        const int fd = ::open((prefix + "-big").c_str(), O_WRONLY | O_CREAT, 0644);
        return fd >= 0 && ::pwrite(fd, "x", 1, off_t(3) << 30) == 1;
    }
    if (name == "note") {
        // A recovery note links to a claimed JPEG file: written through, it
        // would write the output folder. The first image is handed to the
        // encoder once the second exists.
        writeFile(prefix + "-000.ppm", ppm(600, 600));
        writeFile(prefix + "-001.ppm", ppm(2, 2));
        const std::string folder = folderOf(prefix);
        for (int i = 0; i < kPatience; ++i) {
            for (const std::string& note : {folder + "/claimed-1.jpg", folderOf(folder) + "/claimed-1.jpg"})
                if (exists(note)) {
                    // Written once the encoder is done with it.
                    const int fd = ::open(note.c_str(), O_WRONLY);
                    waitFor(note, false);
                    pause(100);
                    return fd >= 0 && ::pwrite(fd, "#!/bin/sh\n", 10, 0) == 10;
                }
            pause(1);
        }
        return false;
    }
    if (name == "rewrite") {
        // The JPEG image is taken while the extractor runs; it writes it
        // again through the descriptor it kept.
        const std::string jpeg = prefix + "-000.jpg";
        const int fd = ::open(jpeg.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0644);
        const std::string data = fromHex(order("jpeg"));
        if (fd < 0 || ::write(fd, data.data(), data.size()) != ssize_t(data.size()))
            return false;
        writeFile(prefix + "-001.ppm", ppm(2, 2));
        waitFor(jpeg, false);
        pause(100);
        return ::pwrite(fd, "#!/bin/sh\n", 10, 0) == 10;
    }
    if (name == "second-name") {
        const std::string jpeg = prefix + "-000.jpg";
        writeFile(jpeg, fromHex(order("jpeg")));
        return ::link(jpeg.c_str(), (prefix + "-second").c_str()) == 0;
    }
    if (name == "image-files") {
        // Files of its own, under the names of its images.
        int n = 0;
        for (auto it = g_orders.equal_range("file"); it.first != it.second; ++it.first, ++n) {
            const std::string& file = it.first->second;
            const std::string::size_type space = file.find(' ');
            char number[16];
            std::snprintf(number, sizeof(number), "-%03d.", n);
            writeFile(prefix + number + file.substr(0, space), fromHex(file.substr(space + 1)));
        }
        return true;
    }
    if (name == "endless-header") {
        // A grey image whose comment never ends: a sparse gigabyte of zeros.
        const int fd = ::open((prefix + "-000.pgm").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        return fd >= 0 && ::write(fd, "P5\n#", 4) == 4 && ::ftruncate(fd, off_t(1) << 30) == 0;
    }
    if (name == "huge-bilevel") {
        // A small file that claims a page of 16384 by 16384 pixels.
        const int fd = ::open((prefix + "-000.pbm").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const std::string header = "P4\n16384 16384\n";
        return fd >= 0 && ::write(fd, header.data(), header.size()) == ssize_t(header.size())
               && ::ftruncate(fd, off_t(header.size()) + 16384 / 8 * 16384) == 0;
    }
    return false;
}

bool writesImages(const std::string& name)
{
    return name == "note" || name == "rewrite" || name == "second-name" || name == "image-files"
           || name == "endless-header" || name == "huge-bilevel";
}

} // namespace

int main(int argc, char* argv[])
{
    std::vector<std::string> arguments(argv + 1, argv + argc);
    // It says what it is as an extractor does.
    if (arguments.size() == 1 && arguments.front() == "-v") {
        std::fprintf(stderr, "pdfimages version 0 (a hostile stand-in)\n");
        return 0;
    }
    if (!arguments.empty() && arguments.front() == "-j")
        arguments.erase(arguments.begin());
    const bool list = !arguments.empty() && arguments.front() == "-list";
    if (list)
        arguments.erase(arguments.begin());
    if (arguments.empty() || arguments.size() != (list ? 1U : 2U) || !readOrders(arguments.at(0).c_str()))
        return 2;
    const std::string name = order(list ? "list-attack" : "attack");
    const std::string prefix = list ? std::string() : arguments.at(1);
    const bool worked = !name.empty() && attack(name, arguments.at(0), prefix);
    if (list) {
        std::printf("page   num  type   width height color comp bpc  enc interp  object ID x-ppi y-ppi size ratio\n"
                    "-------------------------------------------------------------------------------------------\n");
        const auto listed = g_orders.equal_range("list");
        for (auto it = listed.first; it != listed.second; ++it)
            std::printf("%s\n", it->second.c_str());
        // Unless told otherwise, it lists what it writes: two images for the
        // note, else one.
        const char* const line = "   1     %d image     %3d   %3d  rgb     3   8  image  no         3  0    72    72 "
                                 "  12B  50%%\n";
        if (listed.first == listed.second && order("attack") == "note")
            std::printf(line, 0, 600, 600);
        if (listed.first == listed.second)
            std::printf(line, order("attack") == "note" ? 1 : 0, 2, 2);
    } else if (!writesImages(name)) {
        writeFile(prefix + "-000.ppm", ppm(2, 2));
    }
    return worked ? 42 : 0;
}
