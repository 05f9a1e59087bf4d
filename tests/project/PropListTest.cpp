#include <gtest/gtest.h>

#include "FakeControl.h"
#include "project/TkvPropList.h"

using namespace project;

TEST(PropList, ReadsPropertiesAsText) {
    FakeControl edit("eSource", "Text");
    edit.text = "/in/*.xls?";
    edit.checked = true;
    edit.width = 42;
    TkvPropList p(&edit);
    EXPECT_EQ(p.GetProp("Text"), "/in/*.xls?");
    EXPECT_EQ(p.GetProp("text"), "/in/*.xls?");
    EXPECT_EQ(p.GetProp("CHECKED"), "True");
    EXPECT_EQ(p.GetProp("Width"), "42");
    EXPECT_EQ(p.GetProp("Colour"), "");
    EXPECT_EQ(p.GetProp("Broken"), "") << "a failing read gives empty text";
    EXPECT_EQ(TkvPropList(nullptr).GetProp("Text"), "");
}

TEST(PropList, WritesOnlyWhatThePropertyCanTake) {
    FakeControl box("cSubdir", "Checked");
    TkvPropList p(&box);
    for (const char* v : {"true", "TRUE", "True"}) {
        box.checked = false;
        p.SetProp("Checked", v);
        EXPECT_TRUE(box.checked) << v;
    }
    p.SetProp("Checked", "yes");
    EXPECT_TRUE(box.checked) << "an unknown identifier changes nothing";
    p.SetProp("Checked", "0");
    EXPECT_FALSE(box.checked);
    p.SetProp("Checked", "-1");
    EXPECT_TRUE(box.checked);
    p.SetProp("Checked", "2.5x");
    EXPECT_TRUE(box.checked);
    p.SetProp("Checked", "");
    EXPECT_FALSE(box.checked) << "empty unchecks";

    box.text = "old";
    p.SetProp("text", "");
    EXPECT_EQ(box.text, "");
    p.SetProp("Text", "a=b");
    EXPECT_EQ(box.text, "a=b");
    p.SetProp("Width", "abc");
    EXPECT_EQ(box.width, 0);
    p.SetProp("Width", "$10");
    EXPECT_EQ(box.width, 16);

    const int writes = box.writes;
    p.SetProp("Colour", "red");
    EXPECT_NO_THROW(p.SetProp("Broken", "x"));
    EXPECT_EQ(box.writes, writes);
}
