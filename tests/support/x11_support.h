#pragma once

// What the tests under a real X server share.

#include <QProcess>
#include <QString>

namespace testsupport {

// The X server's windows, as xwininfo lists them: id "caption": ("instance" "class") ...
inline QString windowTree()
{
    QProcess xwininfo;
    xwininfo.start(QStringLiteral("xwininfo"), {QStringLiteral("-root"), QStringLiteral("-tree")});
    if (!xwininfo.waitForFinished(10000))
        return {};
    return QString::fromUtf8(xwininfo.readAllStandardOutput());
}

} // namespace testsupport
