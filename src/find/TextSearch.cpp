#include "find/TextSearch.h"

#include <QTextBlock>
#include <QTextDocument>

#include <array>
#include <bitset>
#include <memory>
#include <mutex>

namespace textsearch
{

namespace
{

bool isWordCharacter(char32_t codePoint)
{
    switch (QChar::category(codePoint)) {
    case QChar::Letter_Uppercase:
    case QChar::Letter_Lowercase:
    case QChar::Letter_Titlecase:
    case QChar::Letter_Modifier:
    case QChar::Letter_Other:
    case QChar::Mark_NonSpacing:
    case QChar::Mark_SpacingCombining:
    case QChar::Mark_Enclosing:
    case QChar::Number_DecimalDigit:
    case QChar::Number_Letter:
    case QChar::Number_Other:
        return true;
    default:
        return false;
    }
}

char32_t codePointBefore(QStringView text, qsizetype position)
{
    const QChar last = text[position - 1];
    if (last.isLowSurrogate() && position >= 2 && text[position - 2].isHighSurrogate())
        return QChar::surrogateToUcs4(text[position - 2], last);
    return last.unicode();
}

char32_t codePointAt(QStringView text, qsizetype position)
{
    const QChar first = text[position];
    if (first.isHighSurrogate() && position + 1 < text.size() &&
        text[position + 1].isLowSurrogate())
        return QChar::surrogateToUcs4(first, text[position + 1]);
    return first.unicode();
}

// The UTF-16 units that fold to the same unit as `unit`: the units a case-insensitive match can
// begin with. Built once per unit and kept, so that Replace All's many searches do not rebuild it.
class FoldedVariants
{
public:
    static const std::bitset<0x10000>& of(char16_t unit)
    {
        static std::mutex guard;
        static std::array<std::unique_ptr<std::bitset<0x10000>>, 0x10000> cache;
        const std::lock_guard lock(guard);
        std::unique_ptr<std::bitset<0x10000>>& entry = cache[unit];
        if (!entry) {
            entry = std::make_unique<std::bitset<0x10000>>();
            const char16_t folded = QChar(unit).toCaseFolded().unicode();
            for (char32_t candidate = 0; candidate < 0x10000; ++candidate) {
                if (QChar(static_cast<char16_t>(candidate)).toCaseFolded().unicode() == folded)
                    entry->set(candidate);
            }
        }
        return *entry;
    }
};

qsizetype nextCandidate(QStringView text, QStringView what, qsizetype from, bool matchCase)
{
    const QChar first = what.front();
    if (matchCase || first.isSurrogate())
        return text.indexOf(what, from, matchCase ? Qt::CaseSensitive : Qt::CaseInsensitive);
    const std::bitset<0x10000>& starts = FoldedVariants::of(first.unicode());
    const qsizetype last = text.size() - what.size();
    for (qsizetype i = from; i <= last; ++i) {
        if (starts.test(text[i].unicode()) &&
            text.sliced(i, what.size()).compare(what, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

} // namespace

bool isWholeWordAt(QStringView text, qsizetype position, qsizetype length)
{
    const qsizetype end = position + length;
    if (position > 0 && isWordCharacter(codePointBefore(text, position)))
        return false;
    return end >= text.size() || !isWordCharacter(codePointAt(text, end));
}

qsizetype findInText(QStringView text, QStringView what, qsizetype from, int options)
{
    if (what.isEmpty() || from < 0)
        return -1;
    const bool matchCase = options & MatchCase;
    while (from + what.size() <= text.size()) {
        const qsizetype at = nextCandidate(text, what, from, matchCase);
        if (at < 0)
            return -1;
        if (!(options & WholeWord) || isWholeWordAt(text, at, what.size()))
            return at;
        from = at + 1;
    }
    return -1;
}

long findInDocument(const QTextDocument& document, const QString& what, long start, int options)
{
    const long length = document.characterCount() - 1;
    if (what.isEmpty() || start < 0 || start > length)
        return -1;
    for (QTextBlock block = document.findBlock(static_cast<int>(start)); block.isValid();
         block = block.next()) {
        QString text = block.text();
        // A non-breaking space matches a typed space, as in the control's own search.
        text.replace(QChar::Nbsp, QLatin1Char(' '));
        const qsizetype from = std::max(0L, start - block.position());
        const qsizetype at = findInText(text, what, from, options);
        if (at >= 0)
            return block.position() + static_cast<long>(at);
    }
    return -1;
}

} // namespace textsearch
