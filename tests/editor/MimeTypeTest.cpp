// The file type that the installed package teaches the desktop: a definition file is known by its
// name and, named otherwise, by its first bytes, so that "Open with" offers the editor.

#include <QMimeDatabase>
#include <cstdlib>

#include <gtest/gtest.h>

#include "store/DefinitionFile.h"
#include "support/TestSupport.h"

namespace orv::test {
namespace {

TEST(MimeType, DefinitionFilesAreKnownByTheirNameAndByTheirFirstBytes)
{
    TemporaryDirectory directory;
    std::filesystem::create_directories(directory / "share/mime/packages");
    std::filesystem::copy_file(ORV_MIME_PACKAGE, directory / "share/mime/packages/orvane-text-editor.xml");
    // Before the first use of the database, which reads the packages once.
    ::setenv("XDG_DATA_HOME", (directory / "share").c_str(), 1);

    WriteBytes("texts.bin", WriteDefinitionBytes(BlockTree{}, DefinitionTable{}));
    WriteBytes("notes.bin", {'O', 'R', 'V', 's', 't', 'r', 'd', 'e', 'f'});
    const QMimeDatabase types;
    EXPECT_EQ(types.mimeTypeForFile("new.strdef", QMimeDatabase::MatchExtension).name(),
              "application/x-orvane-strdef");
    EXPECT_EQ(types.mimeTypeForFile("texts.bin", QMimeDatabase::MatchContent).name(),
              "application/x-orvane-strdef");
    EXPECT_NE(types.mimeTypeForFile("notes.bin", QMimeDatabase::MatchContent).name(),
              "application/x-orvane-strdef");
}

} // namespace
} // namespace orv::test
