#pragma once

#include <QByteArray>

class QPrinter;

// Puts a PDF document on a printer. A printer that writes a PDF file gets the document
// itself, its text intact; any other printer (a real one, or a print preview) gets each page
// drawn as a picture. Fails with PlatformError.
void printPdf(const QByteArray &document, QPrinter &printer);
