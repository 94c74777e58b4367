#pragma once

#include <QString>

#include <exception>
#include <functional>
#include <string>

// The error object that every failing operation raises: a number, the source that raised it and a
// description. Numbers of the platform layer follow the classic runtime numbering.
class PlatformError : public std::exception
{
public:
    PlatformError(long number, QString description, QString source = QString());

    long number() const { return m_number; }
    const QString& description() const { return m_description; }
    const QString& source() const { return m_source; }
    const char* what() const noexcept override { return m_what.c_str(); }

private:
    long m_number;
    QString m_description;
    QString m_source;
    std::string m_what;
};

namespace ErrorNumber
{
constexpr long Overflow = 6;
constexpr long SubscriptOutOfRange = 9;
constexpr long FileNotFound = 53;
constexpr long DiskFull = 61;
constexpr long PathFileAccessError = 75;
constexpr long PathNotFound = 76;
constexpr long InvalidFileFormat = 321;
constexpr long InvalidPicture = 481;
constexpr long CantOpenClipboard = 521;
constexpr long PrinterError = 482;
constexpr long DialogCancelled = 32755;
} // namespace ErrorNumber

// The standard description for one of the numbers above.
QString standardErrorDescription(long number);

// Raises the error with its standard description.
[[noreturn]] void raiseError(long number, const QString& source = QString());

// The error that an unexpected C++ exception stands for, so every handler sees a PlatformError.
PlatformError toPlatformError(const std::exception& e);

// Runs `step` and drops any error it raises: "ignore a failing step and go on with the next".
void ignoreErrors(const std::function<void()>& step);

// Runs `body`; any error it raises is handed to `report` instead of escaping: "catch everything in
// one handler". The caller's report decides what the user sees (the error report, or nothing).
void catchErrors(const std::function<void()>& body,
                 const std::function<void(const PlatformError&)>& report);
