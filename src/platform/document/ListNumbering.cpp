#include "platform/document/ListNumbering.h"

#include "platform/document/DocumentFormat.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextList>

#include <algorithm>
#include <utility>
#include <vector>

namespace docformat
{

namespace
{

QString romanNumber(int n)
{
    static constexpr std::pair<int, const char*> Parts[] = {
        {1000, "m"}, {900, "cm"}, {500, "d"}, {400, "cd"}, {100, "c"}, {90, "xc"}, {50, "l"},
        {40, "xl"},  {10, "x"},   {9, "ix"},  {5, "v"},    {4, "iv"},  {1, "i"}};
    QString out;
    for (const auto& [value, letters] : Parts)
        for (; n >= value; n -= value)
            out += QLatin1String(letters);
    return out;
}

QString letterNumber(int n)
{
    QString out;
    for (; n > 0; n = (n - 1) / 26)
        out.prepend(QChar(u'a' + (n - 1) % 26));
    return out;
}

bool isNumberStyle(QTextListFormat::Style style)
{
    switch (style) {
    case QTextListFormat::ListDecimal:
    case QTextListFormat::ListLowerAlpha:
    case QTextListFormat::ListUpperAlpha:
    case QTextListFormat::ListLowerRoman:
    case QTextListFormat::ListUpperRoman:
    case QTextListFormat::ListStyleUndefined:
        return true;
    default:
        return false;
    }
}

// The level text of the list: "%1.%2." with the numbers of levels 1..9, "%%" for a '%'.
QString levelTemplateOf(const QTextListFormat& format, int level)
{
    const QString given = format.stringProperty(ListLevelText);
    if (!given.isEmpty())
        return given;
    auto escaped = [](QString text) { return text.replace(u'%', QStringLiteral("%%")); };
    return escaped(format.numberPrefix()) + u'%' + QString::number(level + 1) +
           escaped(format.numberSuffix());
}

} // namespace

void setListNumberStyle(QTextListFormat& format, QTextListFormat::Style style)
{
    format.setStyle(QTextListFormat::ListStyleUndefined);
    format.setProperty(ListNumberStyle, static_cast<int>(style));
}

bool isNumberedList(const QTextListFormat& format)
{
    return format.hasProperty(ListNumberStyle);
}

void giveNumberedListsQtStyles(QTextDocument& document)
{
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        QTextList* list = block.textList();
        if (!list || !isNumberedList(list->format()))
            continue;
        QTextListFormat format = list->format();
        format.setStyle(listStyleOf(format));
        format.clearProperty(ListNumberStyle);
        list->setFormat(format);
    }
}

QTextListFormat::Style listStyleOf(const QTextListFormat& format)
{
    if (!isNumberedList(format))
        return format.style();
    const auto style = static_cast<QTextListFormat::Style>(format.intProperty(ListNumberStyle));
    return isNumberStyle(style) ? style : QTextListFormat::ListDecimal;
}

int listLevelOf(const QTextListFormat& format)
{
    const int level =
        format.hasProperty(ListLevel) ? format.intProperty(ListLevel) : format.indent() - 1;
    return std::clamp(level, 0, 8);
}

int listStartOf(const QTextListFormat& format)
{
    return format.hasProperty(ListStart) ? format.intProperty(ListStart) : 1;
}

QString numberText(int n, QTextListFormat::Style style)
{
    switch (style) {
    case QTextListFormat::ListLowerAlpha:
        return n > 0 ? letterNumber(n) : QString::number(n);
    case QTextListFormat::ListUpperAlpha:
        return n > 0 ? letterNumber(n).toUpper() : QString::number(n);
    case QTextListFormat::ListLowerRoman:
        return n > 0 && n < 5000 ? romanNumber(n) : QString::number(n);
    case QTextListFormat::ListUpperRoman:
        return n > 0 && n < 5000 ? romanNumber(n).toUpper() : QString::number(n);
    case QTextListFormat::ListStyleUndefined:
        return QString();
    default:
        return QString::number(n);
    }
}

qint64 outlineKeyOf(const QTextList& list)
{
    const QTextListFormat format = list.format();
    // Lists outside any outline are told apart by their object.
    return format.hasProperty(ListGroup)
               ? format.intProperty(ListGroup)
               : (qint64(1) << 62) | qint64(reinterpret_cast<quintptr>(&list));
}

QString ListNumberer::next(const QTextList& list)
{
    const QTextListFormat format = list.format();
    const qint64 key = outlineKeyOf(list);
    auto found = m_outlines.find(key);
    if (found == m_outlines.end()) {
        found = m_outlines.insert(key, Outline());
        found->style.fill(QTextListFormat::ListDecimal);
    }
    Outline& outline = found.value();
    const int level = listLevelOf(format);
    outline.counter[level] =
        outline.counting[level] ? outline.counter[level] + 1 : listStartOf(format);
    outline.counting[level] = true;
    outline.style[level] = listStyleOf(format);
    for (int below = level + 1; below < 9; ++below)
        outline.counting[below] = false;

    const QString pattern = levelTemplateOf(format, level);
    QString out;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern[i];
        if (c == u'%' && i + 1 < pattern.size()) {
            const QChar d = pattern[++i];
            if (d >= u'1' && d <= u'9') {
                const int of = d.unicode() - u'1';
                // The number of a level below this one has no value here: the text ends.
                if (of > level)
                    break;
                // A level above that has no item yet counts as its first.
                const int n = of == level || outline.counting[of] ? outline.counter[of] : 1;
                out += numberText(n, outline.style[of]);
                continue;
            }
            out += d;
            continue;
        }
        out += c;
    }
    return out;
}

QHash<int, QString> numbersOfOutline(const QList<const QTextList*>& levels)
{
    std::vector<std::pair<int, const QTextList*>> items;
    for (const QTextList* list : levels)
        for (int i = 0; i < list->count(); ++i)
            items.emplace_back(list->item(i).blockNumber(), list);
    std::sort(items.begin(), items.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    QHash<int, QString> numbers;
    numbers.reserve(static_cast<qsizetype>(items.size()));
    ListNumberer numberer;
    for (const auto& [paragraph, list] : items)
        numbers.insert(paragraph, numberer.next(*list));
    return numbers;
}

} // namespace docformat
