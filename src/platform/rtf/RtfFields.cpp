#include "platform/rtf/RtfFields.h"

#include "platform/document/CodePages.h"

#include <QStringList>

namespace rtf::detail
{

namespace
{

// The instruction's words; a quoted argument is one word without its quotes.
QStringList instructionWords(const QString& instruction)
{
    QStringList words;
    QString word;
    bool quoted = false;
    bool started = false;
    for (const QChar c : instruction) {
        if (c == u'"') {
            quoted = !quoted;
            started = true;
            continue;
        }
        if (c.isSpace() && !quoted) {
            if (started)
                words.append(word);
            word.clear();
            started = false;
            continue;
        }
        word += c;
        started = true;
    }
    if (started)
        words.append(word);
    return words;
}

int parseCode(const QString& word)
{
    bool ok = false;
    const int code = word.startsWith(u"0x", Qt::CaseInsensitive) ? word.mid(2).toInt(&ok, 16)
                                                                 : word.toInt(&ok, 10);
    return ok ? code : -1;
}

// Fonts that draw their own pictures on the codes of the Windows private use area.
bool isPictureFont(const QString& font)
{
    return font.startsWith(u"Wingdings", Qt::CaseInsensitive) ||
           font.startsWith(u"Webdings", Qt::CaseInsensitive) ||
           font.compare(u"Marlett", Qt::CaseInsensitive) == 0;
}

QString characterFor(int code, const QString& font, bool unicode)
{
    if (unicode || code > 0xFF) {
        if (code > 0xFFFF || (code >= 0xD800 && code <= 0xDFFF))
            return QString();
        return QString(QChar(static_cast<char16_t>(code)));
    }
    if (font.startsWith(u"Symbol", Qt::CaseInsensitive)) {
        const char byte = static_cast<char>(code);
        QString decoded;
        codepage::forNumber(codepage::SymbolFont).decodeAppend(&byte, 1, decoded);
        return decoded;
    }
    if (isPictureFont(font))
        return QString(QChar(static_cast<char16_t>(0xF000 + code)));
    return QString(QChar(codepage::windows1252(static_cast<uint8_t>(code))));
}

} // namespace

std::optional<SymbolField> symbolField(const QString& instruction)
{
    const QStringList words = instructionWords(instruction);
    if (words.size() < 2 || words.first().compare(u"SYMBOL", Qt::CaseInsensitive) != 0)
        return std::nullopt;
    const int code = parseCode(words.at(1));
    if (code < 0x20)
        return std::nullopt;
    SymbolField symbol;
    bool unicode = false;
    for (qsizetype i = 2; i < words.size(); ++i) {
        const QString& word = words.at(i);
        const bool hasArgument = i + 1 < words.size();
        if (word.compare(u"\\f", Qt::CaseInsensitive) == 0 && hasArgument)
            symbol.font = words.at(++i);
        else if (word.compare(u"\\s", Qt::CaseInsensitive) == 0 && hasArgument)
            symbol.pointSize = qBound(0.0, words.at(++i).toDouble(), 1638.0);
        else if (word.compare(u"\\u", Qt::CaseInsensitive) == 0)
            unicode = true;
    }
    symbol.character = characterFor(code, symbol.font, unicode);
    if (symbol.character.isEmpty() || symbol.character.at(0).unicode() < 0x20)
        return std::nullopt;
    return symbol;
}

} // namespace rtf::detail
