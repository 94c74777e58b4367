#pragma once

class RichTextBox;

enum class CaseConversion { Lower, Upper };

// Re-cases the selected text with the full Unicode case mapping (so "ß" becomes "SS" and "ǅ"
// becomes "ǆ" or "Ǆ"). Each run of text keeps its character format, and pictures and paragraph
// breaks inside the selection stay as they are. Afterwards the caret stands after the converted
// text and nothing is selected; an empty selection changes nothing.
void recaseSelection(RichTextBox& editor, CaseConversion conversion);
