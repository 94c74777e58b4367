#pragma once

#include <QHash>
#include <QPixmap>
#include <QString>
#include <QStringList>

// Keyed pictures for the toolbars: one list of normal pictures and one of greyed pictures.
class ImageList
{
public:
    void add(const QString& key, const QPixmap& picture);
    bool contains(const QString& key) const { return m_pictures.contains(key); }
    QPixmap picture(const QString& key) const { return m_pictures.value(key); }
    const QStringList& keys() const { return m_keys; }

    // The toolbar pictures: the desktop theme's icon where it has one, else our own drawing.
    static ImageList toolbarIcons();
    // The same keys, greyed, for disabled buttons.
    static ImageList toolbarIconsDisabled();

    // The keys of the toolbar pictures, in their order.
    static const QStringList& toolbarKeys();

private:
    QStringList m_keys;
    QHash<QString, QPixmap> m_pictures;
};
