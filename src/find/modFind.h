#pragma once

#include <QString>

#include <cstdint>

// The search state that the Find and Replace dialog and the main window's Find Next share. It is
// set once at program start and lives for the whole run, across dialog openings and documents.

// Where the next search starts: a zero-based character position in the document.
extern std::int32_t glngFindStart;
// The text searched for, from the dialog's Find what box.
extern QString gstrFindWhat;
// Whether the last search found a match.
extern bool gblnFound;
// The answer to the restart prompt after a failed search: 6 Yes, 7 No.
extern std::int16_t gintFindResponse;
// True while Replace All runs: a failed search then asks nothing and answers No.
extern bool gblnReplaceAll;
extern bool gblnWholeWord;
extern bool gblnMatchCase;
// The last text that Replace or Replace All replaced with; the Replace with box opens with it.
extern QString gstrReplaceWith;

// The option sum passed to the document's search: 2 whole word, 4 match case.
int SearchOptions();

// The question asked when a search reaches the end of the document without a match.
QString RestartPrompt();

// One forward search from glngFindStart in the main window's document. A match is selected and
// the next search starts right after it; no match asks whether to restart at the top (silently
// No during Replace All) and leaves the answer in gintFindResponse for the caller.
void SearchDocument();
