#pragma once

#include <QString>

class QTextStream;

// The headless conversion behind `wordlark --convert IN OUT`. IN is read as RTF when its name ends
// exactly in ".rtf", else as plain text; OUT's extension picks the writer: .rtf, .txt, .html, .odt,
// .md. Returns the exit status: 0 on success; 1 on failure, with exactly one line on `err` naming
// the file and the error, and OUT left as it was (written through a temporary file and a rename).
// Needs a QGuiApplication (the offscreen platform will do).
int runConversion(const QString& inPath, const QString& outPath, QTextStream& err);
