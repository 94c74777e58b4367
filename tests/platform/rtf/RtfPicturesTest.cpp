// Pictures: PNG, JPEG, DIB and device-dependent bitmaps are shown; metafiles show a box of their
// size; the original bytes are kept in every case.

#include "support/RtfTestSupport.h"

#include <QBuffer>
#include <QUrl>

using namespace rtftest;

namespace
{

QImage resourceOf(const QTextDocument& d, const QTextImageFormat& f)
{
    return d.resource(QTextDocument::ImageResource, QUrl(f.name())).value<QImage>();
}

} // namespace

TEST(RtfPictures, EveryKindFromTheProducersSample)
{
    auto d = readRtf(dataFile(QStringLiteral("rtf/good/pictures.rtf")));
    const QList<QTextImageFormat> all = images(*d);
    ASSERT_EQ(all.size(), 9);
    const QStringList kinds = {"png", "jpeg", "dib", "png", "png", "wmf", "emf", "png", "jpeg"};
    for (int i = 0; i < all.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(all[i].property(docformat::ImageOriginalKind).toString(), kinds[i]);
        EXPECT_FALSE(all[i].property(docformat::ImageOriginalBytes).toByteArray().isEmpty());
        EXPECT_FALSE(resourceOf(*d, all[i]).isNull());
    }
    // PNG: 1800 x 1200 twips = 120 x 80 pixels; the picture is the 6 x 4 image with a red corner.
    EXPECT_DOUBLE_EQ(all[0].width(), 120.0);
    EXPECT_DOUBLE_EQ(all[0].height(), 80.0);
    EXPECT_EQ(all[0].intProperty(docformat::ImageGoalWidthTwips), 1800);
    const QImage png = resourceOf(*d, all[0]);
    EXPECT_EQ(png.size(), QSize(6, 4));
    EXPECT_EQ(png.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_TRUE(all[0].property(docformat::ImageOriginalBytes).toByteArray().startsWith("\x89PNG"));
    // JPEG scaled 50 % by 200 %.
    EXPECT_DOUBLE_EQ(all[1].width(), 30.0);
    EXPECT_DOUBLE_EQ(all[1].height(), 80.0);
    // The DIB is decoded too.
    EXPECT_EQ(resourceOf(*d, all[2]).size(), QSize(6, 4));
    EXPECT_EQ(resourceOf(*d, all[2]).pixel(0, 0), qRgb(255, 0, 0));
    // \bin data and an odd count of hex digits read the same picture.
    EXPECT_EQ(resourceOf(*d, all[3]).size(), QSize(6, 4));
    EXPECT_EQ(resourceOf(*d, all[4]).size(), QSize(6, 4));
    // Metafiles: a placeholder box at their goal size (WMF) or their extent (EMF, HIMETRIC).
    EXPECT_DOUBLE_EQ(all[5].width(), 96.0);
    EXPECT_DOUBLE_EQ(all[5].height(), 48.0);
    EXPECT_DOUBLE_EQ(all[6].width(), 96.0);
    EXPECT_TRUE(all[6].boolProperty(docformat::ImageIsPlaceholder));
    // The picture of a shape, and an object's result picture.
    EXPECT_DOUBLE_EQ(all[7].width(), 20.0);
    EXPECT_DOUBLE_EQ(all[8].width(), 10.0);
    EXPECT_EQ(paragraphs(*d).at(7),
              QStringLiteral("SHAPE ") + QChar(QChar::ObjectReplacementCharacter));

    // Metafiles and placeholders keep their bytes through a save.
    auto back = readRtf(rtf::write(*d));
    const QList<QTextImageFormat> again = images(*back);
    ASSERT_EQ(again.size(), 9);
    for (int i : {0, 1, 5, 6})
        EXPECT_EQ(again[i].property(docformat::ImageOriginalBytes).toByteArray(),
                  all[i].property(docformat::ImageOriginalBytes).toByteArray());
    EXPECT_EQ(again[2].property(docformat::ImageOriginalKind).toString(), QStringLiteral("png"));
}

TEST(RtfPictures, ShppictIsPreferredAndNonshppictNeverShownTwice)
{
    auto d = readRtf(dataFile(QStringLiteral("rtf/good/word.rtf")));
    const QList<QTextImageFormat> all = images(*d);
    ASSERT_EQ(all.size(), 1);
    EXPECT_EQ(all[0].property(docformat::ImageOriginalKind).toString(), QStringLiteral("png"));
    EXPECT_DOUBLE_EQ(all[0].width(), 6.0);
}

TEST(RtfPictures, HugeDeclaredSizesAreCappedBeforeDecoding)
{
    auto d = readRtf(dataFile(QStringLiteral("rtf/hostile/huge_picture_dimensions.rtf")));
    const QList<QTextImageFormat> all = images(*d);
    ASSERT_EQ(all.size(), 5);
    for (const QTextImageFormat& f : all) {
        EXPECT_LE(f.width(), 100000 / 15.0 + 0.001);
        EXPECT_LE(f.height(), 100000 / 15.0 + 0.001);
        EXPECT_GT(f.width(), 0);
        const QImage image = resourceOf(*d, f);
        EXPECT_LE(qint64(image.width()) * image.height(), 256);
    }
    EXPECT_TRUE(all[0].boolProperty(docformat::ImageIsPlaceholder));
    EXPECT_TRUE(all[1].boolProperty(docformat::ImageIsPlaceholder));
    EXPECT_TRUE(all[2].boolProperty(docformat::ImageIsPlaceholder));
    // A small device-dependent bitmap is drawn.
    EXPECT_FALSE(all[3].boolProperty(docformat::ImageIsPlaceholder));
    EXPECT_EQ(resourceOf(*d, all[3]).size(), QSize(4, 2));
}
