#include "insertion/DateTimeFormat.h"

#include <gtest/gtest.h>

#include <ostream>

// Readable failure messages for texts.
static void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace
{

const QDateTime kExample(QDate(2024, 3, 5), QTime(21, 7, 5), Qt::UTC);

QLocale usEnglish()
{
    return QLocale(QLocale::English, QLocale::UnitedStates);
}

std::function<QDateTime()> fixedClock(const QDateTime& value)
{
    return [value] { return value; };
}

} // namespace

TEST(DateTimeFormat, FourteenEntriesForTheExampleDateInUsEnglish)
{
    const QStringList entries =
        dateTimeEntries(fixedClock(kExample), DateTimeLocale::fromLocale(usEnglish()));
    const QStringList expected{
        "3/5/2024",       "3/5/24",
        "03/05/24",       "03/05/2024",
        "24/03/05",       "2024-03-05",
        "05-Mar-24",      "Tuesday, March 5, 2024",
        "March 05, 2024", "Tuesday, 05 March, 2024",
        "05 March, 2024", "9:07:05 PM",
        "09:07:05 PM",    "21:07:05",
    };
    EXPECT_EQ(entries, expected);

    // The hand-made default locale gives the same texts.
    EXPECT_EQ(dateTimeEntries(fixedClock(kExample), DateTimeLocale()), expected);
}

TEST(DateTimeFormat, EntriesFollowTheLocaleSeparatorsAndNames)
{
    DateTimeLocale dotted;
    dotted.dateSeparator = QStringLiteral(".");
    const QStringList entries = dateTimeEntries(fixedClock(kExample), dotted);
    EXPECT_EQ(entries.at(0), "3.5.2024");
    EXPECT_EQ(entries.at(4), "24.03.05");
    EXPECT_EQ(entries.at(5), "2024-03-05"); // hyphens are copied, not separators
    EXPECT_EQ(entries.at(6), "05-Mar-24");

    // A locale built from a German QLocale takes its separator, names and long date.
    const DateTimeLocale german =
        DateTimeLocale::fromLocale(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(german.dateSeparator, ".");
    EXPECT_EQ(german.timeSeparator, ":");
    const QStringList germanEntries = dateTimeEntries(fixedClock(kExample), german);
    EXPECT_EQ(germanEntries.at(0), "3.5.2024");
    EXPECT_EQ(germanEntries.at(7), QLocale(QLocale::German, QLocale::Germany)
                                       .toString(QDate(2024, 3, 5), QLocale::LongFormat));
    EXPECT_EQ(germanEntries.at(9), QString::fromUtf8("Dienstag, 05 März, 2024"));

    // Separators with direction marks around them are cleaned; a time separator of "." is kept.
    const DateTimeLocale finnish =
        DateTimeLocale::fromLocale(QLocale(QLocale::Finnish, QLocale::Finland));
    EXPECT_EQ(finnish.dateSeparator, ".");
    EXPECT_EQ(finnish.timeSeparator, ".");
    EXPECT_EQ(formatDateTime(kExample, "hh:mm", finnish), "21.07");
}

TEST(DateTimeFormat, TwelveHourClockAroundMidnightAndNoon)
{
    const DateTimeLocale us = DateTimeLocale::fromLocale(usEnglish());
    const QDate day(2024, 3, 5);
    EXPECT_EQ(formatDateTime(QDateTime(day, QTime(0, 4, 9)), "h:mm:ss AM/PM", us), "12:04:09 AM");
    EXPECT_EQ(formatDateTime(QDateTime(day, QTime(12, 4, 9)), "h:mm:ss AM/PM", us), "12:04:09 PM");
    EXPECT_EQ(formatDateTime(QDateTime(day, QTime(11, 59, 59)), "hh:mm:ss AM/PM", us),
              "11:59:59 AM");
    EXPECT_EQ(formatDateTime(QDateTime(day, QTime(13, 0, 0)), "hh:mm:ss AM/PM", us), "01:00:00 PM");
    EXPECT_EQ(formatDateTime(QDateTime(day, QTime(0, 4, 9)), "hh:mm:ss", us), "00:04:09");
    // The marker may stand before the hour; the other marker spellings.
    EXPECT_EQ(formatDateTime(QDateTime(day, QTime(0, 4)), "AM/PM h:nn", us), "AM 12:04");
    EXPECT_EQ(formatDateTime(QDateTime(day, QTime(15, 4)), "h am/pm", us), "3 pm");
    EXPECT_EQ(formatDateTime(QDateTime(day, QTime(15, 4)), "h A/P", us), "3 P");
    EXPECT_EQ(formatDateTime(QDateTime(day, QTime(15, 4)), "h AMPM", us), "3 PM");
}

TEST(DateTimeFormat, MonthOrMinutesDependOnTheHourBeforeIt)
{
    const QDateTime t(QDate(2024, 3, 5), QTime(21, 7, 5));
    EXPECT_EQ(formatDateTime(t, "hh:mm"), "21:07");
    EXPECT_EQ(formatDateTime(t, "h mm"), "21 07");
    EXPECT_EQ(formatDateTime(t, "mm"), "03");
    EXPECT_EQ(formatDateTime(t, "hh:mm mm"), "21:07 03"); // the second follows minutes, not an hour
    EXPECT_EQ(formatDateTime(t, "hh mmm"), "21 Mar");     // names stay months
    EXPECT_EQ(formatDateTime(t, "dd/mm hh:nn:ss"), "05/03 21:07:05");
    // Tokens in any case; escapes and quoted text are copied.
    EXPECT_EQ(formatDateTime(t, "DD-MMM-YYYY"), "05-Mar-2024");
    EXPECT_EQ(formatDateTime(t, "\\d d \"dd/mm\" q w ww y"), "d 5 dd/mm 1 3 10 65");
    EXPECT_EQ(formatDateTime(t, "ddd dddd"), "Tue Tuesday");
    EXPECT_EQ(formatDateTime(t, "Long Date"), "Tuesday, March 5, 2024");
    EXPECT_EQ(formatDateTime(t, "long date"), "Tuesday, March 5, 2024");
    EXPECT_EQ(formatDateTime(t, "dddddd"), "Tuesday, March 5, 2024");
    EXPECT_EQ(formatDateTime(t, "Short Date"), "3/5/2024");
    EXPECT_EQ(formatDateTime(QDateTime(QDate(2005, 1, 9), QTime(0, 0)), "yy m d"), "05 1 9");
    EXPECT_EQ(formatDateTime(QDateTime(), "yyyy"), "");
}

TEST(DateTimeFormat, EachEntryReadsTheClockAnew)
{
    int reads = 0;
    // Each reading is one day and one minute later than the one before.
    auto clock = [&reads] {
        const QDateTime value = kExample.addDays(reads).addSecs(60 * reads);
        ++reads;
        return value;
    };
    const QStringList entries = dateTimeEntries(clock, DateTimeLocale());
    EXPECT_EQ(reads, 14);
    EXPECT_EQ(entries.at(0), "3/5/2024");
    EXPECT_EQ(entries.at(1), "3/6/24");
    EXPECT_EQ(entries.at(5), "2024-03-10");
    EXPECT_EQ(entries.at(7), "Tuesday, March 12, 2024");
    EXPECT_EQ(entries.at(11), "9:18:05 PM");
    EXPECT_EQ(entries.at(12), "09:19:05 PM");
    EXPECT_EQ(entries.at(13), "21:20:05");
}

TEST(DateTimeFormat, DateEntriesShowNoTimeAndTimeEntriesNoDate)
{
    const QList<DateTimeEntryFormat>& formats = dateTimeEntryFormats();
    ASSERT_EQ(formats.size(), 14);
    for (int i = 0; i < 14; ++i)
        EXPECT_EQ(formats.at(i).source,
                  i < 11 ? DateTimeEntrySource::Date : DateTimeEntrySource::Time)
            << i;
    EXPECT_EQ(formats.at(0).format, "m/d/yyyy");
    EXPECT_EQ(formats.at(13).format, "hh:mm:ss");
}

TEST(DateTimeFormat, TemporaryPictureFileNameHasFourteenDigits)
{
    EXPECT_EQ(temporaryPictureFileName(kExample), "20240305210705_temppic.bmp");
    EXPECT_EQ(temporaryPictureFileName(QDateTime(QDate(2024, 12, 31), QTime(0, 0, 0))),
              "20241231000000_temppic.bmp");
    EXPECT_EQ(temporaryPictureFileName(QDateTime(QDate(2024, 1, 2), QTime(13, 4, 5))),
              "20240102130405_temppic.bmp");
}
