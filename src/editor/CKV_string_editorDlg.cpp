#include "editor/CKV_string_editorDlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QFile>
#include <QFontInfo>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QShortcut>
#include <QStyle>
#include <QStyleFactory>
#include <limits>
#include <new>

#include "base/FileIo.h"
#include "editor/ApplicationIcon.h"
#include "editor/BlockTreeModel.h"
#include "editor/CAboutDlg.h"
#include "editor/CBitmapRect.h"
#include "editor/CBlockTreeView.h"
#include "editor/CTextBox.h"
#include "font/CharacterSet.h"
#include "font/FreeTypeRasteriser.h"
#include "font/PreviewCanvas.h"
#include "font/RenderFont.h"
#include "output/FontTextExport.h"
#include "output/OutputMessages.h"
#include "output/SourceGeneration.h"
#include "store/DefinitionMerge.h"

namespace orv {

namespace {

// The dialog's size in dialog units, and its font.
constexpr int kDialogWidth = 464;
constexpr int kDialogHeight = 249;
constexpr int kDialogFontPoints = 10;

constexpr const char* kFileFilter = "String definition files (*.strdef)";
constexpr const char* kFileSuffix = "strdef";

// The entries of the special-character list, in their order: the character, and the text shown
// after it. U+2194 shows as a word instead, and "Insert" knows that word.
struct SpecialCharacter
{
    char16_t Character;
    const char* Suffix;
};
constexpr SpecialCharacter kSpecialCharacters[] = {
    {u'\u0008', " (inverted)"},
    {u'\u0007', " (normal)"},
    {u'\u25A1', " (wildcard)"},
    {u'\u25B2', ""},
    {u'\u25BA', ""},
    {u'\u25BC', ""},
    {u'\u25C4', ""},
    {u'\u00AB', ""},
    {u'\u00BB', ""},
    {u'\u2194', ""},
    {u'\u2195', ""},
    {u'\u00A9', ""},
    {u'\u00B0', ""},
    {u'\u00B1', ""},
    {u'\u00B2', ""},
    {u'\u00B5', ""},
    {u'\u00D7', ""},
    {u'\u2248', ""},
    {u'\u266A', ""},
    {u'\uFFFC', ""},
};
constexpr char16_t kCheckCharacter = u'\u2194';
constexpr const char* kCheckLabel = "<check>";

constexpr const char* kIdentifierPrefix = "S_";

constexpr const char* kExportFilter = "Orvane text definition files (*.ovtx)";
constexpr const char* kExportSuffix = "ovtx";
// The outputs are made where the editor runs, as the firmware's build expects them.
constexpr const char* kOutputDirectory = ".";

QString ToQString(std::u16string_view text)
{
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

std::u16string ToU16(const QString& text)
{
    return std::u16string(reinterpret_cast<const char16_t*>(text.utf16()),
                          static_cast<std::size_t>(text.size()));
}

QString PathText(const std::filesystem::path& path)
{
    return QFile::decodeName(QByteArray::fromStdString(path.native()));
}

std::filesystem::path ToPath(const QString& text)
{
    return std::filesystem::path(QFile::encodeName(text).toStdString());
}

QString SpecialCharacterLabel(const SpecialCharacter& entry)
{
    if (entry.Character == kCheckCharacter)
        return QString::fromLatin1(kCheckLabel);
    return QString(QChar(entry.Character)) + QString::fromLatin1(entry.Suffix);
}

Message ErrorMessage(const QString& text)
{
    return {text, QStringLiteral("ERROR"), MessageIcon::Error};
}

Message Notification(const QString& text)
{
    return {text, QStringLiteral("Notification"), MessageIcon::Information};
}

// The family as fontconfig knows it. Qt names a family that several foundries offer as
// "Family [Foundry]"; the foundry is not part of the name that finds the face.
std::u16string PickedFamily(const QFont& font)
{
    QString family = font.family();
    const qsizetype foundry = family.lastIndexOf(QLatin1String(" ["));
    if (foundry > 0 && family.endsWith(QLatin1Char(']')))
        family.truncate(foundry);
    return ToU16(family);
}

// The chosen face at the height ChosenFont carries, as the Translation box shows it.
QFont ShownFont(const ChosenFont& chosen)
{
    QFont font;
    font.setFamilies({ToQString(chosen.FaceName)});
    if (chosen.Weight != kWeightDontCare)
        font.setWeight(static_cast<QFont::Weight>(chosen.Weight));
    font.setItalic(chosen.Italic);
    if (chosen.Stretch != kStretchDontCare)
        font.setStretch(chosen.Stretch);
    if (chosen.Height > 0)
        font.setPixelSize(chosen.Height);
    return font;
}

MessageIcon ToMessageIcon(NoticeIcon icon)
{
    switch (icon) {
    case NoticeIcon::Error:
        return MessageIcon::Error;
    case NoticeIcon::Warning:
        return MessageIcon::Warning;
    case NoticeIcon::Information:
        return MessageIcon::Information;
    }
    return MessageIcon::None;
}

Message ToMessage(const Notice& notice)
{
    return {QString::fromStdString(notice.Text), QString::fromStdString(notice.Caption),
            ToMessageIcon(notice.Icon), MessageButtons::Ok, QString::fromStdString(notice.Details)};
}

} // namespace

CKV_string_editorDlg::CKV_string_editorDlg(PlatformServices& services, QWidget* parent)
    : QDialog(parent), Services(services), AppIcon(ApplicationIcon())
{
    // A fixed-size window with a minimise box and no maximise box.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    // Arial, which fontconfig maps to its metric twin Liberation Sans where Arial is missing.
    QFont dialogFont;
    dialogFont.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans")});
    dialogFont.setPointSize(kDialogFontPoints);
    setFont(dialogFont);
    DialogFontUnits = DialogUnits::FromFont(font());
    setFixedSize(DialogFontUnits.Size(kDialogWidth, kDialogHeight));
    setWindowIcon(AppIcon);

    CreateControls();
    ConnectControls();
    UpdateTitle();
}

CKV_string_editorDlg::~CKV_string_editorDlg()
{
    // The controls go while the document they show still exists: a box that loses the focus as it
    // is destroyed commits, and views ask their models. Nothing is shown any more.
    CurrentDefinition = nullptr;
    qDeleteAll(findChildren<QWidget*>(Qt::FindDirectChildrenOnly));
    delete DefinitionsModel;
    delete ScratchModel;
}

template <typename Widget>
Widget* CKV_string_editorDlg::Place(Widget* widget, int id, int x, int y, int width, int height)
{
    widget->setGeometry(DialogFontUnits.Rect(x, y, width, height));
    if (id != 0) {
        widget->setObjectName(QStringLiteral("control%1").arg(id));
        Controls[id] = widget;
    }
    return widget;
}

void CKV_string_editorDlg::PlaceCentredCheckBox(QCheckBox* box, int x, int y, int width, int height)
{
    // A check box centres its box and caption together in its place.
    const QRect place = DialogFontUnits.Rect(x, y, width, height);
    const int boxWidth = std::min(place.width(), box->sizeHint().width());
    box->setGeometry(place.x() + (place.width() - boxWidth) / 2, place.y(), boxWidth, place.height());
}

void CKV_string_editorDlg::Hide(QWidget* widget)
{
    widget->hide();
    widget->setEnabled(false);
}

void CKV_string_editorDlg::CreateControls()
{
    // Created in the order of the dialog's tab order; places in dialog units.
    TreeLabel = Place(new QLabel(QStringLiteral("System strings"), this), kIdTreeLabel, 7, 7, 101, 8);

    DefinitionsModel = new BlockTreeModel(Document.Tree, this);
    DefinitionsTree = Place(new CBlockTreeView(this), kIdDefinitionsTree, 7, 18, 144, 207);
    DefinitionsTree->setModel(DefinitionsModel);

    // Group boxes in Qt's "Windows" style draw their caption on the frame line, where the places of
    // the controls inside expect it; one style object serves them all.
    GroupStyle = QStyleFactory::create(QStringLiteral("Windows"));
    if (GroupStyle)
        GroupStyle->setParent(this);
    auto group = [this](const QString& title) {
        auto* box = new QGroupBox(title, this);
        if (GroupStyle)
            box->setStyle(GroupStyle);
        return box;
    };
    Place(group(QStringLiteral("Definition")), 0, 155, 7, 302, 104);
    auto* indexLabel = Place(new QLabel(QStringLiteral("Index"), this), 0, 162, 19, 19, 11);
    indexLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    IndexBox = Place(new QLineEdit(this), kIdIndexBox, 184, 17, 34, 12);
    IndexBox->setReadOnly(true);
    IndexBox->setEnabled(false);

    auto* defaultLabel = Place(new QLabel(QStringLiteral("Default text"), this), 0, 164, 37, 116, 9);
    defaultLabel->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    DefaultTextBox = Place(new CTextBox(this), kIdDefaultTextBox, 164, 47, 116, 59);
    DefaultTextBox->setEnabled(false);

    Place(new QPushButton(QStringLiteral("copy \u2192"), this), kIdCopyDefaultText, 286, 44, 39, 11);
    TranslatedBox = new QCheckBox(QStringLiteral("Translated"), this);
    Place(TranslatedBox, kIdTranslated, 358, 37, 57, 8);
    PlaceCentredCheckBox(TranslatedBox, 358, 37, 57, 8);
    TranslationBox = Place(new CTextBox(this), kIdTranslationBox, 332, 47, 116, 59);

    auto* specialLabel = Place(new QLabel(QStringLiteral("Special character"), this), 0, 286, 62, 40, 16);
    specialLabel->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    specialLabel->setWordWrap(true);
    SpecialCharacterList = Place(new QComboBox(this), kIdSpecialCharacterList, 284, 79, 44, 12);
    for (const SpecialCharacter& entry : kSpecialCharacters)
        SpecialCharacterList->addItem(SpecialCharacterLabel(entry));
    SpecialCharacterList->setCurrentIndex(-1);
    Place(new QPushButton(QStringLiteral("Insert"), this), kIdInsert, 289, 93, 34, 13);

    Place(group(QStringLiteral("Description")), 0, 155, 115, 184, 95);
    DescriptionBox = Place(new CTextBox(this), kIdDescriptionBox, 162, 128, 172, 75);
    DescriptionBox->setEnabled(false);

    Place(new QPushButton(QStringLiteral("Choose Font"), this), kIdChooseFont, 373, 119, 57, 13);
    Preview = Place(new CBitmapRect(this), kIdPreview, 344, 135, 113, 65);
    ZoomedBox = new QCheckBox(QStringLiteral("zoomed"), this);
    Place(ZoomedBox, kIdZoomed, 382, 202, 39, 10);

    Place(new QPushButton(QStringLiteral("Next"), this), kIdNext, 9, 228, 43, 14);
    Place(new QPushButton(QStringLiteral("Next to be translated"), this), kIdNextToBeTranslated, 71, 228, 77,
          14);
    Place(new QPushButton(QStringLiteral("Open"), this), kIdOpen, 178, 222, 39, 15);
    Place(new QPushButton(QStringLiteral("Merge"), this), kIdMerge, 236, 222, 45, 15);
    Place(new QPushButton(QStringLiteral("Export with font"), this), kIdExportWithFont, 368, 222, 65, 15);

    // Controls that are never shown; their operations belong to the window all the same.
    IdentifierBox = Place(new QLineEdit(this), kIdIdentifierBox, 0, 0, 0, 0);
    // A line edit keeps 32767 units by default; an identifier in a file can be longer, and the box
    // must give back every unit it was shown.
    IdentifierBox->setMaxLength(std::numeric_limits<int>::max());
    Hide(IdentifierBox);
    Hide(Place(new QLabel(QString::fromLatin1(kIdentifierPrefix), this), kIdIdentifierPrefix, 0, 0, 0, 0));
    Hide(Place(new QPushButton(QStringLiteral("Copy"), this), kIdCopyIdentifier, 0, 0, 0, 0));
    Hide(Place(new QPushButton(QStringLiteral("^"), this), kIdMoveUp, 0, 0, 0, 0));
    Hide(Place(new QPushButton(QStringLiteral("v"), this), kIdMoveDown, 0, 0, 0, 0));
    Hide(Place(new QPushButton(QStringLiteral("^-"), this), kIdMoveOut, 0, 0, 0, 0));
    Hide(Place(new QPushButton(QStringLiteral("-v"), this), kIdMoveIntoNext, 0, 0, 0, 0));
    Hide(Place(new QPushButton(QStringLiteral("Load"), this), kIdLoad, 0, 0, 0, 0));
    Hide(Place(new QPushButton(QStringLiteral("Generate for src."), this), kIdGenerateSources, 0, 0, 0, 0));
    // The dialog's default button; being the default, it keeps Qt from making a visible button the
    // default on show.
    auto* defaultButton = Place(new QPushButton(this), kIdDefaultButton, 0, 0, 0, 0);
    defaultButton->setDefault(true);
    defaultButton->hide();
    ScratchModel = new BlockTreeModel(ScratchTree, this);
    ScratchTreeView = Place(new CBlockTreeView(this), kIdScratchTree, 0, 0, 0, 0);
    ScratchTreeView->setModel(ScratchModel);
    Hide(ScratchTreeView);
}

template <typename Handler> auto CKV_string_editorDlg::Guarded(Handler handler)
{
    return [this, handler] {
        try {
            (this->*handler)();
        } catch (const std::exception& failure) {
            ReportFailure(failure);
        }
    };
}

void CKV_string_editorDlg::ConnectControls()
{
    auto button = [this](int id) { return static_cast<QPushButton*>(Controls.at(id)); };

    connect(DefinitionsTree->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                // The view makes the first item current when it gets the focus with none; the
                // item whose text is shown is always the selected one.
                QItemSelectionModel* selection = DefinitionsTree->selectionModel();
                if (current.isValid() && !selection->isSelected(current))
                    selection->select(current, QItemSelectionModel::ClearAndSelect);
                if (RestoringSelection)
                    return;
                try {
                    OnTreeSelChanged();
                } catch (const std::exception& failure) {
                    ReportFailure(failure);
                }
            });
    connect(TranslationBox, &CTextBox::UserEdited, this,
            Guarded(&CKV_string_editorDlg::OnTranslationChanged));
    connect(TranslationBox, &CTextBox::FocusLost, this, Guarded(&CKV_string_editorDlg::CommitTranslationBox));
    connect(TranslatedBox, &QCheckBox::clicked, this, Guarded(&CKV_string_editorDlg::OnTranslatedClicked));
    const std::pair<int, void (CKV_string_editorDlg::*)()> buttons[] = {
        {kIdCopyDefaultText, &CKV_string_editorDlg::OnCopyDefaultText},
        {kIdInsert, &CKV_string_editorDlg::OnInsertSpecialCharacter},
        {kIdCopyIdentifier, &CKV_string_editorDlg::OnCopyIdentifier},
        {kIdMoveUp, &CKV_string_editorDlg::OnMoveUp},
        {kIdMoveDown, &CKV_string_editorDlg::OnMoveDown},
        {kIdMoveOut, &CKV_string_editorDlg::OnMoveOut},
        {kIdMoveIntoNext, &CKV_string_editorDlg::OnMoveIntoNext},
        {kIdNext, &CKV_string_editorDlg::OnNext},
        {kIdNextToBeTranslated, &CKV_string_editorDlg::OnNextToBeTranslated},
        {kIdOpen, &CKV_string_editorDlg::OnOpen},
        {kIdLoad, &CKV_string_editorDlg::OnLoad},
        {kIdChooseFont, &CKV_string_editorDlg::OnChooseFont},
        {kIdMerge, &CKV_string_editorDlg::OnMerge},
        {kIdExportWithFont, &CKV_string_editorDlg::OnExportWithFont},
        {kIdDefaultButton, &CKV_string_editorDlg::OnDefaultButton},
    };
    for (const auto& [id, handler] : buttons)
        connect(button(id), &QPushButton::clicked, this, Guarded(handler));
    connect(ZoomedBox, &QCheckBox::clicked, this, Guarded(&CKV_string_editorDlg::OnZoomed));
    auto* help = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(help, &QShortcut::activated, this, Guarded(&CKV_string_editorDlg::OnAbout));
}

QWidget* CKV_string_editorDlg::Control(int id) const
{
    const auto found = Controls.find(id);
    return found == Controls.end() ? nullptr : found->second;
}

void CKV_string_editorDlg::UpdateTitle()
{
    const DefinitionTable& table = Document.Table;
    if (table.Definitions.empty())
        TreeLabel->setText(QStringLiteral("System strings"));
    else
        TreeLabel->setText(QStringLiteral("System strings (Fw. ver. %1)")
                               .arg(QString::fromStdString(FirmwareVersionText(table.FirmwareVersion))));
    const QString suffix =
        Document.FilePath.empty() ? QString() : QStringLiteral(" - ") + PathText(Document.FilePath);
    setWindowTitle(QStringLiteral("Orvane text definition editor ver. %1.%2%3")
                       .arg(kEditorVersionMajor)
                       .arg(kEditorVersionMinor)
                       .arg(suffix));
}

template <typename Load> bool CKV_string_editorDlg::ShowLoad(Load load)
{
    // The read empties the table, so no reference into it may survive; while it runs, nothing
    // shows a definition. Should the file not open, the unchanged tree is shown again as it was,
    // so the expanded blocks are noted before the views forget them.
    StringDefinition* shown = CurrentDefinition;
    const BlockItem* selected = SelectedItem();
    std::vector<const BlockItem*> expanded;
    for (const BlockItem* item = Document.Tree.FirstTopLevel(); item; item = item->NextInDisplayOrder()) {
        if (item->ChildCount() > 0 && DefinitionsTree->isExpanded(DefinitionsModel->IndexOf(item)))
            expanded.push_back(item);
    }
    CurrentDefinition = nullptr;
    DefinitionsModel->BeginReset();
    auto outcome = load();
    DefinitionsModel->EndReset();
    if (!outcome) {
        // The file could not be opened and nothing was read: the document is as it was, and so
        // is what the window shows.
        for (const BlockItem* item : expanded)
            DefinitionsTree->expand(DefinitionsModel->IndexOf(item));
        CurrentDefinition = shown;
        RestoreSelection(selected);
        ShowError(outcome.error());
        return false;
    }
    ShowNoDefinition();
    switch (outcome->Result) {
    case ReadResult::ReadOk:
        TreeLabel->setText(QString::fromStdString(ReaderLabelText(Document.Table.FirmwareVersion)));
        if (outcome->SaveLocked)
            Tell({QString::fromLatin1(kSaveLockWarning), QStringLiteral("WARNING"), MessageIcon::Warning});
        break;
    case ReadResult::ReadFailed:
        Tell({QStringLiteral("can't load file"), QStringLiteral("ERROR"), MessageIcon::Error,
              MessageButtons::Ok, QString::fromStdString(outcome->Reason)});
        break;
    case ReadResult::ReadBadMagic:
    case ReadResult::ReadBadFormatWord:
    case ReadResult::ReadBadTreeMarker:
        break;
    }
    UpdateTitle();
    return true;
}

bool CKV_string_editorDlg::LoadDefinitionFile()
{
    return ShowLoad([this] { return Document.LoadDefinitionFile(); });
}

bool CKV_string_editorDlg::OpenDefinitionFile(const std::filesystem::path& path)
{
    return ShowLoad([this, &path] { return Document.OpenDefinitionFile(path); });
}

bool CKV_string_editorDlg::SaveDefinitionFile()
{
    const auto saved = Document.SaveDefinitionFile();
    if (!saved) {
        ShowError(saved.error());
        return false;
    }
    return true;
}

void CKV_string_editorDlg::ClearDefinitions()
{
    CurrentDefinition = nullptr;
    DefinitionsModel->BeginReset();
    Document.ClearDefinitions();
    DefinitionsModel->EndReset();
    ShowNoDefinition();
}

BlockItem* CKV_string_editorDlg::SelectedItem() const
{
    return BlockTreeModel::ItemAt(DefinitionsTree->selectionModel()->currentIndex());
}

void CKV_string_editorDlg::Select(const BlockItem* item)
{
    const QModelIndex index = DefinitionsModel->IndexOf(item);
    DefinitionsTree->setCurrentIndex(index);
    DefinitionsTree->scrollTo(index);
}

void CKV_string_editorDlg::RestoreSelection(const BlockItem* item)
{
    if (!item)
        return;
    RestoringSelection = true;
    Select(item);
    RestoringSelection = false;
}

bool CKV_string_editorDlg::FindNextText(bool onlyUntranslated)
{
    BlockItem* start = SelectedItem();
    if (!start)
        start = Document.Tree.FirstTopLevel();
    DefinitionsTree->setFocus();
    if (!start)
        return false;
    // Tree order taken as a cycle; the start item is the last one tested, so that after a full
    // round it is found again when it qualifies itself.
    for (BlockItem* item = start;;) {
        item = item->NextInDisplayOrder();
        if (!item)
            item = Document.Tree.FirstTopLevel();
        if (!item->IsBlock()) {
            const StringDefinition& definition = Document.Table.FindOrAddDefinition(item->TextIndex());
            if (!onlyUntranslated || definition.Translated == 0) {
                Select(item);
                return true;
            }
        }
        if (item == start)
            return false;
    }
}

void CKV_string_editorDlg::ShowNoDefinition()
{
    CurrentDefinition = nullptr;
    DefaultTextBox->setEnabled(false);
    IdentifierBox->setEnabled(false);
    Controls.at(kIdCopyIdentifier)->setEnabled(false);
    IndexBox->setEnabled(false);
    DefaultTextBox->SetText({});
    IdentifierBox->clear();
    TranslationBox->SetText({});
    TranslatedBox->setChecked(false);
    DescriptionBox->SetText({});
    IndexBox->setText(QStringLiteral("-"));
}

void CKV_string_editorDlg::OnTreeSelChanged()
{
    const BlockItem* item = SelectedItem();
    if (!item)
        return;
    DefinitionsTree->setFocus();
    if (item->IsBlock()) {
        // The preview keeps showing the last text.
        ShowNoDefinition();
        return;
    }
    IdentifierBox->setEnabled(true);
    Controls.at(kIdCopyIdentifier)->setEnabled(true);
    IndexBox->setEnabled(true);
    StringDefinition& definition = Document.Table.FindOrAddDefinition(item->TextIndex());
    CurrentDefinition = &definition;
    DefaultTextBox->SetText(definition.DefaultText);
    IdentifierBox->setText(ToQString(definition.Identifier));
    TranslationBox->SetText(definition.Translation);
    // A blank translation is never in use: showing it clears the mark in the table.
    std::uint32_t translated = definition.Translated;
    if (IsBlank(definition.Translation)) {
        definition.Translated = 0;
        translated = 0;
    }
    TranslatedBox->setChecked(translated != 0);
    DescriptionBox->SetText(definition.Description);
    IndexBox->setText(QString::fromStdString(IndexText(definition)));
    UpdatePreview();
}

void CKV_string_editorDlg::OnTranslationChanged()
{
    if (!CurrentDefinition)
        return;
    CurrentDefinition->Translation = TranslationBox->Text();
    // The box follows the blank rule at once; the table takes the mark on a click or a commit.
    TranslatedBox->setChecked(!IsBlank(CurrentDefinition->Translation));
    UpdatePreview();
}

void CKV_string_editorDlg::CommitTranslationBox()
{
    if (!CurrentDefinition)
        return;
    CurrentDefinition->Translation = TranslationBox->Text();
    CurrentDefinition->Translated = TranslatedBox->isChecked() ? 1 : 0;
}

void CKV_string_editorDlg::CommitIdentifierBox()
{
    if (!CurrentDefinition)
        return;
    CurrentDefinition->Identifier = ToU16(IdentifierBox->text());
}

void CKV_string_editorDlg::OnTranslatedClicked()
{
    if (!CurrentDefinition)
        return;
    CurrentDefinition->Translated = TranslatedBox->isChecked() ? 1 : 0;
    UpdatePreview();
}

void CKV_string_editorDlg::OnCopyDefaultText()
{
    // Only the box changes; the definition takes the text when the box is next edited or left.
    if (CurrentDefinition)
        TranslationBox->SetText(DefaultTextBox->Text());
}

void CKV_string_editorDlg::OnInsertSpecialCharacter()
{
    const QString label =
        SpecialCharacterList->currentIndex() >= 0 ? SpecialCharacterList->currentText() : QString();
    const QString text =
        label == QLatin1String(kCheckLabel) ? QString(QChar(kCheckCharacter)) : label.left(1);
    TranslationBox->setFocus();
    // Replaces the selection as typing would, so it can be undone and counts as an edit.
    TranslationBox->insertPlainText(text);
}

void CKV_string_editorDlg::OnCopyIdentifier()
{
    if (!CurrentDefinition)
        return;
    const QString text = QString::fromLatin1(kIdentifierPrefix) + ToQString(CurrentDefinition->Identifier);
    const ClipboardOutcome outcome = Services.SetClipboardText(text);
    const QString caption = QString::fromLatin1(kProgramName);
    switch (outcome.Status) {
    case ClipboardStatus::Done:
        break;
    case ClipboardStatus::CannotOpen:
        Tell({QStringLiteral("Cannot open the Clipboard"), caption});
        break;
    case ClipboardStatus::CannotEmpty:
        Tell({QStringLiteral("Cannot empty the Clipboard"), caption});
        break;
    case ClipboardStatus::CannotSet:
        Tell({QStringLiteral("Unable to set Clipboard data, error: %1").arg(outcome.ErrorCode), caption});
        break;
    }
}

void CKV_string_editorDlg::OnNext()
{
    FindNextText(/*onlyUntranslated=*/false);
}

void CKV_string_editorDlg::OnNextToBeTranslated()
{
    if (!FindNextText(/*onlyUntranslated=*/true))
        Tell({QStringLiteral("No more non-translated strings have been found."),
              QStringLiteral("Search result"), MessageIcon::Information});
}

std::optional<QString> CKV_string_editorDlg::ChooseDefinitionFile()
{
    return Services.ChooseFileToOpen(this, FileDialogRequest{QString::fromLatin1(kFileFilter),
                                                             QString::fromLatin1(kFileSuffix), QString()});
}

bool CKV_string_editorDlg::OfferToSaveChanges()
{
    // Compared as closing would save it: the box being edited commits first.
    if (TranslationBox->hasFocus())
        CommitTranslationBox();
    if (!Document.HasUnsavedChanges())
        return true;
    const MessageAnswer answer =
        Tell({QStringLiteral("Save the changes to %1 before opening another file?")
                  .arg(PathText(Document.FilePath)),
              QString::fromLatin1(kProgramName), MessageIcon::Question, MessageButtons::YesNoCancel});
    switch (answer) {
    case MessageAnswer::Yes:
        return SaveDefinitionFile();
    case MessageAnswer::No:
        return true;
    case MessageAnswer::Ok:
    case MessageAnswer::Cancel:
        break;
    }
    return false;
}

void CKV_string_editorDlg::OnOpen()
{
    const auto chosen = ChooseDefinitionFile();
    if (!chosen)
        return;
    if (!OfferToSaveChanges())
        return;
    // A file that cannot be opened ends the command as a cancelled dialog would: the file shown
    // so far stays loaded, and closing still saves it.
    if (!OpenDefinitionFile(ToPath(*chosen)))
        return;
    if (!Document.Loaded) {
        Tell({QStringLiteral("Can't load file"), QStringLiteral("ERROR"), MessageIcon::Error});
        ClearDefinitions();
    }
}

void CKV_string_editorDlg::OnLoad()
{
    LoadDefinitionFile();
}

void CKV_string_editorDlg::UpdatePreview()
{
    PreviewCanvas& canvas = Preview->Canvas();
    if (!CurrentDefinition) {
        // Nothing to show: black at once rather than at the next repaint.
        canvas.Clear();
        Preview->update();
        return;
    }
    LayoutPreviewText(canvas, DeviceFont, EffectiveText(*CurrentDefinition), PreviewZoom, Preview->width(),
                      Preview->height());
    Preview->update();
}

void CKV_string_editorDlg::OnZoomed()
{
    PreviewZoom = ZoomedBox->isChecked() ? kZoomedZoom : kNormalZoom;
    UpdatePreview();
}

void CKV_string_editorDlg::OnDefaultButton()
{
    // Enter never closes the window. Moving the focus to the tree commits the box that had it;
    // the hidden identifier box, which Enter passes through on the way, writes its text back.
    DefinitionsTree->setFocus();
    CommitIdentifierBox();
}

void CKV_string_editorDlg::OnSysCommand(int id)
{
    if ((id & ~0xF) == kAboutCommandId)
        OnAbout();
}

void CKV_string_editorDlg::OnAbout()
{
    CAboutDlg about(AppIcon, this);
    about.exec();
}

void CKV_string_editorDlg::OnChooseFont()
{
    RenderFont();
}

void CKV_string_editorDlg::RenderFont()
{
    if (!Document.Loaded)
        return;
    if (RenderSilently && !ChosenFont.IsChosen())
        return;
    // A picker cancelled below leaves no font chosen, so that the export refuses to run.
    if (!RenderSilently)
        ChosenFont.FaceName.clear();
    // Taken before the picker: the effective texts of translated definitions are trimmed in
    // place, also when the picker is then cancelled.
    CharacterSet characters;
    for (auto& [index, definition] : Document.Table.Definitions)
        characters.AddText(EffectiveText(definition));

    if (!RenderSilently) {
        const std::optional<QFont> picked = Services.ChooseFont(this);
        if (!picked)
            return;
        // The size chosen in the picker plays no part: rendering always uses the device's cell.
        auto chosen =
            MakeChosenFont(PickedFamily(*picked), picked->weight(), picked->italic(), picked->stretch());
        if (!chosen) {
            Tell(ErrorMessage(QString::fromStdString(chosen.error().Message)));
            return;
        }
        ChosenFont = std::move(*chosen);
    }

    const RenderFontResult result = orv::RenderFont(DeviceFont, characters, OpenChosenFont(ChosenFont));
    if (!result.Succeeded()) {
        Tell(ErrorMessage(QString::fromStdString(result.Message)));
        // Closing saves the loaded file as every other way of closing does.
        if (result.Outcome == RenderOutcome::TooManyCharacters)
            reject();
        return;
    }
    UpdatePreview();
    // From now on translations are typed in the chosen face, at the size of the other boxes.
    ChosenFont.Height = QFontInfo(DefaultTextBox->font()).pixelSize();
    TranslationBox->setFont(ShownFont(ChosenFont));
    RenderSilently = false;
}

void CKV_string_editorDlg::OnMoveUp()
{
    MoveSelectedItem(MoveKind::Up);
}

void CKV_string_editorDlg::OnMoveDown()
{
    MoveSelectedItem(MoveKind::Down);
}

void CKV_string_editorDlg::OnMoveOut()
{
    MoveSelectedItem(MoveKind::Out);
}

void CKV_string_editorDlg::OnMoveIntoNext()
{
    MoveSelectedItem(MoveKind::IntoNext);
}

void CKV_string_editorDlg::MoveSelectedItem(MoveKind kind)
{
    BlockItem* selected = SelectedItem();
    if (!selected || !FindMoveTarget(Document.Tree, *selected, kind))
        return;
    // The selection leaves the old item before it goes, quietly: were the view to pass it on to a
    // neighbour, showing that neighbour could add a definition for it or unmark it.
    RestoringSelection = true;
    DefinitionsTree->selectionModel()->clear();
    RestoringSelection = false;
    BlockItem* moved = nullptr;
    try {
        moved = DefinitionsModel->MoveItem(*selected, kind);
    } catch (const std::bad_alloc&) {
        // The tree is as it was; so is the selection, which the failure is reported beside.
        RestoreSelection(selected);
        throw;
    }
    // Selecting the new item shows its definition; a new item starts collapsed.
    Select(moved);
}

void CKV_string_editorDlg::OnMerge()
{
    if (!Document.Loaded)
        return;
    const auto chosen = ChooseDefinitionFile();
    if (!chosen)
        return;
    const std::filesystem::path otherPath = ToPath(*chosen);
    // The very same text only: the same file named another way is merged like any other.
    if (otherPath.native() == Document.FilePath.native()) {
        Tell(Notification(QString::fromLatin1(kMergeSameFileMessage)));
        return;
    }

    DefinitionTable otherTable;
    ScratchModel->BeginReset();
    auto read = ReadDefinitionFile(otherPath, ScratchTree, otherTable);
    ScratchModel->EndReset();
    if (!read) {
        ShowError(read.error());
        return;
    }
    if (read->Result != ReadResult::ReadOk) {
        if (read->Result == ReadResult::ReadFailed)
            Tell({QStringLiteral("can't load file"), QStringLiteral("ERROR"), MessageIcon::Error,
                  MessageButtons::Ok, QString::fromStdString(read->Reason)});
        Tell(ErrorMessage(QString::fromLatin1(kMergeReadFailedMessage)));
        return;
    }
    // A complete read puts its version text above the tree, as every read does; the title
    // function replaces it below either way.
    TreeLabel->setText(QString::fromStdString(ReaderLabelText(otherTable.FirmwareVersion)));
    const std::uint16_t loadedVersion = Document.Table.FirmwareVersion;
    if (IsOlderFirmwareVersion(otherTable.FirmwareVersion, loadedVersion)) {
        Tell(Notification(
            QString::fromStdString(MergeOlderVersionMessage(otherTable.FirmwareVersion, loadedVersion))));
        UpdateTitle();
        return;
    }

    // Merged into copies first: should memory run out, the loaded table and tree stay whole.
    // Taking the result over then cannot fail.
    BlockTree mergedTree;
    DefinitionTable mergedTable = Document.Table;
    MergeDefinitions(mergedTree, mergedTable, ScratchTree, otherTable);
    CurrentDefinition = nullptr;
    DefinitionsModel->BeginReset();
    Document.Tree = std::move(mergedTree);
    swap(Document.Table, mergedTable);
    DefinitionsModel->EndReset();
    ShowNoDefinition();
    UpdateTitle();
}

void CKV_string_editorDlg::OnExportWithFont()
{
    ExportWithFont();
}

void CKV_string_editorDlg::GenerateSources()
{
    if (!Document.Loaded)
        return;
    // The texts are generated as they are saved; the box being edited commits first, as on closing.
    if (TranslationBox->hasFocus())
        CommitTranslationBox();
    // A file with saving disabled is not saved, which is no failure: it is generated all the same.
    if (!SaveDefinitionFile())
        return;
    const SourceGenerationResult generated = WriteSourceFiles(Document.Table, kOutputDirectory);
    // The script's exit status tells nothing the user could act on; its own output is what they see.
    if (generated.RunScript)
        Services.RunCommand(QString::fromStdString(MakeTextsCommand(kOutputDirectory)));
    ShowNotices(generated.Notices);
}

void CKV_string_editorDlg::ExportWithFont()
{
    if (!Document.Loaded)
        return;
    if (!ChosenFont.IsChosen()) {
        Tell({QString::fromLatin1(kChooseFontFirstMessage), QString::fromLatin1(Notice::kErrorCaption),
              MessageIcon::Warning});
        return;
    }
    // Refused before the rendering and the dialog: the text table has no form for the table.
    if (auto exportable = CheckExportable(Document.Table); !exportable) {
        ShowNotices({ExportFailureNotice(exportable.error())});
        return;
    }
    RenderSilently = true;
    RenderFont();
    // The rendering clears the flag only when it succeeded; a failure has been shown.
    if (RenderSilently)
        return;
    const std::optional<QString> chosen =
        Services.ChooseFileToSave(this, FileDialogRequest{QString::fromLatin1(kExportFilter),
                                                          QString::fromLatin1(kExportSuffix), QString()});
    if (!chosen)
        return;
    // Built whole before the file is touched, so a failure to build leaves no partial file.
    auto built = BuildExport(Document.Table, DeviceFont);
    if (!built) {
        ShowNotices({ExportFailureNotice(built.error())});
        return;
    }
    if (auto written = WriteFileSafely(ToPath(*chosen), built->Bytes); !written) {
        ShowNotices({ExportFailureNotice(written.error())});
        return;
    }
    ShowNotices(built->Notices);
}

void CKV_string_editorDlg::done(int result)
{
    // Every way of closing ends here: Escape, the close box, Alt+F4. The box being edited commits
    // first, so that the mark the user sees is the one saved.
    if (TranslationBox->hasFocus())
        CommitTranslationBox();
    if (Document.Loaded && !SaveDefinitionFile()) {
        const MessageAnswer answer =
            Tell({QStringLiteral("The changes could not be saved. Close the editor anyway and lose them?"),
                  QString::fromLatin1(kProgramName), MessageIcon::Question, MessageButtons::YesNo});
        if (answer != MessageAnswer::Yes)
            return;
    }
    QDialog::done(result);
}

void CKV_string_editorDlg::keyPressEvent(QKeyEvent* event)
{
    // Enter reaches the window only where the focused control does not use it itself.
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        event->accept();
        OnDefaultButton();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CKV_string_editorDlg::contextMenuEvent(QContextMenuEvent* event)
{
    // The About box is one right-click away on the window's background as well as on F1; the menu
    // sends the same command id as any other way of asking for it.
    QMenu menu(this);
    menu.addAction(QStringLiteral("&About the editor..."), this, [this] { OnSysCommand(kAboutCommandId); });
    menu.exec(event->globalPos());
}

MessageAnswer CKV_string_editorDlg::Tell(const Message& message)
{
    return Services.ShowMessage(this, message);
}

void CKV_string_editorDlg::ShowError(const Error& error)
{
    Tell({QString::fromStdString(error.Message), QString::fromLatin1(kProgramName), MessageIcon::Error});
}

void CKV_string_editorDlg::ShowNotices(const std::vector<Notice>& notices)
{
    for (const Notice& notice : notices)
        Tell(ToMessage(notice));
}

void CKV_string_editorDlg::ReportFailure(const std::exception& failure)
{
    // One error box for any command that threw, and the window stays: the operations keep the
    // document whole when memory runs out, so the work can go on.
    const QString text = dynamic_cast<const std::bad_alloc*>(&failure)
                             ? QStringLiteral("Out of memory: the command was not completed.")
                             : QString::fromLocal8Bit(failure.what());
    try {
        Tell({text, QString::fromLatin1(kProgramName), MessageIcon::Error});
    } catch (const std::exception&) {
        // Not even the message could be shown; the command has ended all the same.
    }
}

} // namespace orv
