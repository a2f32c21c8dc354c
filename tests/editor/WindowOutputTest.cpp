// The device outputs from the window: the generation of the firmware's sources (a method, its button
// is hidden) and "Export with font", with their saves, dialogs, files, script runs and messages.

#include <QTest>

#include "EditorWindowTest.h"
#include "output/ExportReader.h"
#include "output/FontTextExport.h"
#include "output/OutputMessages.h"
#include "output/SourceGeneration.h"
#include "store/DefinitionFile.h"

namespace orv::test {
namespace {

namespace fs = std::filesystem;

QString PathOf(const fs::path& path)
{
    return QString::fromStdString(fs::absolute(path).string());
}

Message Box(const std::string& text, const char* caption, MessageIcon icon)
{
    return {QString::fromStdString(text), QString::fromLatin1(caption), icon};
}

Message FromNotice(const Notice& notice)
{
    const MessageIcon icon = notice.Icon == NoticeIcon::Error     ? MessageIcon::Error
                             : notice.Icon == NoticeIcon::Warning ? MessageIcon::Warning
                                                                  : MessageIcon::Information;
    return {QString::fromStdString(notice.Text), QString::fromStdString(notice.Caption), icon,
            MessageButtons::Ok, QString::fromStdString(notice.Details)};
}

Bytes ToBytes(const std::string& text)
{
    return Bytes(text.begin(), text.end());
}

// A file holding the one definition `index`, shown by one tree item.
QString WriteSingleDefinitionFile(const fs::path& path)
{
    BlockTree tree;
    tree.Append(nullptr, u"ONLY", 1);
    DefinitionTable table;
    table.FirmwareVersion = 0x0104;
    StringDefinition& only = table.FindOrAddDefinition(1);
    only.Index = 1;
    only.Identifier = u"ONLY";
    only.DefaultText = u"Only";
    WriteDefinitionFile(path, tree, table);
    return PathOf(path);
}

class WindowGenerate : public EditorWindowTest
{
protected:
    fs::path HeaderPath() const { return Directory / kHeaderFileName; }
    fs::path TextTablePath() const { return Directory / kTextTableFileName; }
};

TEST_F(WindowGenerate, SavesFirstThenWritesBothFilesAndRunsTheScriptOnThem)
{
    OpenSample();
    Definition(1).Translation = u"Hauptmenü neu";
    // A local script makes the command line name it, so the line must be taken with the files there.
    WriteBytes(Directory / kMakeTextsScript, ToBytes("@echo off\r\n"));
    bool filesWereThere = false;
    Platform.OnCommand = [&](const QString&) {
        filesWereThere = fs::exists(HeaderPath()) && fs::exists(TextTablePath());
        return 3; // a failing script is no concern of the editor's
    };

    Window->GenerateSources();

    // The save came first: the changed table replaced the file and left its backup.
    EXPECT_TRUE(fs::exists(SamplePath.toStdString() + ".bck1"));
    BlockTree savedTree;
    DefinitionTable saved;
    ASSERT_TRUE(ReadDefinitionFile(SamplePath.toStdString(), savedTree, saved));
    EXPECT_EQ(saved.Definitions.at(1).Translation, u"Hauptmenü neu");

    const GeneratedSources expected = GenerateSourceBytes(Window->Document.Table);
    ASSERT_TRUE(expected.TextTable);
    EXPECT_EQ(ReadBytes(HeaderPath()), ToBytes(expected.Header));
    EXPECT_EQ(ReadBytes(TextTablePath()), expected.TextTable->Bytes);
    // Every definition has its line, also 7 that no item shows.
    EXPECT_NE(expected.Header.find("#define S_NO_ITEM 7\r\n"), std::string::npos);

    ASSERT_EQ(Platform.Commands.size(), 1u);
    EXPECT_EQ(Platform.Commands[0], QString::fromStdString(MakeTextsCommand(".")));
    EXPECT_TRUE(filesWereThere);
    EXPECT_TRUE(Platform.Messages.empty());
}

TEST_F(WindowGenerate, AFailedSaveStopsEverything)
{
    OpenSample();
    Definition(1).Translation = u"changed";
    FailToCreateTheTemporaryFile(Window->Document);
    Platform.ExpectMessageWithAnyText({QString(), QStringLiteral("orvane-text-editor"), MessageIcon::Error});
    Window->GenerateSources();
    EXPECT_FALSE(fs::exists(HeaderPath()));
    EXPECT_FALSE(fs::exists(TextTablePath()));
    EXPECT_TRUE(Platform.Commands.empty());
}

TEST_F(WindowGenerate, ASaveDisabledFileIsNotSavedButGenerated)
{
    BlockTree tree;
    DefinitionTable table;
    BuildSample(tree, table);
    Bytes bytes = WriteDefinitionBytes(tree, table);
    bytes[bytes.size() - 8] = 7; // the "foni" word, before the closing tag
    WriteBytes(Directory / "locked.strdef", bytes);
    Platform.ExpectMessage({QStringLiteral("You won't be able to save the changes on this file"),
                            QStringLiteral("WARNING"), MessageIcon::Warning});
    Open(PathOf(Directory / "locked.strdef"));
    Definition(1).Translation = u"changed";

    Window->GenerateSources();
    EXPECT_EQ(ReadBytes(Directory / "locked.strdef"), bytes);
    EXPECT_FALSE(fs::exists(Directory / "locked.strdef.bck1"));
    EXPECT_EQ(ReadBytes(TextTablePath()), GenerateSourceBytes(Window->Document.Table).TextTable->Bytes);
    EXPECT_EQ(Platform.Commands.size(), 1u);
}

TEST_F(WindowGenerate, FewerThanTwoDefinitionsWriteTheHeaderOnlyAndRunNoScript)
{
    Open(WriteSingleDefinitionFile(Directory / "single.strdef"));
    ASSERT_TRUE(Window->Document.Loaded);
    WriteBytes(TextTablePath(), Bytes{1, 2, 3});
    Platform.ExpectMessage(Box(TooFewDefinitionsMessage(1), "ERROR", MessageIcon::Warning));

    Window->GenerateSources();
    EXPECT_EQ(ReadBytes(HeaderPath()), ToBytes("#define S_ONLY 1\r\n"));
    EXPECT_EQ(ReadBytes(TextTablePath()), (Bytes{1, 2, 3}));
    EXPECT_TRUE(Platform.Commands.empty());
}

TEST_F(WindowGenerate, WithNothingLoadedNeitherOutputDoesAnything)
{
    Window->GenerateSources();
    Click(Button(kIdExportWithFont)); // with no font either: no message
    EXPECT_FALSE(fs::exists(HeaderPath()));
    EXPECT_FALSE(fs::exists(TextTablePath()));
    EXPECT_TRUE(Platform.Commands.empty());
    EXPECT_TRUE(Platform.Messages.empty());
    EXPECT_TRUE(Platform.FileDialogs.empty());
}

class WindowExport : public EditorWindowTest
{
protected:
    void SetUp() override
    {
        EditorWindowTest::SetUp();
        OpenSample();
        Platform.FileDialogs.clear(); // the one of the opening
    }

    void ChooseDejaVuSans()
    {
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPointSize(12);
        Platform.ExpectFontDialog(font);
        Click(Button(kIdChooseFont));
        ASSERT_EQ(Window->ChosenFont.FaceName, u"DejaVu Sans");
    }

    // Clicks "Export with font" with the save dialog answering `path`.
    void Export(std::optional<fs::path> path)
    {
        Platform.ExpectSaveDialog(path ? std::optional<QString>(PathOf(*path)) : std::nullopt);
        Click(Button(kIdExportWithFont));
    }

    // Adds `count` translated definitions from index 100 on, each of 1023 characters.
    void AddLongTexts(int count)
    {
        for (int i = 0; i < count; ++i) {
            const auto index = static_cast<std::uint16_t>(100 + i);
            StringDefinition& definition = Window->Document.Table.FindOrAddDefinition(index);
            definition.Index = index;
            definition.Translation = std::u16string(kMaxTextUnits, static_cast<char16_t>(u'a' + i % 26));
            definition.Translated = 1;
        }
    }

    bool AnyExportIn(const fs::path& directory) const
    {
        for (const auto& entry : fs::recursive_directory_iterator(directory)) {
            if (entry.path().extension() == ".ovtx")
                return true;
        }
        return false;
    }
};

TEST_F(WindowExport, WithoutAChosenFontItRefuses)
{
    Platform.ExpectMessage(Box("Choose a font first for rendering!", "ERROR", MessageIcon::Warning));
    Click(Button(kIdExportWithFont));
    EXPECT_TRUE(Platform.FileDialogs.empty());
}

TEST_F(WindowExport, WritesTheRenderedFontAndTheTrimmedTranslationsReplacingAnOldFile)
{
    ChooseDejaVuSans();
    // A character that came in after the font was chosen: the export renders again.
    Definition(1).Translation = u"  Hauptmenü Ж\r\n";
    const fs::path path = Directory / "device.ovtx";
    WriteBytes(path, Bytes(100000, 0xAA));
    const DefinitionTable before = Window->Document.Table;

    Export(path);
    EXPECT_TRUE(Platform.Messages.empty());
    EXPECT_FALSE(Window->RenderSilently);
    EXPECT_NE(FindGlyph(Window->DeviceFont, u'Ж').Advance, 0);
    ASSERT_EQ(Platform.FileDialogs.size(), 1u);
    EXPECT_EQ(Platform.FileDialogs[0].Filter, QStringLiteral("Orvane text definition files (*.ovtx)"));
    EXPECT_EQ(Platform.FileDialogs[0].DefaultSuffix, QStringLiteral("ovtx"));

    DefinitionTable copy = before;
    const auto expected = BuildExport(copy, Window->DeviceFont);
    ASSERT_TRUE(expected);
    const Bytes written = ReadBytes(path);
    EXPECT_EQ(written, expected->Bytes); // replaced whole, not appended to
    const auto contents = InspectExport(written);
    ASSERT_TRUE(contents) << contents.error().Message;
    EXPECT_EQ(contents->FirmwareVersion, 0x0110);
    EXPECT_EQ(contents->Texts.Texts.size(), CountTranslated(before));

    // The stored translation is trimmed, and the next save writes it so.
    EXPECT_EQ(Definition(1).Translation, u"Hauptmenü Ж");
    Window->close();
    BlockTree savedTree;
    DefinitionTable saved;
    ASSERT_TRUE(ReadDefinitionFile(SamplePath.toStdString(), savedTree, saved));
    EXPECT_EQ(saved.Definitions.at(1).Translation, u"Hauptmenü Ж");
}

TEST_F(WindowExport, CancellingTheDialogOrAFailedRenderingWritesNothing)
{
    ChooseDejaVuSans();
    Export(std::nullopt);
    EXPECT_FALSE(AnyExportIn(Directory.Path()));

    // A font that cannot be had: the rendering reports it, and no file is asked for.
    Window->ChosenFont.FaceName = u"No Such Family Anywhere";
    Platform.ExpectMessageWithAnyText({QString(), QStringLiteral("ERROR"), MessageIcon::Error});
    Click(Button(kIdExportWithFont));
    EXPECT_TRUE(Window->RenderSilently);
    EXPECT_EQ(Platform.FileDialogs.size(), 1u);
}

TEST_F(WindowExport, AFileThatCannotBeCreatedIsReported)
{
    ChooseDejaVuSans();
    const Message cantCreate = Box("Can't create file", "ERROR", MessageIcon::Error);
    fs::create_directory(Directory / "folder.ovtx");
    Platform.ExpectMessage(cantCreate);
    Export(Directory / "folder.ovtx");
    EXPECT_TRUE(fs::is_directory(Directory / "folder.ovtx"));
    EXPECT_TRUE(Platform.Messages.back().Details.contains(QStringLiteral("folder.ovtx")));

    Platform.ExpectMessage(cantCreate);
    Export(Directory / "missing" / "device.ovtx");
    EXPECT_FALSE(fs::exists(Directory / "missing"));
    EXPECT_FALSE(Platform.Messages.back().Details.isEmpty());
}

TEST_F(WindowExport, FewerThanTwoTranslatedTextsAreRefusedBeforeRenderingAndTheDialog)
{
    ChooseDejaVuSans();
    for (auto& [index, definition] : Window->Document.Table.Definitions)
        definition.Translated = index == 1 ? 1 : 0;
    Definition(1).Translation = u"Ж";
    Platform.ExpectMessage(Box(TooFewTranslatedMessage(1), "ERROR", MessageIcon::Warning));
    Click(Button(kIdExportWithFont));
    EXPECT_TRUE(Platform.FileDialogs.empty());
    EXPECT_EQ(FindGlyph(Window->DeviceFont, u'Ж').Advance, 0); // not rendered
    EXPECT_FALSE(AnyExportIn(Directory.Path()));
}

TEST_F(WindowExport, TextsOverTheFirmwaresLimitAreWrittenWithTheWarnings)
{
    ChooseDejaVuSans();
    // 63 texts of 1024 pool bytes each beside the sample's: over 65,000 bytes of text block (the
    // tree's 804 bytes included), still within the pool's 65,536.
    AddLongTexts(63);
    Platform.ExpectMessage(
        {QString::fromLatin1(kTextTooBigMessage), QStringLiteral("WARNING"), MessageIcon::Warning});
    Export(Directory / "big.ovtx");
    EXPECT_EQ(Platform.Messages.size(), 1u);
    EXPECT_TRUE(InspectExport(ReadBytes(Directory / "big.ovtx")));

    // Three more overflow the pool: the size warning comes first, then which texts were cut or left out.
    AddLongTexts(66);
    DefinitionTable copy = Window->Document.Table;
    RenderedFont font = Window->DeviceFont;
    const auto expected = BuildExport(copy, font);
    ASSERT_TRUE(expected);
    ASSERT_EQ(expected->Notices.size(), 2u);
    for (const Notice& notice : expected->Notices)
        Platform.ExpectMessage(FromNotice(notice));
    Export(Directory / "big.ovtx");
    EXPECT_EQ(Platform.Messages[1].Text, QString::fromLatin1(kTextTooBigMessage));
    EXPECT_EQ(Platform.Messages[2].Caption, QStringLiteral("WARNING"));
    EXPECT_EQ(ReadBytes(Directory / "big.ovtx"), expected->Bytes);
}

} // namespace
} // namespace orv::test
