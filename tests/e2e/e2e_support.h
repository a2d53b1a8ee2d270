#pragma once

// Runs the drivers and the real programs as child processes that tests can feed, watch, limit
// and kill.

#include "tests/storage/fault_support.h"

#include <QDeadlineTimer>
#include <QProcess>
#include <QStringList>

#include <optional>
#include <sys/resource.h>

namespace e2e {

// What a child process is given before it runs the program.
struct ChildSetup
{
    // RLIMIT_FSIZE in bytes; none when unset.
    std::optional<rlim_t> fileSizeLimit;
    // Runs as faultsupport::kNobody, so that permission bits hold even for a root test.
    bool asNobody = false;
};

// Exit code of a child that could not be set up as asked.
inline constexpr int kSetupFailed = 125;

// A driver (or program) process and the lines it has written to stdout.
class Process
{
public:
    Process() = default;
    Process(const Process &) = delete;
    Process &operator=(const Process &) = delete;
    ~Process()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(10000);
        }
    }

    void start(const QString &program, const QStringList &arguments, const ChildSetup &setup = {})
    {
        m_process.setChildProcessModifier([setup] {
            // Like the programs: a write past the limit fails instead of ending the process.
            ::signal(SIGXFSZ, SIG_IGN);
            if (setup.fileSizeLimit) {
                const rlimit limit {*setup.fileSizeLimit, *setup.fileSizeLimit};
                if (::setrlimit(RLIMIT_FSIZE, &limit) != 0)
                    ::_exit(kSetupFailed);
            }
            if (setup.asNobody && !faultsupport::becomeNobody())
                ::_exit(kSetupFailed);
        });
        m_process.start(program, arguments);
    }

    bool waitStarted() { return m_process.waitForStarted(30000); }
    qint64 pid() const { return m_process.processId(); }
    bool running() const { return m_process.state() == QProcess::Running; }

    void send(const QString &line)
    {
        m_process.write(line.toUtf8() + '\n');
        m_process.waitForBytesWritten(10000);
    }

    // Waits for the next line, after those already waited for, that starts with prefix; lines
    // passed over stay in lines(). Empty when the process ends or the time runs out first.
    std::optional<QString> waitFor(const QString &prefix, int timeoutMs = 120000)
    {
        QDeadlineTimer deadline(timeoutMs);
        for (;;) {
            while (m_cursor < m_lines.size()) {
                const QString &line = m_lines[m_cursor++];
                if (line.startsWith(prefix))
                    return line;
            }
            if (m_process.state() == QProcess::NotRunning || deadline.hasExpired())
                return std::nullopt;
            m_process.waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime())));
            collect();
        }
    }

    void kill()
    {
        m_process.kill();
        m_process.waitForFinished(30000);
        collect();
    }

    // Closes stdin and waits for the end; true when the process exited with code 0.
    bool finish(int timeoutMs = 120000)
    {
        m_process.closeWriteChannel();
        if (!m_process.waitForFinished(timeoutMs)) {
            kill();
            return false;
        }
        collect();
        return m_process.exitStatus() == QProcess::NormalExit && m_process.exitCode() == 0;
    }

    int exitCode() const { return m_process.exitCode(); }
    QProcess::ExitStatus exitStatus() const { return m_process.exitStatus(); }

    const QStringList &lines()
    {
        // Without an event loop QProcess reads the pipe only when asked to wait.
        while (m_process.state() == QProcess::Running && m_process.waitForReadyRead(0))
            collect();
        collect();
        return m_lines;
    }

    // The texts of the message boxes shown so far.
    QStringList boxes()
    {
        QStringList texts;
        for (const QString &line : lines()) {
            if (line.startsWith(QLatin1String("box "))) {
                const qsizetype space = line.indexOf(QLatin1Char(' '), 4);
                texts << (space < 0 ? QString() : line.mid(space + 1));
            }
        }
        return texts;
    }

    // stdout and stderr, for a failure message.
    QByteArray transcript()
    {
        return "stdout:\n" + lines().join(QLatin1Char('\n')).toUtf8() + "\nstderr:\n"
            + m_process.readAllStandardError().right(4000);
    }

private:
    void collect()
    {
        m_pending += m_process.readAllStandardOutput();
        qsizetype end;
        while ((end = m_pending.indexOf('\n')) >= 0) {
            m_lines << QString::fromUtf8(m_pending.left(end));
            m_pending.remove(0, end + 1);
        }
    }

    QProcess m_process;
    QByteArray m_pending;
    QStringList m_lines;
    qsizetype m_cursor = 0;
};

// Whether a forked child can become faultsupport::kNobody here.
inline bool canBecomeNobody()
{
    if (::geteuid() != 0)
        return false;
    faultsupport::ChildProcess child(
        [] { return std::string(faultsupport::becomeNobody() ? "yes" : "no"); });
    return child.wait(std::chrono::seconds(10)).report == "yes";
}

// A topic as the tests write it: every field a quoted string, as Penwick's rewrites keep them.
struct Topic
{
    std::string level;
    std::string name;
    std::string text;
};

inline std::string documentBytes(const std::vector<Topic> &topics)
{
    std::string bytes;
    for (const Topic &t : topics)
        bytes += faultsupport::quotedRecord(t.level, t.name, t.text);
    return bytes;
}

inline std::string smallRtf(const std::string &words)
{
    return "{\\rtf1\\ansi " + words + "\\par\r\n}";
}

} // namespace e2e
