#pragma once

class QTextDocument;

// Scales what a document shows by factor: every stated font size and every picture. Text in
// the default font follows the display's base font, which the caller scales.
void scaleDocument(QTextDocument *document, double factor);
