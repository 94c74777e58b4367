#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>
#include <QStringList>

#include <functional>

// The classic date-and-time format syntax ("m/d/yyyy", "hh:mm:ss AM/PM", "Long Date", ...), as
// used by the Date and Time dialog and the temporary picture file name. No widgets.
//
// Tokens (letters in any case): d dd (day), ddd dddd (weekday name), ddddd (short date),
// dddddd (long date), w (weekday, Sunday = 1), ww (week of the year, the week of 1 January being
// the first), m mm (month, or minutes when it follows an hour token), mmm mmmm (month name),
// q (quarter), y (day of the year), yy yyyy (year), h hh (hour), n nn (minutes), s ss (seconds),
// "AM/PM" "am/pm" "A/P" "a/p" "AMPM" (12-hour clock and its marker).
// "/" is the locale's date separator, ":" its time separator; "\x" copies x, text in double
// quotes is copied as it is; any other character is copied. The whole strings "Long Date" and
// "Short Date" are the locale's long and short date.

// The locale settings the formats use. Built from a QLocale or by hand.
struct DateTimeLocale {
    QString dateSeparator = QStringLiteral("/");
    QString timeSeparator = QStringLiteral(":");
    QStringList monthNames;            // 12 entries, January first
    QStringList abbreviatedMonthNames; // 12 entries, January first
    QStringList dayNames;              // 7 entries, Sunday first
    QStringList abbreviatedDayNames;   // 7 entries, Sunday first
    QString amDesignator = QStringLiteral("AM");
    QString pmDesignator = QStringLiteral("PM");
    // The locale's long and short date; when unset, "dddd, mmmm d, yyyy" and "m/d/yyyy" are
    // formatted with these settings.
    std::function<QString(const QDate&)> longDate;
    std::function<QString(const QDate&)> shortDate;

    // US English names and separators, long date "dddd, mmmm d, yyyy".
    DateTimeLocale();

    // Names, AM/PM designators and long and short dates from `locale`; the date separator is the
    // one of its short date format, the time separator the one of its short time format.
    static DateTimeLocale fromLocale(const QLocale& locale);
};

// Formats `value` with the classic `format`. An invalid date or time gives an empty string.
QString formatDateTime(const QDateTime& value, const QString& format,
                       const DateTimeLocale& locale = DateTimeLocale());

// What an entry of the Date and Time dialog shows of the clock's reading.
enum class DateTimeEntrySource { Date, Time };

struct DateTimeEntryFormat {
    DateTimeEntrySource source;
    QString format;
};

// The fourteen entries of the Date and Time dialog, in order: 1 to 11 the date, 12 to 14 the time.
const QList<DateTimeEntryFormat>& dateTimeEntryFormats();

// The texts of the fourteen entries. `clock` is read anew for each entry; a date entry formats
// the date alone (time of day zero), a time entry the time of day alone.
QStringList dateTimeEntries(const std::function<QDateTime()>& clock,
                            const DateTimeLocale& locale = DateTimeLocale::fromLocale(QLocale()));

// The name of the temporary picture file for `now`: "yyyymmddhhnnss" (fourteen digits, 24-hour
// clock) followed by "_temppic.bmp".
QString temporaryPictureFileName(const QDateTime& now);
