#pragma once

#include <QUrl>

namespace richtext {

// Opens a link a reader clicked in a topic. Only web and mail links are ever opened: nothing in
// a topic may start a program or open a local file.
class LinkOpener
{
public:
    virtual ~LinkOpener() = default;
    // Returns false when the link was refused or could not be opened.
    virtual bool openLink(const QUrl &url) = 0;
};

// http, https and mailto, with a host or address; everything else is refused.
bool isOpenableLink(const QUrl &url);

// Hands openable links to the desktop's browser or mail program.
class DesktopLinkOpener final : public LinkOpener
{
public:
    bool openLink(const QUrl &url) override;
};

} // namespace richtext
