#include "find/TextSearch.h"

#include "platform/rtf/RtfCarriedGroups.h"

#include <QTextBlock>
#include <QTextDocument>

#include <algorithm>
#include <array>
#include <bitset>
#include <memory>
#include <mutex>
#include <vector>

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

// A paragraph's visible text, and where each of its characters stands in the paragraph.
// Characters that stand for carried groups are left out; a non-breaking space reads as a typed
// space, as in the control's own search.
class VisibleText
{
public:
    explicit VisibleText(const QTextBlock& block) : m_text(block.text())
    {
        // Most paragraphs hold no object at all: their text is searched as it is.
        if (m_text.contains(QChar::ObjectReplacementCharacter))
            leaveOutCarried(block);
        m_text.replace(QChar::Nbsp, QLatin1Char(' '));
    }

    const QString& text() const { return m_text; }

    // The paragraph offset of the visible character at `index`.
    int offsetOf(qsizetype index) const
    {
        return m_offsets.empty() ? static_cast<int>(index) : m_offsets[static_cast<size_t>(index)];
    }

    // The first visible character at or after the paragraph's `offset`.
    qsizetype visibleFrom(int offset) const
    {
        if (m_offsets.empty())
            return offset;
        return std::lower_bound(m_offsets.begin(), m_offsets.end(), offset) - m_offsets.begin();
    }

private:
    void leaveOutCarried(const QTextBlock& block)
    {
        const QString raw = m_text;
        m_text.clear();
        m_offsets.reserve(static_cast<size_t>(raw.size()) + 1);
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (carried::isInlineObject(fragment.charFormat()))
                continue;
            const int from = fragment.position() - block.position();
            m_text += QStringView(raw).sliced(from, fragment.length());
            for (int i = from; i < from + fragment.length(); ++i)
                m_offsets.push_back(i);
        }
        m_offsets.push_back(static_cast<int>(raw.size()));
    }

    QString m_text;
    std::vector<int> m_offsets; // empty when every character is visible
};

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

Match findInDocument(const QTextDocument& document, const QString& what, long start, int options)
{
    const long length = document.characterCount() - 1;
    if (what.isEmpty() || start < 0 || start > length)
        return {};
    for (QTextBlock block = document.findBlock(static_cast<int>(start)); block.isValid();
         block = block.next()) {
        const VisibleText visible(block);
        const int from = static_cast<int>(std::max(0L, start - block.position()));
        const qsizetype at = findInText(visible.text(), what, visible.visibleFrom(from), options);
        if (at < 0)
            continue;
        return {block.position() + visible.offsetOf(at),
                block.position() + visible.offsetOf(at + what.size() - 1) + 1L};
    }
    return {};
}

} // namespace textsearch
