#include "platform/core/Error.h"

PlatformError::PlatformError(long number, QString description, QString source)
    : m_number(number), m_description(std::move(description)), m_source(std::move(source)),
      m_what(QStringLiteral("Error %1: %2").arg(number).arg(m_description).toStdString())
{
}

QString standardErrorDescription(long number)
{
    switch (number) {
    case ErrorNumber::Overflow:
        return QStringLiteral("Overflow");
    case ErrorNumber::SubscriptOutOfRange:
        return QStringLiteral("Subscript out of range");
    case ErrorNumber::FileNotFound:
        return QStringLiteral("File not found");
    case ErrorNumber::DiskFull:
        return QStringLiteral("Disk full");
    case ErrorNumber::PathFileAccessError:
        return QStringLiteral("Path/File access error");
    case ErrorNumber::PathNotFound:
        return QStringLiteral("Path not found");
    case ErrorNumber::InvalidFileFormat:
        return QStringLiteral("Invalid file format");
    case ErrorNumber::InvalidPicture:
        return QStringLiteral("Invalid picture");
    case ErrorNumber::CantOpenClipboard:
        return QStringLiteral("Can't open Clipboard");
    case ErrorNumber::PrinterError:
        return QStringLiteral("Printer error");
    case ErrorNumber::DialogCancelled:
        return QStringLiteral("Cancel was selected.");
    default:
        return QStringLiteral("Application-defined or object-defined error");
    }
}

void raiseError(long number, const QString& source)
{
    throw PlatformError(number, standardErrorDescription(number), source);
}

PlatformError toPlatformError(const std::exception& e)
{
    if (auto* platformError = dynamic_cast<const PlatformError*>(&e))
        return *platformError;
    if (dynamic_cast<const std::bad_alloc*>(&e))
        return PlatformError(7, QStringLiteral("Out of memory"));
    return PlatformError(
        51, QStringLiteral("Internal error: %1").arg(QString::fromLocal8Bit(e.what())));
}

void ignoreErrors(const std::function<void()>& step)
{
    try {
        step();
    } catch (const std::exception&) {
    }
}

void catchErrors(const std::function<void()>& body,
                 const std::function<void(const PlatformError&)>& report)
{
    try {
        body();
    } catch (const std::exception& e) {
        report(toPlatformError(e));
    }
}
