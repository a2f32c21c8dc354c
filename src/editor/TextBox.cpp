#include "editor/TextBox.h"

#include <QKeyEvent>
#include <QPalette>
#include <QTextDocument>
#include <QTextOption>

namespace orv {

namespace {

constexpr int kTextMargin = 2;

} // namespace

TextBox::TextBox(QWidget* parent) : QTextEdit(parent)
{
    setAcceptRichText(false);
    setLineWrapMode(QTextEdit::NoWrap);
    setTabChangesFocus(true);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // A narrow margin: the boxes are small, and QTextEdit's default one takes room from the text.
    document()->setDocumentMargin(kTextMargin);
    // The Default text and Description boxes are never enabled, yet their texts are what the
    // translator reads most: keep disabled text darker than the style's faint grey.
    QPalette colours = palette();
    const QColor text = colours.color(QPalette::Active, QPalette::Text);
    const QColor base = colours.color(QPalette::Disabled, QPalette::Base);
    colours.setColor(QPalette::Disabled, QPalette::Text,
                     QColor((text.red() * 2 + base.red()) / 3, (text.green() * 2 + base.green()) / 3,
                            (text.blue() * 2 + base.blue()) / 3));
    setPalette(colours);
    QTextOption option = document()->defaultTextOption();
    option.setAlignment(Qt::AlignHCenter);
    document()->setDefaultTextOption(option);
    connect(document(), &QTextDocument::contentsChanged, this, &TextBox::onContentsChanged);
}

void TextBox::setStoredText(std::u16string text)
{
    const std::u16string shown = ShownText(text);
    m_settingText = true;
    setPlainText(QString::fromUtf16(shown.data(), static_cast<qsizetype>(shown.size())));
    m_settingText = false;
    m_content.Set(std::move(text), widgetText());
}

std::u16string TextBox::widgetText() const
{
    // The raw text keeps every character as the document holds it (toPlainText would turn
    // no-break spaces into spaces); blocks are separated by U+2029.
    const QString raw = document()->toRawText();
    return std::u16string(reinterpret_cast<const char16_t*>(raw.utf16()),
                          static_cast<std::size_t>(raw.size()));
}

void TextBox::onContentsChanged()
{
    if (m_settingText)
        return;
    // Format-only changes (a new font, say) also arrive here; only a changed text is an edit.
    if (m_content.Edit(widgetText()))
        emit userEdited();
}

void TextBox::keyPressEvent(QKeyEvent* event)
{
    // Shift+Enter would make a line break inside a paragraph, which has no stored form of its own;
    // every Enter makes the one line break the device knows.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        (event->modifiers() & Qt::ShiftModifier)) {
        QKeyEvent plain(event->type(), event->key(), event->modifiers() & ~Qt::ShiftModifier, event->text(),
                        event->isAutoRepeat(), static_cast<quint16>(event->count()));
        QTextEdit::keyPressEvent(&plain);
        event->setAccepted(plain.isAccepted());
        return;
    }
    QTextEdit::keyPressEvent(event);
}

void TextBox::focusOutEvent(QFocusEvent* event)
{
    QTextEdit::focusOutEvent(event);
    emit focusLost();
}

} // namespace orv
