#pragma once

#include "richtext/rtf_reader.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QFont>
#include <QString>
#include <QTextEdit>
#include <QUrl>

#include <memory>
#include <optional>

class QPrinter;

namespace richtext {

class DesktopLinkOpener;
class LinkOpener;

// The rich-text control of the windows: the author's paste box (Add) and the topic displays
// (RichTextBox1). Its content goes in and out as RTF; pasted RTF keeps its formatting. In a
// read-only box, clicked links are opened through a LinkOpener, and only web and mail links.
class RichTextBox : public QTextEdit
{
    Q_OBJECT

public:
    explicit RichTextBox(QWidget *parent = nullptr);
    ~RichTextBox() override;

    // The whole content as one RTF document.
    QByteArray TextRTF() const;
    // Replaces the whole content with the RTF's; the empty string empties the control. The
    // undo history is cleared and the view shows the start. Input that is not RTF is shown as
    // plain text; what the reader found is returned for a caller that wants to tell.
    RtfReadReport setTextRTF(QByteArrayView rtf);

    // The plain characters of the content. Pictures are not characters, and neither are
    // paragraph breaks on their own: a content of only pictures and empty paragraphs gives the
    // empty string, exactly when the control shows no characters.
    QString Text() const;
    // Replaces the content with plain text; the empty string empties the control. Hides
    // QTextEdit::setText, which would read HTML.
    void setText(const QString &text);

    // The default font that content without its own font or size is shown in; the content's
    // formatting applies on top. Verdana where installed, else the nearest sans-serif face.
    void setBaseFont(qreal pointSize, bool bold);

    // Prints the selection, or the whole content when nothing is selected, inside the printer's
    // margins, a page at a time. False when the printer could not be started or a page not
    // begun; nothing is then known to be printed.
    bool SelPrint(QPrinter *printer) const;

    // Read-only boxes are displays: text stays selectable and links are followed on a click,
    // or on Enter after Tab has moved to them. Hides QTextEdit::setReadOnly.
    void setReadOnly(bool readOnly);

    // Where followed links go; not owned. nullptr restores the desktop's browser and mail
    // program.
    void setLinkOpener(LinkOpener *opener);
    LinkOpener *linkOpener() const { return m_linkOpener; }

    // What a click on a link does with its reference: nothing in an editable box; "#name"
    // scrolls to that anchor; a topic link ("topic:NAME") is handed to the window through
    // topicLinkActivated; other links go to the link opener when isOpenableLink allows them,
    // and are refused otherwise. True when the link was followed.
    bool followLink(const QString &href);

    // The reference of the link that Tab has moved to, or an empty string.
    QString focusedLink() const;

Q_SIGNALS:
    // A link was clicked that is never opened (a local file, a program, a script).
    void linkRefused(const QUrl &url);
    // A link to a topic of the same document was followed; name as the link gives it.
    void topicLinkActivated(const QString &name);

protected:
    bool canInsertFromMimeData(const QMimeData *source) const override;
    void insertFromMimeData(const QMimeData *source) override;
    QMimeData *createMimeDataFromSelection() const override;

    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool focusNextPrevChild(bool next) override;

private:
    // The selection as a document of its own, or a copy of the whole content when nothing is
    // selected; pictures come along.
    std::unique_ptr<QTextDocument> selectionDocument(bool wholeWhenNoSelection) const;
    // Selects the next or previous link after the cursor; false when there is none.
    bool moveLinkFocus(bool next);

    std::unique_ptr<DesktopLinkOpener> m_desktopOpener;
    LinkOpener *m_linkOpener = nullptr;
    // TextRTF of the content as it was last written out; a save asks for it several times, and
    // a large topic takes a while to write. Dropped whenever the content changes.
    struct WrittenRtf
    {
        const QTextDocument *document = nullptr;
        QFont defaultFont;
        QByteArray rtf;
    };
    mutable std::optional<WrittenRtf> m_written;
    QString m_pressedAnchor;
    QPoint m_pressPoint;
};

} // namespace richtext
