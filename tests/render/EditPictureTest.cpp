// The edit view's picture: a sign too large to draw is refused without
// allocating it, and a long file on a big sign stops at the picture's bound.
#include <gtest/gtest.h>

#include "render/EditPicture.h"

namespace lumavox {
namespace {

TextFile fileOf(int characters) {
    TextFile f;
    f.name = "Main";
    for (int i = 0; i < characters; ++i) {
        CharItem c;
        c.character = static_cast<uint16_t>(i % 40 == 39 ? kLF : 'A');
        f.items.push_back(TextItem::character(c));
    }
    CharItem end;
    end.character = kCR;
    f.items.push_back(TextItem::character(end));
    return f;
}

TEST(EditPicture, ASignTooLargeToDrawIsRefusedWithoutItsPicture) {
    WorkArea work;
    work.signWidth = 65535;
    work.signHeight = 65535;
    FontSet fonts;
    EditPicture picture;
    picture.build(work, fileOf(10), fonts, {});
    EXPECT_TRUE(picture.tooLarge());
    EXPECT_TRUE(picture.image().empty());
    EXPECT_EQ(picture.hitTest(10, 10), -1);
}

TEST(EditPicture, ALongFileOnABigSignStopsAtThePictureBound) {
    WorkArea work;
    work.signWidth = 4096;
    work.signHeight = 4096;  // a quarter of the bound a screen
    FontSet fonts;
    EditPicture picture;
    picture.build(work, fileOf(400), fonts, {});  // ten screens
    EXPECT_FALSE(picture.tooLarge());
    EXPECT_LE(int64_t{picture.image().width()} * picture.image().height(), EditPicture::kMaxDots);
    // Four screens would pass the bound once the rows between them count.
    EXPECT_EQ(picture.screens().size(), 3u);
}

}  // namespace
}  // namespace lumavox
