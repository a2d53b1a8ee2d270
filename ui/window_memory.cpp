#include "ui/window_memory.h"

#include <QSettings>
#include <QWidget>

namespace {

QSettings settings()
{
    // One small file for both programs, in the user's configuration folder.
    return QSettings(QStringLiteral("scrivane"), QStringLiteral("windows"));
}

QString sizeKey(const QString &key)
{
    return key + QStringLiteral("/size");
}

} // namespace

void restoreWindowSize(QWidget *window, const QString &key)
{
    const QSize size = settings().value(sizeKey(key)).toSize();
    if (!size.isValid())
        return;
    window->resize(size.expandedTo(window->minimumSizeHint()).expandedTo(window->minimumSize()));
}

void rememberWindowSize(const QWidget *window, const QString &key)
{
    QSettings store = settings();
    store.setValue(sizeKey(key), window->size());
}
