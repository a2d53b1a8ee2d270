#include "richtext/link_opener.h"

#include <QDesktopServices>

namespace richtext {

bool isOpenableLink(const QUrl &url)
{
    if (!url.isValid())
        return false;
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String("http") || scheme == QLatin1String("https"))
        return !url.host().isEmpty();
    if (scheme == QLatin1String("mailto"))
        return !url.path().isEmpty();
    return false;
}

bool DesktopLinkOpener::openLink(const QUrl &url)
{
    if (!isOpenableLink(url))
        return false;
    return QDesktopServices::openUrl(url);
}

} // namespace richtext
