#include <gtest/gtest.h>

#include "app/Documentation.h"
#include "support/TempDir.h"

namespace {

TEST(Documentation, UsagePointsToTheManualAndTheManPageWhereverTheyAre) {
    TempDir dir;
    EXPECT_EQ(app::DocumentationPointers(dir / "usr/bin/quindle"),
              "Manual: http://www.quindle.example/en/quindle/manual.htm (F1 in the window)\nMan page: man quindle\n");
    dir.Write("usr/share/doc/quindle/manual/index.html", "");
    EXPECT_EQ(
        app::DocumentationPointers(dir / "usr/bin/quindle"),
        "Manual: " + dir / "usr/share/doc/quindle/manual/index.html" + " (F1 in the window)\nMan page: man quindle\n");
    dir.Write("build/manual/index.html", "");
    dir.Write("build/quindle.1", "");
    EXPECT_EQ(app::DocumentationPointers(dir / "build/quindle"), "Manual: " + dir / "build/manual/index.html" +
                                                                     " (F1 in the window)\nMan page: man -l " +
                                                                     dir / "build/quindle.1" + "\n");
}

}  // namespace
