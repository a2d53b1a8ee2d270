#pragma once

// Helpers for the tests that fork processes to kill, limit or race the storage code.

#include "storage/status.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fstream>
#include <functional>
#include <grp.h>
#include <iterator>
#include <optional>
#include <poll.h>
#include <sstream>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

namespace faultsupport {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// A fresh temporary folder as the working folder, for as long as it lives.
class WorkingFolder
{
public:
    WorkingFolder()
        : m_previous(QDir::currentPath())
    {
        m_entered = m_dir.isValid() && QDir::setCurrent(m_dir.path());
    }
    ~WorkingFolder()
    {
        // A test may have made it read-only; the removal needs it writable again.
        ::chmod(QFile::encodeName(m_dir.path()).constData(), 0700);
        QDir::setCurrent(m_previous);
    }
    WorkingFolder(const WorkingFolder &) = delete;
    WorkingFolder &operator=(const WorkingFolder &) = delete;

    bool isValid() const { return m_entered; }
    QString path() const { return m_dir.path(); }
    std::string nativePath() const { return QFile::encodeName(m_dir.path()).toStdString(); }

private:
    QString m_previous;
    QTemporaryDir m_dir;
    bool m_entered = false;
};

inline std::optional<std::string> readFile(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline bool writeFile(const std::string &path, const std::string &bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return static_cast<bool>(out);
}

inline bool pathExists(const std::string &path)
{
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0;
}

// Names in the working folder, sorted.
inline std::vector<std::string> folderEntries()
{
    std::vector<std::string> names;
    const QStringList list = QDir::current().entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString &name : list)
        names.push_back(QFile::encodeName(name).toStdString());
    return names;
}

// The "Recovered N.scv" files in the working folder.
inline std::vector<std::string> recoveredFiles()
{
    std::vector<std::string> names;
    for (const std::string &name : folderEntries()) {
        if (name.rfind("Recovered ", 0) == 0)
            names.push_back(name);
    }
    return names;
}

// Empty when actual equals expected, otherwise where they first differ.
inline QByteArray bytesMismatch(const std::string &actual, const std::string &expected)
{
    if (actual == expected)
        return {};
    const auto diff = std::mismatch(actual.begin(), actual.end(), expected.begin(), expected.end());
    return QByteArray("got ") + QByteArray::number(qulonglong(actual.size())) + " bytes, expected "
        + QByteArray::number(qulonglong(expected.size())) + "; first difference at byte "
        + QByteArray::number(qlonglong(diff.first - actual.begin()));
}

inline QByteArray fileMismatch(const std::string &path, const std::string &expected)
{
    const std::optional<std::string> actual = readFile(path);
    if (!actual)
        return QByteArray::fromStdString(path) + " is missing";
    const QByteArray why = bytesMismatch(*actual, expected);
    return why.isEmpty() ? why : QByteArray::fromStdString(path) + ": " + why;
}

// Fails the test unless the file holds exactly the expected bytes.
#define VERIFY_FILE_BYTES(path, expected)                                                          \
    do {                                                                                           \
        const QByteArray why_ = faultsupport::fileMismatch(path, expected);                        \
        QVERIFY2(why_.isEmpty(), why_.constData());                                                \
    } while (false)

// One record in its file form, all three fields quoted strings.
inline std::string quotedRecord(
    const std::string &level, const std::string &name, const std::string &text)
{
    return '"' + level + "\",\"" + name + "\",\"" + text + "\"\r\n";
}

// A long value with every byte a value may hold: commas, line breaks, bytes above 127.
inline std::string longText(std::size_t size, unsigned seed)
{
    static const char kAlphabet[] = "abcdefghij ,\r\n\x80\x93\xe9\xff,KLMNOP0123456789";
    constexpr std::size_t kLength = sizeof(kAlphabet) - 1;
    std::string text(size, ' ');
    for (std::size_t i = 0; i < size; ++i)
        text[i] = kAlphabet[(i * 7 + seed + i / 4093) % kLength];
    return text;
}

// The unprivileged user that root-run tests become to meet permission checks.
inline constexpr uid_t kNobody = 65534;

// In a forked child: drops root for good; false when the system does not allow it.
inline bool becomeNobody()
{
    return ::setgroups(0, nullptr) == 0 && ::setgid(kNobody) == 0 && ::setuid(kNobody) == 0
        && ::geteuid() == kNobody;
}

// A status as it crosses from a child to the parent: one line.
struct ReportedStatus
{
    storage::ErrorCode code = storage::ErrorCode::None;
    int sysError = 0;
    std::string message;

    bool ok() const { return code == storage::ErrorCode::None; }
};

inline std::string encodeStatus(const storage::Status &s)
{
    std::string message = s.message();
    std::replace(message.begin(), message.end(), '\n', ' ');
    return std::to_string(static_cast<int>(s.code())) + ' ' + std::to_string(s.sysError()) + ' '
        + message + '\n';
}

inline std::vector<ReportedStatus> decodeStatuses(const std::string &report)
{
    std::vector<ReportedStatus> statuses;
    std::istringstream lines(report);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream in(line);
        int code = 0;
        ReportedStatus s;
        if (!(in >> code >> s.sysError))
            break;
        s.code = static_cast<storage::ErrorCode>(code);
        std::getline(in >> std::ws, s.message);
        statuses.push_back(std::move(s));
    }
    return statuses;
}

inline QByteArray describeStatus(const ReportedStatus &s)
{
    return "code " + QByteArray::number(static_cast<int>(s.code)) + ", errno "
        + QByteArray::number(s.sysError) + ": " + QByteArray::fromStdString(s.message);
}

// Both ends of a pipe, for signals between the parent and its children.
class Pipe
{
public:
    Pipe()
    {
        if (::pipe(m_fds) != 0)
            m_fds[0] = m_fds[1] = -1;
    }
    ~Pipe()
    {
        closeRead();
        closeWrite();
    }
    Pipe(const Pipe &) = delete;
    Pipe &operator=(const Pipe &) = delete;

    bool valid() const { return m_fds[0] >= 0; }
    void closeRead() { closeEnd(0); }
    void closeWrite() { closeEnd(1); }

    // False when no one reads any more (SIGPIPE must be ignored).
    bool send(char c = '!')
    {
        ssize_t n;
        do {
            n = ::write(m_fds[1], &c, 1);
        } while (n < 0 && errno == EINTR);
        return n == 1;
    }

    // Waits for one byte; false on timeout, or when every writer has closed its end.
    bool receive(std::chrono::milliseconds timeout)
    {
        char c;
        return waitReadable(timeout) && readOne(&c) == 1;
    }

    // Waits until every writer has closed its end, the way to start many children at once.
    bool waitClosed(std::chrono::milliseconds timeout)
    {
        char c;
        return waitReadable(timeout) && readOne(&c) == 0;
    }

private:
    void closeEnd(int end)
    {
        if (m_fds[end] >= 0)
            ::close(m_fds[end]);
        m_fds[end] = -1;
    }

    bool waitReadable(std::chrono::milliseconds timeout)
    {
        const auto deadline = Clock::now() + timeout;
        for (;;) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            if (left.count() <= 0)
                return false;
            pollfd p {m_fds[0], POLLIN, 0};
            const int r = ::poll(&p, 1, static_cast<int>(left.count()));
            if (r > 0)
                return true;
            if (r < 0 && errno != EINTR)
                return false;
        }
    }

    ssize_t readOne(char *c)
    {
        ssize_t n;
        do {
            n = ::read(m_fds[0], c, 1);
        } while (n < 0 && errno == EINTR);
        return n;
    }

    int m_fds[2] = {-1, -1};
};

// How a child ended.
struct ChildOutcome
{
    bool finished = false; // false: it outlived its deadline and was killed
    int exitCode = -1; // when it exited
    int signal = 0; // when a signal ended it
    std::string report; // what its body returned

    bool exitedCleanly() const { return finished && signal == 0 && exitCode == 0; }
    bool killedBy(int sig) const { return finished && signal == sig; }
    QByteArray describe() const
    {
        if (!finished)
            return "the child hung and was killed";
        QByteArray how = signal ? "killed by signal " + QByteArray::number(signal)
                                : "exit code " + QByteArray::number(exitCode);
        return how + "; report: " + QByteArray::fromStdString(report);
    }
};

// A forked child that runs body, sends body's result to the parent and ends with _exit(0), so
// nothing of the test framework runs in it. A child never waited for is killed and reaped.
class ChildProcess
{
public:
    ChildProcess() = default;
    explicit ChildProcess(const std::function<std::string()> &body)
    {
        int fds[2];
        if (::pipe(fds) != 0)
            return;
        m_pid = ::fork();
        if (m_pid == 0) {
            ::close(fds[0]);
            const std::string report = body();
            std::string_view rest = report;
            while (!rest.empty()) {
                const ssize_t n = ::write(fds[1], rest.data(), rest.size());
                if (n < 0 && errno == EINTR)
                    continue;
                if (n <= 0)
                    break;
                rest.remove_prefix(static_cast<std::size_t>(n));
            }
            ::_exit(0);
        }
        ::close(fds[1]);
        if (m_pid < 0) {
            ::close(fds[0]);
            return;
        }
        m_report = fds[0];
    }
    ChildProcess(ChildProcess &&other) noexcept
        : m_pid(std::exchange(other.m_pid, -1))
        , m_report(std::exchange(other.m_report, -1))
    { }
    ChildProcess &operator=(ChildProcess &&) = delete;
    ~ChildProcess()
    {
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            int status;
            while (::waitpid(m_pid, &status, 0) < 0 && errno == EINTR) { }
        }
        if (m_report >= 0)
            ::close(m_report);
    }

    bool started() const { return m_pid > 0; }

    // Collects the report and the exit; past timeout the child is killed and the outcome says so.
    ChildOutcome wait(std::chrono::milliseconds timeout)
    {
        ChildOutcome out;
        if (m_pid <= 0)
            return out;
        const auto deadline = Clock::now() + timeout;
        while (m_report >= 0) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            if (left.count() <= 0)
                break;
            pollfd p {m_report, POLLIN, 0};
            const int r = ::poll(&p, 1, static_cast<int>(left.count()));
            if (r < 0 && errno == EINTR)
                continue;
            if (r <= 0)
                break;
            char buffer[4096];
            const ssize_t n = ::read(m_report, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                ::close(m_report);
                m_report = -1;
                break;
            }
            out.report.append(buffer, static_cast<std::size_t>(n));
        }
        for (;;) {
            int status = 0;
            const pid_t r = ::waitpid(m_pid, &status, WNOHANG);
            if (r == m_pid) {
                out.finished = true;
                if (WIFSIGNALED(status))
                    out.signal = WTERMSIG(status);
                else
                    out.exitCode = WEXITSTATUS(status);
                m_pid = -1;
                return out;
            }
            if ((r < 0 && errno != EINTR) || Clock::now() >= deadline) {
                ::kill(m_pid, SIGKILL);
                while (::waitpid(m_pid, &status, 0) < 0 && errno == EINTR) { }
                m_pid = -1;
                return out;
            }
            std::this_thread::sleep_for(1ms);
        }
    }

private:
    pid_t m_pid = -1;
    int m_report = -1;
};

} // namespace faultsupport
