#include "platform/control/DroppedContent.h"

#include <QMimeData>
#include <QUrl>

#include <algorithm>

namespace
{

bool carriesFiles(const QMimeData& data)
{
    const QList<QUrl> urls = data.urls();
    return std::any_of(urls.begin(), urls.end(), [](const QUrl& url) { return url.isLocalFile(); });
}

const char* const RtfTypes[] = {"text/rtf", "application/rtf", "text/richtext"};

} // namespace

bool DroppedContent::isOffered(const QMimeData& data)
{
    if (carriesFiles(data))
        return false;
    return data.hasText() ||
           std::any_of(std::begin(RtfTypes), std::end(RtfTypes),
                       [&](const char* type) { return data.hasFormat(QString::fromLatin1(type)); });
}

DroppedContent DroppedContent::of(const QMimeData& data)
{
    DroppedContent content;
    if (carriesFiles(data))
        return content;
    for (const char* type : RtfTypes) {
        content.rtf = data.data(QString::fromLatin1(type));
        if (!content.rtf.isEmpty())
            return content;
    }
    if (data.hasText())
        content.text = data.text();
    return content;
}
