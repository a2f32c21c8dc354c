#include "EditorWindowTest.h"

#include <QApplication>
#include <QTest>

namespace orv::test {

void EditorWindowTest::SetUp()
{
    Window = std::make_unique<CKV_string_editorDlg>(Platform);
    Window->show();
    Window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Window.get()));
}

void EditorWindowTest::TearDown()
{
    // Destroying the window without closing it saves nothing; the tests that close it say so.
    Window.reset();
    EXPECT_TRUE(Platform.Done());
}

void EditorWindowTest::Open(const QString& path)
{
    Platform.ExpectOpenDialog(path);
    Click(Button(kIdOpen));
}

void EditorWindowTest::OpenSample()
{
    SamplePath = WriteSample(Directory / "sample.strdef");
    Open(SamplePath);
    ASSERT_TRUE(Window->Document.Loaded);
}

void EditorWindowTest::FocusTranslationBox()
{
    CTextBox* box = TranslationBox();
    QTest::mouseClick(box->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(4, 4));
    ASSERT_TRUE(box->hasFocus());
}

} // namespace orv::test
