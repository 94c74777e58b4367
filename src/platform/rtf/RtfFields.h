#pragma once

#include <QString>

#include <optional>

// Field instructions the reader gives meaning to beyond their result.
namespace rtf::detail
{

// A SYMBOL field: the character it stands for (as Unicode, as the editor shows it), the font it
// names and the size in points it asks for (0 when it does not).
struct SymbolField {
    QString character;
    QString font;
    double pointSize = 0;
};

// The symbol of a `SYMBOL code [\f font] [\s size] [\u] [\a] [\j] [\h]` instruction; none for any
// other instruction or a code that stands for nothing.
std::optional<SymbolField> symbolField(const QString& instruction);

} // namespace rtf::detail
