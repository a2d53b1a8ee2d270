#pragma once

#include <QFont>

namespace richtext {

// The face a topic's text is shown in where its RTF names none: Verdana where installed, else
// the nearest sans-serif face. Everything that shows a topic (the reader's display, scvtool's
// rendering, the PDF manual) starts from it, so that the three look alike.
QFont displayFace(QFont font = QFont());

// The face at the reader's own size: 10 points, not bold.
QFont displayFont();

} // namespace richtext
