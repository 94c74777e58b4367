#pragma once

#include "platform/document/DocumentFormat.h"
#include "platform/document/ListNumbering.h"
#include "platform/rtf/Rtf.h"
#include "platform/rtf/RtfLists.h"

#include <QFile>
#include <QStringList>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextList>

#include <gtest/gtest.h>

#include <memory>
#include <ostream>

inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

inline void PrintTo(const QByteArray& b, std::ostream* os)
{
    *os << '"' << b.toStdString() << '"';
}

inline void PrintTo(const QStringList& l, std::ostream* os)
{
    *os << '[';
    for (const QString& s : l)
        *os << '"' << s.toStdString() << "\" ";
    *os << ']';
}

namespace rtftest
{

inline std::unique_ptr<QTextDocument> readRtf(const QByteArray& rtf)
{
    auto document = std::make_unique<QTextDocument>();
    rtf::read(rtf, *document);
    return document;
}

inline QByteArray dataFile(const QString& relative)
{
    QFile file(QStringLiteral(WORDLARK_TEST_DATA "/") + relative);
    if (!file.open(QIODevice::ReadOnly))
        ADD_FAILURE() << "missing test data " << relative.toStdString();
    return file.readAll();
}

// The text of each paragraph.
inline QStringList paragraphs(const QTextDocument& document)
{
    QStringList out;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
        out << block.text();
    return out;
}

inline QTextBlock paragraph(const QTextDocument& document, int index)
{
    return document.findBlockByNumber(index);
}

// The character format at the first occurrence of `needle` (its first character).
inline QTextCharFormat formatOf(const QTextDocument& document, const QString& needle)
{
    const QString text = document.toRawText();
    const int at = static_cast<int>(text.indexOf(needle));
    if (at < 0) {
        ADD_FAILURE() << "text not found: " << needle.toStdString();
        return QTextCharFormat();
    }
    const QTextBlock block = document.findBlock(at);
    for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment f = it.fragment();
        if (at >= f.position() && at < f.position() + f.length())
            return f.charFormat();
    }
    return QTextCharFormat();
}

inline QString family(const QTextCharFormat& format)
{
    const QStringList families = format.fontFamilies().toStringList();
    return families.isEmpty() ? QString() : families.first();
}

inline bool isBold(const QTextCharFormat& format)
{
    return format.fontWeight() >= QFont::Bold;
}

inline bool hasBullet(const QTextBlock& block)
{
    return block.textList() && block.textList()->format().style() == QTextListFormat::ListDisc;
}

// The number each paragraph shows in front of it, counted in document order as the editor and
// saving count them (empty outside numbered lists).
inline QStringList listNumbers(const QTextDocument& document)
{
    QStringList out;
    docformat::ListNumberer numberer;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        const QTextList* list = block.textList();
        out << (list && docformat::isNumberedList(list->format()) ? numberer.next(*list)
                                                                  : QString());
    }
    return out;
}

// The number style of a paragraph's list.
inline QTextListFormat::Style listStyleOf(const QTextBlock& block)
{
    return docformat::listStyleOf(block.textList()->format());
}

// Every image format of the document, in order.
inline QList<QTextImageFormat> images(const QTextDocument& document)
{
    QList<QTextImageFormat> out;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
        for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it)
            if (it.fragment().charFormat().isImageFormat())
                for (int i = 0; i < it.fragment().length(); ++i)
                    out << it.fragment().charFormat().toImageFormat();
    return out;
}

// "{\rtf1\ansi ...}" around a body, with a small font and colour table.
inline QByteArray doc(const QByteArray& body)
{
    return "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}"
           "{\\f1\\froman\\fcharset2 Symbol;}{\\f2\\fmodern\\fcharset0 Courier New;}}"
           "{\\colortbl;\\red255\\green0\\blue0;\\red0\\green128\\blue0;}\n" +
           body + "}";
}

} // namespace rtftest
