#include "cli/output.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

bool StdOutput::write(QByteArrayView bytes, QString *reason)
{
    const auto size = static_cast<std::size_t>(bytes.size());
    if (std::fwrite(bytes.data(), 1, size, stdout) == size && std::fflush(stdout) == 0)
        return true;
    if (reason)
        *reason = QString::fromLocal8Bit(std::strerror(errno));
    return false;
}

void StdOutput::message(QByteArrayView bytes)
{
    std::fwrite(bytes.data(), 1, static_cast<std::size_t>(bytes.size()), stderr);
    std::fflush(stderr);
}

bool StdOutput::isTerminal() const
{
    return ::isatty(STDOUT_FILENO) != 0;
}
