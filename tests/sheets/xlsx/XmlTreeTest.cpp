// Lookups in the element tree that parts read by looking around rely on.
#include <gtest/gtest.h>

#include <string>

#include "sheets/xlsx/XmlTree.h"

namespace {

using sheets::xlsx::XmlTree;

TEST(XmlTree, AttributesAreFoundByTheirLocalName) {
    XmlTree t;
    t.ReadXml(R"(<c:root xmlns:c="c" xmlns:r="r" xmlns:x="x">)"
              R"(<c:a val="1" r:id="rId7" xval="no" a:b:deep="3"/>)"
              R"(<c:b x:val="prefixed"/>)"
              R"(<c:c va="short" valx="longer" y:xval="suffix"/></c:root>)",
              "test");
    const uint32_t a = t.Child(t.Root(), "a"), b = t.Child(t.Root(), "b"), c = t.Child(t.Root(), "c");
    ASSERT_TRUE(a && b && c);
    EXPECT_STREQ(t.AttrOf(a, "val"), "1");
    EXPECT_STREQ(t.AttrOf(a, "id"), "rId7");
    EXPECT_STREQ(t.AttrOf(a, "deep"), "3");  // the part after the last colon
    EXPECT_STREQ(t.AttrOf(b, "val"), "prefixed");
    // A name that merely ends or starts with the one asked for is another name.
    EXPECT_EQ(t.AttrOf(c, "val"), nullptr);
    EXPECT_STREQ(t.AttrOf(a, "xval"), "no");
    EXPECT_EQ(t.AttrOf(b, "x"), nullptr);
    EXPECT_EQ(t.AttrOf(c, "vax"), nullptr);
    // The chart idiom: a child's `val`.
    EXPECT_STREQ(t.Val(t.Root(), "a"), "1");
    EXPECT_STREQ(t.Val(t.Root(), "b"), "prefixed");
    EXPECT_EQ(t.Val(t.Root(), "c"), nullptr);
}

}  // namespace
