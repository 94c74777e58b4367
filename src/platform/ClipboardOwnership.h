#pragma once

class QMimeData;

// Clipboard content that Wordlark put there carries a marker, so that leaving the program can take
// away its own content and never another program's.
void markAsWordlarkClipboardData(QMimeData& data);
bool clipboardHoldsWordlarkData();
// Empties the clipboard if, and only if, it holds content that Wordlark put there.
void emptyClipboardIfOurs();
