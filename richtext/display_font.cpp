#include "richtext/display_font.h"

namespace richtext {

QFont displayFace(QFont font)
{
    font.setFamilies({QStringLiteral("Verdana")});
    font.setStyleHint(QFont::SansSerif);
    return font;
}

QFont displayFont()
{
    QFont font = displayFace();
    font.setPointSize(10);
    font.setBold(false);
    return font;
}

} // namespace richtext
