#pragma once
// A disk that fills up, for one test: the process may not make a file larger
// than `bytes`, so a write past it fails with "File too large" as a write to
// a full disk fails, part of it written. The limit and the signal the system
// sends at it are restored at the end of the scope.

#include <csignal>

#include <sys/resource.h>

namespace korvel::test
{

class DiskLimit
{
public:
    explicit DiskLimit(rlim_t bytes)
    {
        m_handler = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~DiskLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_handler);
    }
    DiskLimit(const DiskLimit&) = delete;
    DiskLimit& operator=(const DiskLimit&) = delete;

private:
    rlimit m_old{};
    void (*m_handler)(int) = nullptr;
};

} // namespace korvel::test
