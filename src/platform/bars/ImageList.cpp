#include "platform/bars/ImageList.h"

#include <QIcon>

// The pictures live in this library's resources, which a static library must load by hand.
static void loadPlatformResources()
{
    static const bool loaded = [] {
        Q_INIT_RESOURCE(wordlark);
        return true;
    }();
    (void)loaded;
}

namespace
{

constexpr int PictureSize = 16;

// The freedesktop icon name for each key where the desktop icon themes have one.
QString themeNameFor(const QString& key)
{
    static const QHash<QString, QString> names = {
        {QStringLiteral("Undo"), QStringLiteral("edit-undo")},
        {QStringLiteral("AlignLeft"), QStringLiteral("format-justify-left")},
        {QStringLiteral("AlignRight"), QStringLiteral("format-justify-right")},
        {QStringLiteral("Center"), QStringLiteral("format-justify-center")},
        {QStringLiteral("Bold"), QStringLiteral("format-text-bold")},
        {QStringLiteral("Italic"), QStringLiteral("format-text-italic")},
        {QStringLiteral("Underline"), QStringLiteral("format-text-underline")},
        {QStringLiteral("Copy"), QStringLiteral("edit-copy")},
        {QStringLiteral("Cut"), QStringLiteral("edit-cut")},
        {QStringLiteral("Paste"), QStringLiteral("edit-paste")},
        {QStringLiteral("New"), QStringLiteral("document-new")},
        {QStringLiteral("Open"), QStringLiteral("document-open")},
        {QStringLiteral("Save"), QStringLiteral("document-save")},
        {QStringLiteral("Print"), QStringLiteral("document-print")},
        {QStringLiteral("Find"), QStringLiteral("edit-find")},
    };
    return names.value(key);
}

QIcon iconFor(const QString& key)
{
    loadPlatformResources();
    const QIcon fallback(QStringLiteral(":/icons/toolbar/%1.svg").arg(key));
    const QString themeName = themeNameFor(key);
    return themeName.isEmpty() ? fallback : QIcon::fromTheme(themeName, fallback);
}

} // namespace

void ImageList::add(const QString& key, const QPixmap& picture)
{
    if (!m_pictures.contains(key))
        m_keys.append(key);
    m_pictures.insert(key, picture);
}

const QStringList& ImageList::toolbarKeys()
{
    static const QStringList keys = {
        QStringLiteral("Undo"),      QStringLiteral("AlignLeft"), QStringLiteral("AlignRight"),
        QStringLiteral("Bold"),      QStringLiteral("Bullets"),   QStringLiteral("Color"),
        QStringLiteral("Copy"),      QStringLiteral("Cut"),       QStringLiteral("DateTime"),
        QStringLiteral("Font"),      QStringLiteral("Italic"),    QStringLiteral("New"),
        QStringLiteral("Open"),      QStringLiteral("Paste"),     QStringLiteral("Print"),
        QStringLiteral("Save"),      QStringLiteral("Find"),      QStringLiteral("Underline"),
        QStringLiteral("Center"),    QStringLiteral("Subscript"), QStringLiteral("Superscript"),
        QStringLiteral("Lowercase"), QStringLiteral("Uppercase"),
    };
    return keys;
}

ImageList ImageList::toolbarIcons()
{
    ImageList list;
    for (const QString& key : toolbarKeys())
        list.add(key, iconFor(key).pixmap(PictureSize, PictureSize));
    return list;
}

ImageList ImageList::toolbarIconsDisabled()
{
    ImageList list;
    for (const QString& key : toolbarKeys())
        list.add(key, iconFor(key).pixmap(QSize(PictureSize, PictureSize), QIcon::Disabled));
    return list;
}
