#include "cli/output.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

bool StdOutput::write(QByteArrayView bytes, QString *reason)
{
    // An empty row (the text form has no header) writes nothing; fwrite must
    // not be handed the null pointer an empty view may hold.
    if (bytes.isEmpty())
        return true;
    const auto size = static_cast<std::size_t>(bytes.size());
    if (std::fwrite(bytes.data(), 1, size, stdout) == size && std::fflush(stdout) == 0)
        return true;
    if (reason)
        *reason = QString::fromLocal8Bit(std::strerror(errno));
    return false;
}

void StdOutput::message(QByteArrayView bytes)
{
    if (bytes.isEmpty())
        return;
    std::fwrite(bytes.data(), 1, static_cast<std::size_t>(bytes.size()), stderr);
    std::fflush(stderr);
}

bool StdOutput::isTerminal() const
{
    return ::isatty(STDOUT_FILENO) != 0;
}
