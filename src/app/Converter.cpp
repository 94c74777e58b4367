#include "app/Converter.h"

#include "platform/document/DocumentFormat.h"
#include "platform/document/ListNumbering.h"
#include "platform/document/PlainText.h"
#include "platform/rtf/Rtf.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTextDocument>
#include <QTextDocumentWriter>
#include <QTextStream>

namespace
{

struct ConversionError {
    QString path;
    QString message;
};

QByteArray readInput(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists())
        throw ConversionError{path, QStringLiteral("File not found")};
    if (info.isDir())
        throw ConversionError{path, QStringLiteral("Is a folder, not a file")};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw ConversionError{path, file.errorString()};
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw ConversionError{path, file.errorString()};
    return bytes;
}

QString plainTextOf(const QTextDocument& document)
{
    // Every character is kept; the codec maps paragraph and line separators to LF and drops the
    // placeholders of pictures.
    return plaintext::textOf(document);
}

QByteArray encodeOutput(QTextDocument& document, const QString& outPath)
{
    const QString suffix = QFileInfo(outPath).suffix().toLower();
    if (suffix == u"rtf")
        return rtf::write(document);
    if (suffix == u"txt")
        return plaintext::encode(plainTextOf(document));
    // Qt's own writers know only Qt's list styles.
    docformat::giveNumberedListsQtStyles(document);
    if (suffix == u"html" || suffix == u"htm")
        return document.toHtml().toUtf8();
    if (suffix == u"md") {
        // Pictures come out as image links; what stays of an object replacement character stands
        // for a carried group (a bookmark, a note), which is not part of the visible text.
        QString markdown = document.toMarkdown();
        markdown.remove(QChar::ObjectReplacementCharacter);
        return markdown.toUtf8();
    }
    if (suffix == u"odt") {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QTextDocumentWriter writer(&buffer, "odf");
        if (!writer.write(&document))
            throw ConversionError{outPath, QStringLiteral("Could not write the OpenDocument text")};
        return bytes;
    }
    throw ConversionError{
        outPath, QStringLiteral("Unknown output type (use .rtf, .txt, .html, .odt or .md)")};
}

void writeOutput(const QString& path, const QByteArray& bytes)
{
    if (QFileInfo(path).isDir())
        throw ConversionError{path, QStringLiteral("Is a folder, not a file")};
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw ConversionError{path, file.errorString()};
    if (file.write(bytes) != bytes.size()) {
        const QString message = file.errorString();
        file.cancelWriting();
        throw ConversionError{path, message};
    }
    if (!file.commit())
        throw ConversionError{path, file.errorString()};
}

} // namespace

int runConversion(const QString& inPath, const QString& outPath, QTextStream& err)
{
    try {
        const QByteArray input = readInput(inPath);
        QTextDocument document;
        document.setUndoRedoEnabled(false);
        document.setDefaultFont(QFont(QString::fromLatin1(docformat::DefaultFontName),
                                      docformat::DefaultFontPointSize));
        if (inPath.endsWith(QLatin1String(".rtf"))) {
            try {
                rtf::read(input, document);
            } catch (const rtf::FormatError&) {
                throw ConversionError{inPath, QStringLiteral("Invalid file format")};
            }
        } else {
            document.setPlainText(plaintext::decode(input));
        }
        const QByteArray output = encodeOutput(document, outPath);
        writeOutput(outPath, output);
        return 0;
    } catch (const ConversionError& e) {
        err << e.path << ": " << e.message << Qt::endl;
    } catch (const std::exception& e) {
        err << inPath << ": " << QString::fromLocal8Bit(e.what()) << Qt::endl;
    }
    return 1;
}
