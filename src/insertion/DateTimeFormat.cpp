#include "insertion/DateTimeFormat.h"

#include <QList>

namespace
{

enum class TokenKind {
    Literal,
    Day,         // d, dd
    WeekdayName, // ddd, dddd
    ShortDate,   // ddddd
    LongDate,    // dddddd
    Weekday,     // w
    WeekOfYear,  // ww
    Month,       // m, mm
    MonthName,   // mmm, mmmm
    Quarter,     // q
    DayOfYear,   // y
    Year,        // yy, yyyy
    Hour,        // h, hh
    Minute,      // n, nn, or m, mm after an hour
    Second,      // s, ss
    DateSeparator,
    TimeSeparator,
    Marker, // AM/PM and its kin
};

enum class MarkerStyle { Designator, LowerDesignator, Letter, LowerLetter };

struct Token {
    TokenKind kind;
    int width = 1; // 1 or 2 for numbers, 3 or 4 for names
    QString text;  // literal text
    MarkerStyle marker = MarkerStyle::Designator;
};

bool startsWithAt(const QString& text, qsizetype at, QLatin1StringView what)
{
    return text.mid(at, what.size()).compare(what, Qt::CaseInsensitive) == 0;
}

qsizetype runLength(const QString& text, qsizetype at)
{
    const QChar c = text.at(at).toLower();
    qsizetype end = at;
    while (end < text.size() && text.at(end).toLower() == c)
        ++end;
    return end - at;
}

void appendLiteral(QList<Token>& tokens, const QString& text)
{
    if (!tokens.isEmpty() && tokens.last().kind == TokenKind::Literal)
        tokens.last().text += text;
    else
        tokens.append(Token{TokenKind::Literal, 1, text});
}

// Splits a format string into tokens. "m" and "mm" become minutes when the last token that was
// not literal text is an hour.
QList<Token> tokenize(const QString& format)
{
    QList<Token> tokens;
    bool afterHour = false;
    qsizetype i = 0;
    auto add = [&](TokenKind kind, int width) {
        tokens.append(Token{kind, width, QString()});
        afterHour = kind == TokenKind::Hour;
    };
    auto addMarker = [&](MarkerStyle style) {
        Token t{TokenKind::Marker, 1, QString()};
        t.marker = style;
        tokens.append(t);
        afterHour = false;
    };
    while (i < format.size()) {
        const QChar c = format.at(i);
        const QChar lower = c.toLower();
        if (startsWithAt(format, i, QLatin1StringView("am/pm"))) {
            addMarker(c.isLower() ? MarkerStyle::LowerDesignator : MarkerStyle::Designator);
            i += 5;
        } else if (startsWithAt(format, i, QLatin1StringView("ampm"))) {
            addMarker(MarkerStyle::Designator);
            i += 4;
        } else if (startsWithAt(format, i, QLatin1StringView("a/p"))) {
            addMarker(c.isLower() ? MarkerStyle::LowerLetter : MarkerStyle::Letter);
            i += 3;
        } else if (c == u'\\') {
            if (i + 1 < format.size())
                appendLiteral(tokens, format.mid(i + 1, 1));
            i += 2;
        } else if (c == u'"') {
            const qsizetype close = format.indexOf(u'"', i + 1);
            const qsizetype end = close < 0 ? format.size() : close;
            appendLiteral(tokens, format.mid(i + 1, end - i - 1));
            i = end + 1;
        } else if (c == u'/' || c == u':') {
            // Like literal text, a separator between hour and minutes keeps "h:mm" reading minutes.
            tokens.append(Token{c == u'/' ? TokenKind::DateSeparator : TokenKind::TimeSeparator, 1,
                                QString()});
            ++i;
        } else if (lower == u'd') {
            const qsizetype n = runLength(format, i);
            if (n >= 6) {
                add(TokenKind::LongDate, 6);
                i += 6;
            } else if (n == 5) {
                add(TokenKind::ShortDate, 5);
                i += 5;
            } else if (n >= 3) {
                add(TokenKind::WeekdayName, int(n));
                i += n;
            } else {
                add(TokenKind::Day, int(n));
                i += n;
            }
        } else if (lower == u'm') {
            const qsizetype n = runLength(format, i);
            if (n >= 3) {
                const int width = n >= 4 ? 4 : 3;
                add(TokenKind::MonthName, width);
                i += width;
            } else {
                add(afterHour ? TokenKind::Minute : TokenKind::Month, int(n));
                i += n;
            }
        } else if (lower == u'y') {
            const qsizetype n = runLength(format, i);
            const int width = n >= 4 ? 4 : n >= 2 ? 2 : 1;
            add(width == 1 ? TokenKind::DayOfYear : TokenKind::Year, width);
            i += width;
        } else if (lower == u'w') {
            const qsizetype n = runLength(format, i);
            const int width = n >= 2 ? 2 : 1;
            add(width == 2 ? TokenKind::WeekOfYear : TokenKind::Weekday, width);
            i += width;
        } else if (lower == u'q') {
            add(TokenKind::Quarter, 1);
            ++i;
        } else if (lower == u'h' || lower == u'n' || lower == u's') {
            const qsizetype n = runLength(format, i);
            const int width = n >= 2 ? 2 : 1;
            add(lower == u'h'   ? TokenKind::Hour
                : lower == u'n' ? TokenKind::Minute
                                : TokenKind::Second,
                width);
            i += width;
        } else {
            appendLiteral(tokens, QString(c));
            ++i;
        }
    }
    return tokens;
}

QString number(int value, int width)
{
    QString digits = QString::number(value);
    return width >= 2 ? digits.rightJustified(width, u'0') : digits;
}

QString nameAt(const QStringList& names, qsizetype index, int fallback)
{
    if (index >= 0 && index < names.size())
        return names.at(index);
    return QString::number(fallback);
}

// Sunday = 0 ... Saturday = 6.
int sundayBasedWeekday(const QDate& date)
{
    return date.dayOfWeek() % 7;
}

QString longDateOf(const QDate& date, const DateTimeLocale& locale);
QString shortDateOf(const QDate& date, const DateTimeLocale& locale);

QString render(const QDate& date, const QTime& time, const QString& format,
               const DateTimeLocale& locale)
{
    const QString name = format.trimmed();
    if (name.compare(QLatin1StringView("Long Date"), Qt::CaseInsensitive) == 0)
        return longDateOf(date, locale);
    if (name.compare(QLatin1StringView("Short Date"), Qt::CaseInsensitive) == 0)
        return shortDateOf(date, locale);

    const QList<Token> tokens = tokenize(format);
    bool twelveHour = false;
    for (const Token& t : tokens)
        twelveHour = twelveHour || t.kind == TokenKind::Marker;

    QString out;
    for (const Token& t : tokens) {
        switch (t.kind) {
        case TokenKind::Literal:
            out += t.text;
            break;
        case TokenKind::Day:
            out += number(date.day(), t.width);
            break;
        case TokenKind::WeekdayName:
            out += nameAt(t.width >= 4 ? locale.dayNames : locale.abbreviatedDayNames,
                          sundayBasedWeekday(date), sundayBasedWeekday(date) + 1);
            break;
        case TokenKind::ShortDate:
            out += shortDateOf(date, locale);
            break;
        case TokenKind::LongDate:
            out += longDateOf(date, locale);
            break;
        case TokenKind::Weekday:
            out += QString::number(sundayBasedWeekday(date) + 1);
            break;
        case TokenKind::WeekOfYear: {
            const int firstWeekday = sundayBasedWeekday(QDate(date.year(), 1, 1));
            out += QString::number((date.dayOfYear() - 1 + firstWeekday) / 7 + 1);
            break;
        }
        case TokenKind::Month:
            out += number(date.month(), t.width);
            break;
        case TokenKind::MonthName:
            out += nameAt(t.width >= 4 ? locale.monthNames : locale.abbreviatedMonthNames,
                          date.month() - 1, date.month());
            break;
        case TokenKind::Quarter:
            out += QString::number((date.month() - 1) / 3 + 1);
            break;
        case TokenKind::DayOfYear:
            out += QString::number(date.dayOfYear());
            break;
        case TokenKind::Year:
            if (t.width >= 4)
                out += number(date.year(), 4);
            else
                out += number(((date.year() % 100) + 100) % 100, 2);
            break;
        case TokenKind::Hour: {
            int hour = time.hour();
            if (twelveHour) {
                hour %= 12;
                if (hour == 0)
                    hour = 12;
            }
            out += number(hour, t.width);
            break;
        }
        case TokenKind::Minute:
            out += number(time.minute(), t.width);
            break;
        case TokenKind::Second:
            out += number(time.second(), t.width);
            break;
        case TokenKind::DateSeparator:
            out += locale.dateSeparator;
            break;
        case TokenKind::TimeSeparator:
            out += locale.timeSeparator;
            break;
        case TokenKind::Marker: {
            const bool pm = time.hour() >= 12;
            QString marker = pm ? locale.pmDesignator : locale.amDesignator;
            if (marker.isEmpty())
                marker = pm ? QStringLiteral("PM") : QStringLiteral("AM");
            switch (t.marker) {
            case MarkerStyle::Designator:
                break;
            case MarkerStyle::LowerDesignator:
                marker = marker.toLower();
                break;
            case MarkerStyle::Letter:
                marker = marker.left(1).toUpper();
                break;
            case MarkerStyle::LowerLetter:
                marker = marker.left(1).toLower();
                break;
            }
            out += marker;
            break;
        }
        }
    }
    return out;
}

QString longDateOf(const QDate& date, const DateTimeLocale& locale)
{
    if (locale.longDate)
        return locale.longDate(date);
    return render(date, QTime(0, 0), QStringLiteral("dddd, mmmm d, yyyy"), locale);
}

QString shortDateOf(const QDate& date, const DateTimeLocale& locale)
{
    if (locale.shortDate)
        return locale.shortDate(date);
    return render(date, QTime(0, 0), QStringLiteral("m/d/yyyy"), locale);
}

// The separator between the first two fields of a QLocale date or time format ("M/d/yy" -> "/",
// "dd.MM.yy" -> ".", "yy. M. d." -> "."); `fallback` when there is none that can be used.
QString separatorOf(const QString& qtFormat, const QString& fallback)
{
    qsizetype i = 0;
    while (i < qtFormat.size() && !qtFormat.at(i).isLetter()) {
        if (qtFormat.at(i) == u'\'')
            return fallback;
        ++i;
    }
    while (i < qtFormat.size() && qtFormat.at(i).isLetter())
        ++i;
    QString separator;
    for (; i < qtFormat.size() && !qtFormat.at(i).isLetter(); ++i) {
        const QChar c = qtFormat.at(i);
        if (c == u'\'')
            return fallback;
        if (c.category() != QChar::Other_Format) // direction marks and the like
            separator += c;
    }
    separator = separator.trimmed();
    return separator.isEmpty() ? fallback : separator;
}

const DateTimeLocale& formattingLocale()
{
    static const DateTimeLocale locale;
    return locale;
}

} // namespace

DateTimeLocale::DateTimeLocale()
    : monthNames{QStringLiteral("January"), QStringLiteral("February"), QStringLiteral("March"),
                 QStringLiteral("April"),   QStringLiteral("May"),      QStringLiteral("June"),
                 QStringLiteral("July"),    QStringLiteral("August"),   QStringLiteral("September"),
                 QStringLiteral("October"), QStringLiteral("November"), QStringLiteral("December")},
      abbreviatedMonthNames{QStringLiteral("Jan"), QStringLiteral("Feb"), QStringLiteral("Mar"),
                            QStringLiteral("Apr"), QStringLiteral("May"), QStringLiteral("Jun"),
                            QStringLiteral("Jul"), QStringLiteral("Aug"), QStringLiteral("Sep"),
                            QStringLiteral("Oct"), QStringLiteral("Nov"), QStringLiteral("Dec")},
      dayNames{QStringLiteral("Sunday"),    QStringLiteral("Monday"),   QStringLiteral("Tuesday"),
               QStringLiteral("Wednesday"), QStringLiteral("Thursday"), QStringLiteral("Friday"),
               QStringLiteral("Saturday")},
      abbreviatedDayNames{QStringLiteral("Sun"), QStringLiteral("Mon"), QStringLiteral("Tue"),
                          QStringLiteral("Wed"), QStringLiteral("Thu"), QStringLiteral("Fri"),
                          QStringLiteral("Sat")}
{
}

DateTimeLocale DateTimeLocale::fromLocale(const QLocale& locale)
{
    DateTimeLocale result;
    result.dateSeparator =
        separatorOf(locale.dateFormat(QLocale::ShortFormat), QStringLiteral("/"));
    result.timeSeparator =
        separatorOf(locale.timeFormat(QLocale::ShortFormat), QStringLiteral(":"));
    result.monthNames.clear();
    result.abbreviatedMonthNames.clear();
    for (int month = 1; month <= 12; ++month) {
        result.monthNames.append(locale.monthName(month, QLocale::LongFormat));
        result.abbreviatedMonthNames.append(locale.monthName(month, QLocale::ShortFormat));
    }
    result.dayNames.clear();
    result.abbreviatedDayNames.clear();
    for (int i = 0; i < 7; ++i) {
        const int qtDay = i == 0 ? 7 : i; // Qt counts Monday = 1 ... Sunday = 7
        result.dayNames.append(locale.dayName(qtDay, QLocale::LongFormat));
        result.abbreviatedDayNames.append(locale.dayName(qtDay, QLocale::ShortFormat));
    }
    if (!locale.amText().isEmpty())
        result.amDesignator = locale.amText();
    if (!locale.pmText().isEmpty())
        result.pmDesignator = locale.pmText();
    result.longDate = [locale](const QDate& date) {
        return locale.toString(date, QLocale::LongFormat);
    };
    result.shortDate = [locale](const QDate& date) {
        return locale.toString(date, QLocale::ShortFormat);
    };
    return result;
}

QString formatDateTime(const QDateTime& value, const QString& format, const DateTimeLocale& locale)
{
    const QDate date = value.date();
    const QTime time = value.time();
    if (!date.isValid() || !time.isValid())
        return QString();
    return render(date, time, format, locale);
}

const QList<DateTimeEntryFormat>& dateTimeEntryFormats()
{
    using S = DateTimeEntrySource;
    static const QList<DateTimeEntryFormat> formats{
        {S::Date, QStringLiteral("m/d/yyyy")},
        {S::Date, QStringLiteral("m/d/yy")},
        {S::Date, QStringLiteral("mm/dd/yy")},
        {S::Date, QStringLiteral("mm/dd/yyyy")},
        {S::Date, QStringLiteral("yy/mm/dd")},
        {S::Date, QStringLiteral("yyyy-mm-dd")},
        {S::Date, QStringLiteral("dd-mmm-yy")},
        {S::Date, QStringLiteral("Long Date")},
        {S::Date, QStringLiteral("mmmm dd, yyyy")},
        {S::Date, QStringLiteral("dddd, dd mmmm, yyyy")},
        {S::Date, QStringLiteral("dd mmmm, yyyy")},
        {S::Time, QStringLiteral("h:mm:ss AM/PM")},
        {S::Time, QStringLiteral("hh:mm:ss AM/PM")},
        {S::Time, QStringLiteral("hh:mm:ss")},
    };
    return formats;
}

QStringList dateTimeEntries(const std::function<QDateTime()>& clock, const DateTimeLocale& locale)
{
    QStringList entries;
    for (const DateTimeEntryFormat& entry : dateTimeEntryFormats()) {
        const QDateTime now = clock();
        // The date alone carries a time of day of zero; the time alone sits on day zero of the
        // classic calendar, 30 December 1899.
        const QDate date =
            entry.source == DateTimeEntrySource::Date ? now.date() : QDate(1899, 12, 30);
        const QTime time = entry.source == DateTimeEntrySource::Time ? now.time() : QTime(0, 0);
        entries.append(date.isValid() && time.isValid() ? render(date, time, entry.format, locale)
                                                        : QString());
    }
    return entries;
}

QString temporaryPictureFileName(const QDateTime& now)
{
    return formatDateTime(now, QStringLiteral("yyyymmddhhnnss"), formattingLocale()) +
           QStringLiteral("_temppic.bmp");
}
