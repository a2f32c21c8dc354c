#pragma once

// A multi-line box of the window: centred text, no word wrap, a vertical scroll bar, Enter makes a
// new line and Tab moves on. It holds the exact stored text (see BoxText.h) and tells the window of
// the user's edits only; texts set by the window are not edits.

#include <QTextEdit>
#include <string>

#include "editor/BoxText.h"

namespace orv {

class CTextBox final : public QTextEdit
{
    Q_OBJECT

public:
    explicit CTextBox(QWidget* parent = nullptr);

    // Shows `text`; not an edit, and it clears the undo history.
    void SetText(std::u16string text);
    // The box's text in stored form: exactly what was set, with the user's edits applied.
    const std::u16string& Text() const { return Content.Stored(); }

signals:
    // The user changed the text: typing, pasting, deleting, undoing, or an insertion by the window
    // that stands for typing.
    void UserEdited();
    // The box lost the keyboard focus.
    void FocusLost();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void OnContentsChanged();
    std::u16string WidgetText() const;

    BoxText Content;
    bool SettingText = false;
};

} // namespace orv
