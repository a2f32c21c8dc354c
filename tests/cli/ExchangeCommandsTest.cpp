// strdef po / strdef xliff: what they print, what they write and their exit status.

#include <cstdlib>

#include <gtest/gtest.h>

#include "CliTestSupport.h"
#include "support/TestSupport.h"

namespace orv {
namespace {

using test::IsOneErrorLine;
using test::RunQuietly;
using test::RunStrdef;

class StrdefExchange : public testing::Test
{
protected:
    StrdefExchange()
    {
        test::WriteDefinitions("texts.strdef",
                               {{1, u"OPEN", u"Open", u"", 0, u"Opens a file"},
                                {2, u"WRAP", u"Line\r\nbreak", u"Zeile\r\numbrechen", 1, u""}});
    }

    static StringDefinition Saved(std::uint16_t index)
    {
        BlockTree tree;
        DefinitionTable table;
        EXPECT_TRUE(ReadDefinitionFile("texts.strdef", tree, table));
        return table.FindOrAddDefinition(index);
    }

    test::TemporaryDirectory Directory;
};

TEST_F(StrdefExchange, AFileSentOutComesBackUnchangedAndAnotherToolsTranslationsAreTaken)
{
    for (const std::string format : {"po", "xliff"}) {
        const std::string file = format == "po" ? "texts.po" : "texts.xlf";
        EXPECT_EQ(RunQuietly({format, "export", "texts.strdef", "-o", file}),
                  "2 texts written to " + file + "\n");
        EXPECT_EQ(RunQuietly({format, "import", "texts.strdef", file}),
                  "0 applied, 2 unchanged, 0 skipped\nunchanged\n");
    }
    EXPECT_EQ(RunQuietly({"po", "export", "texts.strdef", "-o", "open.po", "--untranslated-only"}),
              "1 texts written to open.po\n");

    // msgen fills every empty translation with its default text, as a translator's tool would.
    ASSERT_EQ(std::system("msgen -o en.po texts.po"), 0);
    const test::Bytes before = test::ReadBytes("texts.strdef");
    EXPECT_EQ(RunQuietly({"po", "import", "texts.strdef", "en.po", "--dry-run"}),
              "1 applied, 1 unchanged, 0 skipped\n");
    EXPECT_EQ(test::ReadBytes("texts.strdef"), before);
    EXPECT_EQ(RunQuietly({"po", "import", "texts.strdef", "en.po"}),
              "1 applied, 1 unchanged, 0 skipped\nsaved (previous version kept as texts.strdef.bck1)\n");
    EXPECT_EQ(Saved(1), (StringDefinition{1, u"OPEN", u"Open", u"Open", 1, u"Opens a file"}));
}

TEST_F(StrdefExchange, UnitsOfChangedTextsAreListedAndBadFilesChangeNothing)
{
    EXPECT_EQ(RunQuietly({"xliff", "export", "texts.strdef", "-o", "texts.xlf", "--target-language", "de"}),
              "2 texts written to texts.xlf\n");
    const test::Bytes xliff = test::ReadBytes("texts.xlf");
    EXPECT_NE(std::string(xliff.begin(), xliff.end()).find("target-language=\"de\""), std::string::npos);
    test::WriteDefinitions("texts.strdef",
                           {{1, u"OPEN", u"Open", u"", 0, u""}, {2, u"WRAP", u"Wrap", u"", 0, u""}});
    const std::string out = RunQuietly({"xliff", "import", "texts.strdef", "texts.xlf", "--dry-run"});
    EXPECT_TRUE(out.starts_with("skipped line ")) << out;
    EXPECT_NE(out.find(": text 2, the default text has changed since the file was made\n"), std::string::npos)
        << out;
    EXPECT_TRUE(out.ends_with("0 applied, 1 unchanged, 1 skipped: 1 whose default text changed\n")) << out;

    const test::Bytes before = test::ReadBytes("texts.strdef");
    test::WriteBytes("bad.po", {'m', 's', 'g', 'i', 'd', ' ', '"'});
    EXPECT_TRUE(IsOneErrorLine(RunStrdef({"po", "import", "texts.strdef", "bad.po"}), 1));
    EXPECT_TRUE(IsOneErrorLine(RunStrdef({"xliff", "import", "texts.strdef", "bad.po"}), 1));
    EXPECT_TRUE(IsOneErrorLine(RunStrdef({"po", "import", "texts.strdef", "missing.po"}), 1));
    EXPECT_EQ(test::ReadBytes("texts.strdef"), before);
    EXPECT_TRUE(IsOneErrorLine(RunStrdef({"po"}), 2));
    EXPECT_TRUE(IsOneErrorLine(RunStrdef({"po", "export", "texts.strdef"}), 2));
}

} // namespace
} // namespace orv
