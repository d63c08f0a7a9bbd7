// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

// A stand-in for an extractor that a PDF has taken over. Called as
// "pdfimages INPUT PREFIX", it tries what such a program would, one thing
// after another, and exits with one bit set for each that worked:
//     1  write a file in the home folder ($HOME)
//     2  write a file beside the user's PDF ($ORVALIN_PDF_FOLDER)
//     4  write a file in the output folder, beside its own work folder
//     8  read a file of the user's ($ORVALIN_SECRET)
//    16  connect to a TCP port on this machine ($ORVALIN_PORT)
//    32  start /bin/sh
//    64  take as much memory as the machine has
//   128  keep the right to gain privileges or to dump core
// Then it does its job as far as it is allowed to: when it can read its
// input, it writes one small image under PREFIX.
//
// Plain C++ on the system's calls, and built without sanitizers, which
// could not start under a memory limit.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace {

std::string environment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::string folderOf(const std::string& path)
{
    const std::string::size_type slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
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

bool readFile(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0)
        return false;
    char buffer[64];
    const bool read = ::read(fd, buffer, sizeof(buffer)) > 0;
    ::close(fd);
    return read;
}

bool connectTo(int port)
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

bool startShell()
{
    const pid_t child = ::fork();
    if (child < 0)
        return false;
    if (child == 0) {
        ::execl("/bin/sh", "sh", "-c", "exit 7", static_cast<char*>(nullptr));
        ::_exit(100);
    }
    int status = 0;
    return ::waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 7;
}

bool takeAllMemory()
{
    const size_t machine = size_t(::sysconf(_SC_PHYS_PAGES)) * size_t(::sysconf(_SC_PAGESIZE));
    void* memory = ::mmap(nullptr, machine, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (memory == MAP_FAILED)
        return false;
    ::munmap(memory, machine);
    return true;
}

bool mayGainPrivilegesOrDumpCore()
{
    rlimit core{};
    ::getrlimit(RLIMIT_CORE, &core);
    return ::prctl(PR_GET_NO_NEW_PRIVS, 0, 0, 0, 0) == 0 || core.rlim_max != 0;
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc != 3)
        return 2;
    const std::string input = argv[1];
    const std::string prefix = argv[2];
    const std::string planted = "/planted-by-extractor";
    int worked = 0;
    if (writeFile(environment("HOME") + planted, "x"))
        worked |= 1;
    if (writeFile(environment("ORVALIN_PDF_FOLDER") + planted, "x"))
        worked |= 2;
    if (writeFile(folderOf(folderOf(prefix)) + planted, "x"))
        worked |= 4;
    if (readFile(environment("ORVALIN_SECRET")))
        worked |= 8;
    if (connectTo(std::atoi(environment("ORVALIN_PORT").c_str())))
        worked |= 16;
    if (startShell())
        worked |= 32;
    if (takeAllMemory())
        worked |= 64;
    if (mayGainPrivilegesOrDumpCore())
        worked |= 128;
    if (readFile(input))
        writeFile(prefix + "-000.ppm", std::string("P6\n2 2\n255\n") + std::string(12, '\x80'));
    return worked;
}
