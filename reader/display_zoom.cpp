#include "reader/display_zoom.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>

void scaleDocument(QTextDocument *document, double factor)
{
    if (!document || factor == 1.0)
        return;
    // Fragments change as their formats do: collect what to change first, then change it.
    struct Change
    {
        int position;
        int length;
        QTextCharFormat format;
    };
    QList<Change> changes;
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            QTextCharFormat format = fragment.charFormat();
            bool changed = false;
            if (format.hasProperty(QTextFormat::FontPointSize)) {
                format.setFontPointSize(format.fontPointSize() * factor);
                changed = true;
            }
            if (format.isImageFormat()) {
                QTextImageFormat image = format.toImageFormat();
                if (image.width() > 0)
                    image.setWidth(image.width() * factor);
                if (image.height() > 0)
                    image.setHeight(image.height() * factor);
                format = image;
                changed = true;
            }
            if (changed)
                changes.append({fragment.position(), fragment.length(), format});
        }
    }
    QTextCursor cursor(document);
    cursor.beginEditBlock();
    for (const Change &change : std::as_const(changes)) {
        cursor.setPosition(change.position);
        cursor.setPosition(change.position + change.length, QTextCursor::KeepAnchor);
        cursor.setCharFormat(change.format);
    }
    cursor.endEditBlock();
}
