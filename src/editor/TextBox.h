#pragma once

// A multi-line box of the window: centred text, no word wrap, a vertical scroll bar, Enter makes a
// new line and Tab moves on. It holds the exact stored text (see BoxText.h) and tells the window of
// the user's edits only; texts set by the window are not edits.

#include <QTextEdit>
#include <string>

#include "editor/BoxText.h"

namespace orv {

class TextBox final : public QTextEdit
{
    Q_OBJECT

public:
    explicit TextBox(QWidget* parent = nullptr);

    // Shows `text`; not an edit, and it clears the undo history.
    void setStoredText(std::u16string text);
    // The box's text in stored form: exactly what was set, with the user's edits applied.
    const std::u16string& storedText() const { return m_content.Stored(); }

signals:
    // The user changed the text: typing, pasting, deleting, undoing, or an insertion by the window
    // that stands for typing.
    void userEdited();
    // The box lost the keyboard focus.
    void focusLost();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void onContentsChanged();
    std::u16string widgetText() const;

    BoxText m_content;
    bool m_settingText = false;
};

} // namespace orv
