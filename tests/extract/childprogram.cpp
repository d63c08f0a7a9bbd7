// A stand-in program for the runner's tests.
//   childprogram exit N        exits with code N
//   childprogram sleep MS N    sleeps MS milliseconds, then exits with N
//   childprogram say TEXT N    writes TEXT to the error channel, exits with N
//   childprogram crash         ends by abort()
#include <QByteArray>
#include <QThread>

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char* argv[])
{
    if (argc >= 3 && std::strcmp(argv[1], "exit") == 0)
        return std::atoi(argv[2]);
    if (argc >= 4 && std::strcmp(argv[1], "sleep") == 0) {
        QThread::msleep(unsigned(std::atoi(argv[2])));
        return std::atoi(argv[3]);
    }
    if (argc >= 4 && std::strcmp(argv[1], "say") == 0) {
        std::fputs(argv[2], stderr);
        return std::atoi(argv[3]);
    }
    if (argc >= 2 && std::strcmp(argv[1], "crash") == 0)
        std::abort();
    return 100;
}
