// The edit view's picture: a sign too large to draw is refused without
// allocating it, and a long file on a big sign stops at the picture's bound.
#include <gtest/gtest.h>

#include "FontBuilder.h"
#include "render/EditPicture.h"
#include "support/TestSupport.h"

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

// Font 1: 7 rows, letters 6 wide, the space 2 wide.
const FontSet& sevenDots() {
    static const FontSet fonts = [] {
        test::TestFont big = test::uniformFont("T7", 7, 32, 95, 6);
        big.glyphs[0].width = 2;
        FontSet f;
        f.LoadBytes(test::fontFileBytes({test::uniformFont("T5", 5, 32, 95, 4), big}), "test",
                    nullptr);
        return f;
    }();
    return fonts;
}

EditPicture drawn(int width, int height, const TextFile& file) {
    WorkArea work;
    work.signWidth = width;
    work.signHeight = height;
    EditPicture picture;
    EditPictureOptions options;
    options.alignment = 0;
    picture.build(work, file, sevenDots(), options);
    return picture;
}

TEST(EditPicture, MarkersTakeNoWidthSoALineThatFitsTheSignIsNotCut) {
    // Move, "AB", a space, speed, "CD": 6+6 + 2 + 6+6 = 26 dots on a sign of 26.
    TextFile f;
    f.items.push_back(TextItem::control(kMove, test::params(1)));
    test::appendText(f, "AB ", test::charAttrs(1, 1));
    f.items.push_back(TextItem::control(kSpeed, test::params(0, 0, 3)));
    test::appendText(f, "CD", test::charAttrs(1, 1));
    test::appendEnd(f);
    const EditPicture p = drawn(26, 8, f);
    ASSERT_EQ(p.screens().size(), 1u);
    ASSERT_EQ(p.screens()[0].layout.lines.size(), 1u);
    EXPECT_TRUE(p.cuts().empty());
    EXPECT_EQ(p.rowWidth(0), 26);
    EXPECT_EQ(p.rowWidth(static_cast<int>(f.items.size()) - 1), 26);  // at the end marker
}

TEST(EditPicture, RowsWiderThanTheSignAndScreensTallerAreCut) {
    TextFile f;
    test::appendText(f, "AB\rABCDEFG", test::charAttrs(1, 1));
    test::appendEnd(f);
    const EditPicture p = drawn(26, 16, f);
    EXPECT_EQ(p.rowWidth(0), 12);
    EXPECT_EQ(p.rowWidth(4), 42);
    ASSERT_EQ(p.cuts().size(), 1u);
    EXPECT_EQ(p.cuts()[0].side, EditCut::Right);
    EXPECT_EQ(p.cuts()[0].screen, 0);
    // The second line's rows.
    const LineInfo& second = p.screens()[0].layout.lines[1];
    EXPECT_EQ(p.cuts()[0].top, second.y);
    EXPECT_EQ(p.cuts()[0].height, second.height);

    // Seven-dot letters on a sign four dots high: the screen cuts them.
    TextFile g;
    test::appendText(g, "A", test::charAttrs(1, 1));
    test::appendEnd(g);
    const EditPicture low = drawn(26, 4, g);
    ASSERT_EQ(low.cuts().size(), 1u);
    EXPECT_EQ(low.cuts()[0].side, EditCut::Bottom);
    EXPECT_EQ(low.cuts()[0].top, 3);
}

}  // namespace
}  // namespace lumavox
