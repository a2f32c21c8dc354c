#include "editor/MainWindow.h"

#include <QAbstractButton>
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
#include <QMenuBar>
#include <QPushButton>
#include <QShortcut>
#include <QSpinBox>
#include <QStatusBar>
#include <QStyle>
#include <QStyleFactory>
#include <QUndoStack>
#include <limits>
#include <new>

#include "base/FileIo.h"
#include "base/Text.h"
#include "editor/AboutDialog.h"
#include "editor/ApplicationIcon.h"
#include "editor/BlockTreeModel.h"
#include "editor/BlockTreeView.h"
#include "editor/ControlLayout.h"
#include "editor/PreviewWidget.h"
#include "editor/TextBox.h"
#include "editor/TreeFilterModel.h"
#include "font/CharacterSet.h"
#include "font/FreeTypeRasteriser.h"
#include "font/PreviewCanvas.h"
#include "font/RenderFont.h"
#include "output/FontTextExport.h"
#include "output/OutputMessages.h"
#include "output/SourceGeneration.h"
#include "output/TextChecks.h"
#include "session/TextFilter.h"
#include "session/TranslationExchange.h"
#include "store/DefinitionMerge.h"

namespace orv {

namespace {

// The size of the controls' area at its smallest in dialog units, and the dialog's font.
constexpr int kDialogWidth = 464;
constexpr int kDialogHeight = 249 + kFilterBand + kCheckBand;
constexpr int kDialogFontPoints = 10;

constexpr const char* kFileFilter = "String definition files (*.strdef)";
constexpr const char* kFileSuffix = "strdef";

constexpr int kNormalZoom = 1;
constexpr int kZoomedZoom = 3;

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

// The filter opens the blocks of what it finds up to this many texts.
constexpr std::size_t kTextsOpenedByFilter = 2000;

constexpr const char* kTranslationFilter = "Files for translation tools (*.po *.xlf *.xliff)";
constexpr const char* kTranslationSuffix = "po";

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

MainWindow::MainWindow(PlatformServices& services, QWidget* parent)
    : QDialog(parent), m_services(services), m_previewZoom(kNormalZoom)
{
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    // Arial, which fontconfig maps to its metric twin Liberation Sans where Arial is missing.
    QFont dialogFont;
    dialogFont.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans")});
    dialogFont.setPointSize(kDialogFontPoints);
    setFont(dialogFont);
    m_units = DialogUnits::FromFont(font());
    setWindowIcon(ApplicationIcon());
    m_undoStack = new QUndoStack(this);

    createControls();
    connectControls();
    createMenus();
    // The controls at their places in the table, with the menu bar above and the status line below.
    const QSize controls = m_units.Size(kDialogWidth, kDialogHeight);
    m_leastSize = QSize(controls.width(), controls.height() + m_menuBar->sizeHint().height() +
                                              m_statusBar->sizeHint().height());
    setMinimumSize(m_leastSize);
    resize(m_leastSize);
    placeControls();
    updateTitle();
    updateStatus();
}

MainWindow::~MainWindow()
{
    // The controls go while the document they show still exists: a box that loses the focus as it
    // is destroyed commits, and views ask their models. Nothing is shown any more.
    m_session.ShowItem(nullptr);
    qDeleteAll(findChildren<QWidget*>(Qt::FindDirectChildrenOnly));
    delete m_definitionsModel;
    delete m_scratchModel;
}

template <typename Widget> Widget* MainWindow::control(const char* name) const
{
    auto* widget = findChild<Widget*>(QLatin1String(name), Qt::FindDirectChildrenOnly);
    Q_ASSERT(widget);
    return widget;
}

QWidget* MainWindow::createControl(const ControlEntry& entry)
{
    const QString caption = entry.Caption ? QString::fromUtf8(entry.Caption) : QString();
    switch (entry.Kind) {
    case ControlKind::Label:
        return new QLabel(caption, this);
    case ControlKind::Group: {
        auto* box = new QGroupBox(caption, this);
        if (m_groupStyle)
            box->setStyle(m_groupStyle);
        return box;
    }
    case ControlKind::Tree:
        return new BlockTreeView(this);
    case ControlKind::LineEdit:
        return new QLineEdit(this);
    case ControlKind::TextBox:
        return new TextBox(this);
    case ControlKind::Button:
        return new QPushButton(caption, this);
    case ControlKind::CheckBox:
        return new QCheckBox(caption, this);
    case ControlKind::ComboBox:
        return new QComboBox(this);
    case ControlKind::Preview:
        return new PreviewWidget(this);
    case ControlKind::SpinBox:
        return new QSpinBox(this);
    }
    return nullptr;
}

void MainWindow::createControls()
{
    // Group boxes in Qt's "Windows" style draw their caption on the frame line, where the places of
    // the controls inside expect it; one style object serves them all.
    m_groupStyle = QStyleFactory::create(QStringLiteral("Windows"));
    if (m_groupStyle)
        m_groupStyle->setParent(this);

    // Created in the order of the table, which is the tab order.
    for (const ControlEntry& entry : kControls) {
        QWidget* widget = createControl(entry);
        widget->setObjectName(QLatin1String(entry.Name));
        if (entry.Flags & kStartsDisabled)
            widget->setEnabled(false);
        if (entry.Flags & kNeverShown) {
            widget->hide();
            widget->setEnabled(false);
        }
    }

    m_treeLabel = control<QLabel>("treeLabel");
    m_definitionsModel = new BlockTreeModel(m_session.Document.Tree, this);
    m_definitionsTree = control<QTreeView>("definitionsTree");
    m_definitionsModel->SetProgressSource(&m_session);
    m_filterModel = new TreeFilterModel(*m_definitionsModel, this);
    m_definitionsTree->setModel(m_filterModel);
    control<QLabel>("indexLabel")->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_indexBox = control<QLineEdit>("indexBox");
    m_indexBox->setReadOnly(true);
    control<QLabel>("defaultTextLabel")->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    m_defaultTextBox = control<TextBox>("defaultTextBox");
    m_translatedBox = control<QCheckBox>("translatedBox");
    m_translationBox = control<TextBox>("translationBox");
    auto* specialLabel = control<QLabel>("specialCharacterLabel");
    specialLabel->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    specialLabel->setWordWrap(true);
    m_specialCharacterList = control<QComboBox>("specialCharacterList");
    for (const SpecialCharacter& entry : kSpecialCharacters)
        m_specialCharacterList->addItem(SpecialCharacterLabel(entry));
    m_specialCharacterList->setCurrentIndex(-1);
    m_descriptionBox = control<TextBox>("descriptionBox");
    m_preview = control<PreviewWidget>("previewWidget");
    m_zoomedBox = control<QCheckBox>("zoomedBox");

    m_identifierBox = control<QLineEdit>("identifierBox");
    // A line edit keeps 32767 units by default; an identifier in a file can be longer, and the box
    // must give back every unit it was shown.
    m_identifierBox->setMaxLength(std::numeric_limits<int>::max());
    m_copyIdentifierButton = control<QPushButton>("copyIdentifierButton");
    auto* defaultButton = control<QPushButton>("defaultButton");
    defaultButton->setDefault(true);
    defaultButton->hide();
    m_scratchModel = new BlockTreeModel(m_session.ScratchTree, this);
    m_scratchView = control<QTreeView>("scratchTree");
    m_scratchView->setModel(m_scratchModel);
    m_session.SetTreeListeners(m_definitionsModel, m_scratchModel);

    m_filterBox = control<QLineEdit>("filterBox");
    m_filterBox->setPlaceholderText(QStringLiteral("Filter (Ctrl+F)"));
    m_filterBox->setClearButtonEnabled(true);
    m_filterBox->setToolTip(
        QStringLiteral("Shows the texts whose index, identifier, default text, translation or "
                       "description hold what is typed here (Ctrl+F)"));
    m_filterBox->installEventFilter(this);
    m_stateFilterList = control<QComboBox>("stateFilterList");
    // In the order of StateFilter.
    m_stateFilterList->addItems({QStringLiteral("All"), QStringLiteral("Untranslated"),
                                 QStringLiteral("With problems"), QStringLiteral("Translated")});
    m_stateFilterList->setToolTip(QStringLiteral("Shows only the texts in this state"));
    m_widthLabel = control<QLabel>("widthLabel");
    m_widthLabel->setToolTip(QStringLiteral("The width of the text on the device, and the most allowed"));
    m_maxWidthBox = control<QSpinBox>("maxWidthBox");
    m_maxWidthBox->setRange(0, 9999);
    m_maxWidthBox->setSpecialValueText(QStringLiteral("no max."));
    m_maxWidthBox->setPrefix(QStringLiteral("max. "));
    m_maxWidthBox->setToolTip(QStringLiteral("The widest text the device shows in this file, in pixels"));
    m_deviceCheckLabel = control<QLabel>("deviceCheckLabel");
    m_deviceCheckLabel->setWordWrap(true);
    m_deviceCheckLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    m_menuBar = new QMenuBar(this);
    m_statusBar = new QStatusBar(this);
    m_statusBar->setSizeGripEnabled(true);
}

void MainWindow::placeControls()
{
    const int top = m_menuBar->sizeHint().height();
    const int extraWidth = std::max(0, width() - m_leastSize.width());
    const int extraHeight = std::max(0, height() - m_leastSize.height());
    m_menuBar->setGeometry(0, 0, width(), top);
    const int statusHeight = m_statusBar->sizeHint().height();
    m_statusBar->setGeometry(0, height() - statusHeight, width(), statusHeight);
    for (const ControlEntry& entry : kControls) {
        if (entry.Flags & kNeverShown || entry.Width == 0)
            continue;
        QWidget* widget = control<QWidget>(entry.Name);
        // The bottom row keeps below the device check; what is deep enough to reach it grows.
        const int lower = entry.Flags & kMovesDown ? kCheckBand : 0;
        const int deeper = entry.Flags & kDeepens ? kCheckBand : 0;
        QRect place =
            m_units.Rect(entry.X, entry.Y + kFilterBand + lower, entry.Width, entry.Height + deeper);
        place.translate(entry.Flags & kMovesRight ? extraWidth : 0,
                        top + (entry.Flags & kMovesDown ? extraHeight : 0));
        place.setWidth(place.width() + (entry.Flags & kWidens ? extraWidth : 0));
        place.setHeight(place.height() + (entry.Flags & kDeepens ? extraHeight : 0));
        if (entry.Flags & kCentred) {
            // A check box centres its box and caption together in its place.
            const int boxWidth = std::min(place.width(), widget->sizeHint().width());
            place = QRect(place.x() + (place.width() - boxWidth) / 2, place.y(), boxWidth, place.height());
        }
        widget->setGeometry(place);
    }
}

void MainWindow::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    if (m_menuBar)
        placeControls();
}

template <typename Handler> auto MainWindow::guarded(Handler handler)
{
    return [this, handler] {
        try {
            (this->*handler)();
        } catch (const std::exception& failure) {
            reportFailure(failure);
        }
    };
}

namespace {

// The keys of the buttons and check boxes, shown in their tooltips and listed with the About box.
// Ctrl+F is the filter line's, Ctrl+Z and Ctrl+Shift+Z are undo's and redo's.
struct ButtonShortcut
{
    const char* Name;
    const char* Keys; // portable text of a QKeySequence
    const char* Action;
};

constexpr ButtonShortcut kButtonShortcuts[] = {
    {"openButton", "Ctrl+O", "Open a definition file"},
    {"mergeButton", "Ctrl+M", "Merge a newer definition file"},
    {"chooseFontButton", "Ctrl+Shift+F", "Choose the font for the device"},
    {"exportWithFontButton", "Ctrl+E", "Export with font"},
    {"nextButton", "Ctrl+Shift+J", "Next text"},
    {"nextToBeTranslatedButton", "Ctrl+J", "Next text to be translated"},
    {"copyDefaultTextButton", "Ctrl+B", "Copy the default text into the translation"},
    {"insertButton", "Ctrl+I", "Insert the special character"},
    {"translatedBox", "Ctrl+T", "Mark the text translated, or not"},
    {"zoomedBox", "Ctrl+Shift+M", "Zoom the preview"},
};

constexpr const char* kMarkAndNextKeys = "Ctrl+Return";
// Redo's key on every desktop, also where the platform's own is Ctrl+Y.
constexpr const char* kRedoKeys = "Ctrl+Shift+Z";

} // namespace

QList<QPair<QString, QString>> MainWindow::shortcuts()
{
    QList<QPair<QString, QString>> list;
    for (const ButtonShortcut& shortcut : kButtonShortcuts)
        list.append({QKeySequence(QLatin1String(shortcut.Keys)).toString(QKeySequence::NativeText),
                     QString::fromLatin1(shortcut.Action)});
    list.append({QKeySequence(QLatin1String(kMarkAndNextKeys)).toString(QKeySequence::NativeText),
                 QStringLiteral("Mark translated, then next to be translated")});
    for (const auto& [keys, action] :
         {std::pair{"Ctrl+F", "Filter the texts"},
          std::pair{"Ctrl+Z", "Undo the last change of a text or the tree"}, std::pair{kRedoKeys, "Redo it"}})
        list.append({QKeySequence(QLatin1String(keys)).toString(QKeySequence::NativeText),
                     QString::fromLatin1(action)});
    list.append({QKeySequence(Qt::Key_F1).toString(QKeySequence::NativeText),
                 QStringLiteral("About the editor, and these keys")});
    return list;
}

void MainWindow::createMenus()
{
    // The commands of the buttons are listed with their keys; the buttons keep the keys themselves,
    // so the menus click them (nothing runs that the button would not).
    const auto addButton = [this](QMenu* menu, const char* name, const QString& text) {
        auto* button = control<QAbstractButton>(name);
        const QString keys = button->shortcut().toString(QKeySequence::NativeText);
        menu->addAction(keys.isEmpty() ? text : text + QLatin1Char('\t') + keys, button,
                        &QAbstractButton::click);
    };
    QMenu* file = m_menuBar->addMenu(QStringLiteral("&File"));
    addButton(file, "openButton", QStringLiteral("&Open..."));
    addButton(file, "mergeButton", QStringLiteral("&Merge..."));
    addButton(file, "exportWithFontButton", QStringLiteral("&Export with font..."));
    file->addSeparator();
    file->addAction(QStringLiteral("Export for &translation..."), this,
                    guarded(&MainWindow::exportForTranslation));
    file->addAction(QStringLiteral("Export &untranslated for translation..."), this,
                    guarded(&MainWindow::exportUntranslatedForTranslation));
    file->addAction(QStringLiteral("&Import translations..."), this,
                    guarded(&MainWindow::importTranslations));
    file->addSeparator();
    file->addAction(QStringLiteral("&Close"), QKeySequence::Close, this, &QWidget::close);

    QMenu* edit = m_menuBar->addMenu(QStringLiteral("&Edit"));
    QAction* undoAction =
        edit->addAction(QStringLiteral("&Undo"), QKeySequence::Undo, this, guarded(&MainWindow::undo));
    QAction* redoAction = edit->addAction(QStringLiteral("&Redo"), QKeySequence(QLatin1String(kRedoKeys)),
                                          this, guarded(&MainWindow::redo));
    undoAction->setEnabled(false);
    redoAction->setEnabled(false);
    connect(m_undoStack, &QUndoStack::canUndoChanged, undoAction, &QAction::setEnabled);
    connect(m_undoStack, &QUndoStack::canRedoChanged, redoAction, &QAction::setEnabled);
    connect(m_undoStack, &QUndoStack::undoTextChanged, undoAction,
            [undoAction](const QString& text) { undoAction->setText(QStringLiteral("&Undo %1").arg(text)); });
    connect(m_undoStack, &QUndoStack::redoTextChanged, redoAction,
            [redoAction](const QString& text) { redoAction->setText(QStringLiteral("&Redo %1").arg(text)); });
    edit->addSeparator();
    addButton(edit, "copyDefaultTextButton", QStringLiteral("&Copy the default text"));
    addButton(edit, "insertButton", QStringLiteral("&Insert the special character"));
    addButton(edit, "translatedBox", QStringLiteral("&Translated"));
    edit->addSeparator();
    edit->addAction(QStringLiteral("&Find..."), QKeySequence::Find, this, &MainWindow::findText);
    edit->addAction(QStringLiteral("&Maximum width..."), this, [this] {
        m_maxWidthBox->setFocus();
        m_maxWidthBox->selectAll();
    });

    QMenu* go = m_menuBar->addMenu(QStringLiteral("&Go"));
    addButton(go, "nextButton", QStringLiteral("&Next"));
    addButton(go, "nextToBeTranslatedButton", QStringLiteral("Next to be &translated"));
    go->addAction(QStringLiteral("&Mark translated, then next\t%1")
                      .arg(QKeySequence(QLatin1String(kMarkAndNextKeys)).toString(QKeySequence::NativeText)),
                  this, guarded(&MainWindow::markTranslatedAndGoOn));

    QMenu* font = m_menuBar->addMenu(QStringLiteral("F&ont"));
    addButton(font, "chooseFontButton", QStringLiteral("&Choose Font..."));
    addButton(font, "zoomedBox", QStringLiteral("&Zoomed preview"));

    QMenu* help = m_menuBar->addMenu(QStringLiteral("&Help"));
    help->addAction(QStringLiteral("&About the editor...\t%1").arg(QKeySequence(Qt::Key_F1).toString()), this,
                    guarded(&MainWindow::showAbout));
}

void MainWindow::connectControls()
{
    connect(m_definitionsTree->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                // The view makes the first item current when it gets the focus with none; the
                // item whose text is shown is always the selected one.
                QItemSelectionModel* selection = m_definitionsTree->selectionModel();
                if (current.isValid() && !selection->isSelected(current))
                    selection->select(current, QItemSelectionModel::ClearAndSelect);
                if (m_restoringSelection)
                    return;
                try {
                    showSelectedItem();
                } catch (const std::exception& failure) {
                    reportFailure(failure);
                }
            });
    connect(m_translationBox, &TextBox::userEdited, this, guarded(&MainWindow::onTranslationEdited));
    connect(m_translationBox, &TextBox::focusLost, this, guarded(&MainWindow::commitTranslationBox));
    connect(m_translatedBox, &QCheckBox::clicked, this, guarded(&MainWindow::onTranslatedClicked));
    connect(m_zoomedBox, &QCheckBox::clicked, this, guarded(&MainWindow::onZoomedClicked));
    const std::pair<const char*, void (MainWindow::*)()> buttons[] = {
        {"copyDefaultTextButton", &MainWindow::copyDefaultText},
        {"insertButton", &MainWindow::insertSpecialCharacter},
        {"copyIdentifierButton", &MainWindow::copyIdentifier},
        {"moveUpButton", &MainWindow::moveUp},
        {"moveDownButton", &MainWindow::moveDown},
        {"moveOutButton", &MainWindow::moveOut},
        {"moveIntoNextButton", &MainWindow::moveIntoNext},
        {"nextButton", &MainWindow::selectNext},
        {"nextToBeTranslatedButton", &MainWindow::selectNextToBeTranslated},
        {"openButton", &MainWindow::openFile},
        {"loadButton", &MainWindow::reloadFile},
        {"chooseFontButton", &MainWindow::chooseFont},
        {"mergeButton", &MainWindow::mergeFile},
        {"exportWithFontButton", &MainWindow::exportWithFont},
        {"defaultButton", &MainWindow::onEnterPressed},
    };
    for (const auto& [name, handler] : buttons)
        connect(control<QPushButton>(name), &QPushButton::clicked, this, guarded(handler));
    auto* help = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(help, &QShortcut::activated, this, guarded(&MainWindow::showAbout));
    for (const ButtonShortcut& shortcut : kButtonShortcuts) {
        auto* button = control<QAbstractButton>(shortcut.Name);
        const QKeySequence keys(QLatin1String(shortcut.Keys));
        button->setShortcut(keys);
        button->setToolTip(QStringLiteral("%1 (%2)").arg(QString::fromLatin1(shortcut.Action),
                                                         keys.toString(QKeySequence::NativeText)));
    }
    // Ctrl+Enter from anywhere in the window, the Translation box included.
    for (const QKeySequence& keys :
         {QKeySequence(QLatin1String(kMarkAndNextKeys)), QKeySequence(Qt::CTRL | Qt::Key_Enter)}) {
        auto* markAndNext = new QShortcut(keys, this);
        connect(markAndNext, &QShortcut::activated, this, guarded(&MainWindow::markTranslatedAndGoOn));
    }
    connect(m_filterBox, &QLineEdit::textChanged, this, guarded(&MainWindow::applyFilter));
    connect(m_stateFilterList, &QComboBox::currentIndexChanged, this, guarded(&MainWindow::applyFilter));
    connect(m_maxWidthBox, &QSpinBox::valueChanged, this, [this](int value) {
        try {
            onMaxWidthChanged(value);
        } catch (const std::exception& failure) {
            reportFailure(failure);
        }
    });
}

void MainWindow::updateTitle()
{
    const DefinitionTable& table = m_session.Document.Table;
    if (table.Definitions.empty())
        m_treeLabel->setText(QStringLiteral("System strings"));
    else
        m_treeLabel->setText(QStringLiteral("System strings (Fw. ver. %1)")
                                 .arg(QString::fromStdString(FirmwareVersionText(table.FirmwareVersion))));
    const QString suffix = m_session.Document.FilePath.empty()
                               ? QString()
                               : QStringLiteral(" - ") + PathText(m_session.Document.FilePath);
    setWindowTitle(QStringLiteral("Orvane text definition editor ver. %1.%2%3")
                       .arg(kEditorVersionMajor)
                       .arg(kEditorVersionMinor)
                       .arg(suffix));
}

template <typename Load> bool MainWindow::showLoad(Load load)
{
    // The views forget the tree while it is read. Should the file not open, the unchanged tree is
    // shown again as it was, so the expanded blocks are noted first.
    const BlockItem* selected = selectedItem();
    std::vector<const BlockItem*> expanded;
    for (const BlockItem* item = m_session.Document.Tree.FirstTopLevel(); item;
         item = item->NextInDisplayOrder()) {
        if (item->ChildCount() > 0 && m_definitionsTree->isExpanded(viewIndexOf(item)))
            expanded.push_back(item);
    }
    const Outcome<LoadOutcome> outcome = load();
    if (!outcome) {
        // The file could not be opened and nothing was read: the document is as it was, and so
        // is what the window shows.
        for (const BlockItem* item : expanded)
            m_definitionsTree->expand(viewIndexOf(item));
        restoreSelection(selected);
        showError(outcome.Value.error());
        return false;
    }
    showNoDefinition();
    // Steps of another table, or of this one before it was read again, cannot be undone here.
    m_undoStack->clear();
    loadMaxWidth();
    applyFilter();
    if (outcome.Value->Status == ReadResult::ReadOk)
        m_treeLabel->setText(
            QString::fromStdString(ReaderLabelText(m_session.Document.Table.FirmwareVersion)));
    showNotices(outcome.Notices);
    updateTitle();
    return true;
}

bool MainWindow::loadDefinitionFile()
{
    return showLoad([this] { return m_session.Reload(); });
}

bool MainWindow::openDefinitionFile(const std::filesystem::path& path)
{
    return showLoad([this, &path] { return m_session.Open(path); });
}

bool MainWindow::saveDefinitionFile()
{
    const auto saved = m_session.Save();
    if (!saved) {
        showError(saved.Value.error());
        return false;
    }
    return true;
}

void MainWindow::clearDefinitions()
{
    m_session.Clear();
    m_undoStack->clear();
    showNoDefinition();
    applyFilter();
}

BlockItem* MainWindow::selectedItem() const
{
    return m_filterModel->ItemAt(m_definitionsTree->selectionModel()->currentIndex());
}

QModelIndex MainWindow::viewIndexOf(const BlockItem* item) const
{
    return m_filterModel->IndexOf(item);
}

void MainWindow::selectItem(const BlockItem* item)
{
    const QModelIndex index = viewIndexOf(item);
    m_definitionsTree->setCurrentIndex(index);
    m_definitionsTree->scrollTo(index);
}

void MainWindow::restoreSelection(const BlockItem* item)
{
    if (!item)
        return;
    m_restoringSelection = true;
    selectItem(item);
    m_restoringSelection = false;
}

bool MainWindow::findNextText(bool onlyUntranslated)
{
    BlockItem* found = m_session.NextText(selectedItem(), onlyUntranslated);
    m_definitionsTree->setFocus();
    if (!found)
        return false;
    selectItem(found);
    return true;
}

void MainWindow::showNoDefinition()
{
    m_session.ShowItem(nullptr);
    m_defaultTextBox->setEnabled(false);
    m_identifierBox->setEnabled(false);
    m_copyIdentifierButton->setEnabled(false);
    m_indexBox->setEnabled(false);
    m_defaultTextBox->setStoredText({});
    m_identifierBox->clear();
    m_translationBox->setStoredText({});
    m_translatedBox->setChecked(false);
    m_descriptionBox->setStoredText({});
    updateDeviceCheck();
    m_indexBox->setText(QStringLiteral("-"));
}

void MainWindow::showSelectedItem()
{
    const BlockItem* item = selectedItem();
    if (!item)
        return;
    m_definitionsTree->setFocus();
    if (item->IsBlock()) {
        // The preview keeps showing the last text.
        showNoDefinition();
        return;
    }
    m_identifierBox->setEnabled(true);
    m_copyIdentifierButton->setEnabled(true);
    m_indexBox->setEnabled(true);
    // Showing a blank translation clears its mark in the table: it is never in use.
    const StringDefinition& definition = *m_session.ShowItem(item);
    m_shownItem = item;
    m_shownState = {definition.Translation, definition.Translated};
    m_definitionsTree->viewport()->update();
    m_defaultTextBox->setStoredText(definition.DefaultText);
    m_identifierBox->setText(ToQString(definition.Identifier));
    m_translationBox->setStoredText(definition.Translation);
    m_translatedBox->setChecked(definition.Translated != 0);
    m_descriptionBox->setStoredText(definition.Description);
    m_indexBox->setText(QString::fromStdString(IndexText(definition)));
    updatePreview();
    // The text shown before stays in a filtered tree only while it is shown.
    if (!m_filterModel->Result().ShowsEverything())
        applyFilter();
}

void MainWindow::onTranslationEdited()
{
    if (!m_session.Current())
        return;
    m_session.Current()->Translation = m_translationBox->storedText();
    // The box follows the blank rule at once; the table takes the mark on a click or a commit.
    m_translatedBox->setChecked(!IsBlank(m_session.Current()->Translation));
    // A character typed since the font was rendered gets its glyph, so that the preview and the
    // width under it are right. Should that fail, the font stays as it was.
    const std::u16string& typed = m_session.Current()->Translation;
    if (m_session.Font.IsChosen() && m_session.NeedsRenderingFor(typed)) {
        RenderedFont before = m_session.DeviceFont;
        if (!m_session.RenderFont(OpenChosenFont(m_session.Font), typed))
            m_session.DeviceFont = std::move(before);
    }
    updatePreview();
}

void MainWindow::commitTranslationBox()
{
    if (!m_session.Current())
        return;
    m_session.Current()->Translation = m_translationBox->storedText();
    m_session.Current()->Translated = m_translatedBox->isChecked() ? 1 : 0;
    recordTranslationStep();
}

void MainWindow::recordTranslationStep()
{
    StringDefinition* current = m_session.Current();
    if (!current || !m_shownItem || m_applyingStep)
        return;
    TranslationState now{current->Translation, current->Translated};
    if (now == m_shownState)
        return;
    m_undoStack->push(new TranslationStep(*this, *m_shownItem, m_shownState, now));
    m_shownState = std::move(now);
    showTableChanged();
}

void MainWindow::showTableChanged()
{
    // The counts and states in the tree are read from the table as they are drawn.
    m_definitionsTree->viewport()->update();
    if (!m_filterModel->Result().ShowsEverything())
        applyFilter();
    else
        updateStatus();
}

void MainWindow::commitIdentifierBox()
{
    if (!m_session.Current())
        return;
    m_session.Current()->Identifier = ToU16(m_identifierBox->text());
}

void MainWindow::onTranslatedClicked()
{
    if (!m_session.Current())
        return;
    m_session.Current()->Translated = m_translatedBox->isChecked() ? 1 : 0;
    recordTranslationStep();
    updatePreview();
}

void MainWindow::copyDefaultText()
{
    if (!m_session.Current())
        return;
    m_translationBox->setStoredText(m_defaultTextBox->storedText());
    // The definition takes the copy at once, as one step to undo; the mark stays as the box shows it.
    commitTranslationBox();
    updatePreview();
}

void MainWindow::insertSpecialCharacter()
{
    const QString label =
        m_specialCharacterList->currentIndex() >= 0 ? m_specialCharacterList->currentText() : QString();
    const QString text =
        label == QLatin1String(kCheckLabel) ? QString(QChar(kCheckCharacter)) : label.left(1);
    m_translationBox->setFocus();
    // Replaces the selection as typing would, so it counts as an edit; the definition takes it at
    // once, as one step to undo.
    m_translationBox->insertPlainText(text);
    commitTranslationBox();
}

void MainWindow::copyIdentifier()
{
    if (!m_session.Current())
        return;
    const QString text = QString::fromLatin1(kIdentifierPrefix) + ToQString(m_session.Current()->Identifier);
    const Result<void> copied = m_services.SetClipboardText(text);
    if (!copied)
        tell({QString::fromStdString(copied.error().Message), QString::fromLatin1(kProgramName)});
}

void MainWindow::selectNext()
{
    findNextText(/*onlyUntranslated=*/false);
}

void MainWindow::markTranslatedAndGoOn()
{
    if (m_session.Current()) {
        // The box's text and the mark, as one step.
        m_translatedBox->setChecked(true);
        commitTranslationBox();
        updatePreview();
    }
    selectNextToBeTranslated();
}

void MainWindow::selectNextToBeTranslated()
{
    if (!findNextText(/*onlyUntranslated=*/true))
        tell({QStringLiteral("No more non-translated strings have been found."),
              QStringLiteral("Search result"), MessageIcon::Information});
}

std::optional<QString> MainWindow::chooseDefinitionFile()
{
    return m_services.ChooseFileToOpen(this, FileDialogRequest{QString::fromLatin1(kFileFilter),
                                                               QString::fromLatin1(kFileSuffix), QString()});
}

bool MainWindow::offerToSaveChanges()
{
    // Compared as closing would save it: the box being edited commits first.
    if (m_translationBox->hasFocus())
        commitTranslationBox();
    if (!m_session.HasUnsavedChanges())
        return true;
    const MessageAnswer answer =
        tell({QStringLiteral("Save the changes to %1 before opening another file?")
                  .arg(PathText(m_session.Document.FilePath)),
              QString::fromLatin1(kProgramName), MessageIcon::Question, MessageButtons::YesNoCancel});
    switch (answer) {
    case MessageAnswer::Yes:
        return saveDefinitionFile();
    case MessageAnswer::No:
        return true;
    case MessageAnswer::Ok:
    case MessageAnswer::Cancel:
        break;
    }
    return false;
}

void MainWindow::openFile()
{
    if (const auto chosen = chooseDefinitionFile())
        openPath(*chosen);
}

void MainWindow::openPath(const QString& path)
{
    try {
        if (!offerToSaveChanges())
            return;
        // A file that cannot be opened ends the command as a cancelled dialog would: the file shown
        // so far stays loaded, and closing still saves it.
        if (!openDefinitionFile(ToPath(path)))
            return;
        // A file not read completely has been reported; what was read of it goes.
        if (!m_session.Document.Loaded)
            clearDefinitions();
    } catch (const std::exception& failure) {
        reportFailure(failure);
    }
}

void MainWindow::reloadFile()
{
    loadDefinitionFile();
}

void MainWindow::updatePreview()
{
    PreviewCanvas& canvas = m_preview->canvas();
    StringDefinition* current = m_session.Current();
    if (!current) {
        // Nothing to show: black at once rather than at the next repaint.
        canvas.Clear();
        m_preview->update();
        return;
    }
    // What the preview shows is what is stored: the translation in use without its outer blanks.
    TrimTranslationInUse(*current);
    LayoutPreviewText(canvas, m_session.DeviceFont, EffectiveText(*current), m_previewZoom,
                      m_preview->width(), m_preview->height());
    m_preview->update();
    updateDeviceCheck();
}

namespace {

// A list of characters for the device check: each as itself, at most eight, then how many more.
QString CharacterList(const std::vector<char16_t>& units)
{
    constexpr std::size_t kListed = 8;
    QStringList shown;
    for (std::size_t i = 0; i < units.size() && i < kListed; ++i) {
        const char16_t unit = units[i];
        const bool visible =
            unit > 0x20 && !(unit >= 0x7F && unit < 0xA0) && !IsHighSurrogate(unit) && !IsLowSurrogate(unit);
        const QString code =
            QStringLiteral("U+%1").arg(QString::number(unit, 16).toUpper(), 4, QLatin1Char('0'));
        // The label's own font may lack the character too; the code names it all the same.
        shown << (visible ? QStringLiteral("%1 %2").arg(QChar(unit), code) : code);
    }
    if (units.size() > kListed)
        shown << QStringLiteral("%1 more").arg(units.size() - kListed);
    return shown.join(QStringLiteral(", "));
}

// Sets a style sheet only when it changes: each one set restyles the widget, at every keystroke.
void SetStyleSheet(QWidget* widget, const QString& sheet)
{
    if (widget->styleSheet() != sheet)
        widget->setStyleSheet(sheet);
}

} // namespace

void MainWindow::updateDeviceCheck()
{
    const std::optional<DeviceFit> fit = m_session.FitOfCurrent(m_translatedBox->isChecked());
    if (!fit) {
        m_widthLabel->setText(m_session.Current() ? QStringLiteral("no font chosen") : QString());
        SetStyleSheet(m_widthLabel, QString());
        m_deviceCheckLabel->clear();
        return;
    }
    const bool tooWide = fit->TooWide(m_session.MaxWidth);
    m_widthLabel->setText(m_session.MaxWidth
                              ? QStringLiteral("%1 / %2 px").arg(fit->Width).arg(*m_session.MaxWidth)
                              : QStringLiteral("%1 px").arg(fit->Width));
    SetStyleSheet(m_widthLabel, tooWide ? QStringLiteral("color: #D03030; font-weight: bold") : QString());
    QStringList problems;
    if (!fit->Missing.empty())
        problems << QStringLiteral("No glyph: %1").arg(CharacterList(fit->Missing));
    for (const SpecialCodeCount& count : fit->SpecialCodes)
        problems << QStringLiteral("%1 code: %2 here, %3 in the default")
                        .arg(QString::fromLatin1(SpecialCodeName(count.Code)))
                        .arg(count.InTranslation)
                        .arg(count.InDefault);
    m_deviceCheckLabel->setText(problems.join(QLatin1Char('\n')));
    SetStyleSheet(m_deviceCheckLabel, problems.isEmpty() ? QString() : QStringLiteral("color: #D03030"));
    m_deviceCheckLabel->setToolTip(problems.join(QLatin1Char('\n')));
}

void MainWindow::onZoomedClicked()
{
    m_previewZoom = m_zoomedBox->isChecked() ? kZoomedZoom : kNormalZoom;
    updatePreview();
}

void MainWindow::onEnterPressed()
{
    // Enter never closes the window. Moving the focus to the tree commits the box that had it;
    // the hidden identifier box, which Enter passes through on the way, writes its text back.
    m_definitionsTree->setFocus();
    commitIdentifierBox();
}

void MainWindow::showAbout()
{
    AboutDialog about(windowIcon(), QStringLiteral("%1.%2").arg(kEditorVersionMajor).arg(kEditorVersionMinor),
                      shortcuts(), this);
    about.exec();
}

void MainWindow::chooseFont()
{
    renderFont(/*askForFont=*/true);
}

bool MainWindow::renderFont(bool askForFont)
{
    ChosenFont& chosenFont = m_session.Font;
    if (!m_session.Document.Loaded || (!askForFont && !chosenFont.IsChosen()))
        return false;
    // A picker cancelled below leaves no font chosen, so that the export refuses to run.
    if (askForFont)
        chosenFont.FaceName.clear();
    // Before the picker: the translations in use are stored trimmed, also when it is cancelled.
    m_session.TrimTranslationsInUse();

    if (askForFont) {
        const std::optional<QFont> picked = m_services.ChooseFont(this);
        if (!picked)
            return false;
        // The size chosen in the picker plays no part: rendering always uses the device's cell.
        auto chosen =
            MakeChosenFont(PickedFamily(*picked), picked->weight(), picked->italic(), picked->stretch());
        if (!chosen) {
            tell(ErrorMessage(QString::fromStdString(chosen.error().Message)));
            return false;
        }
        chosenFont = std::move(*chosen);
    }

    const auto rendered = m_session.RenderFont(OpenChosenFont(chosenFont));
    if (!rendered) {
        const Error& error = rendered.Value.error();
        tell(ErrorMessage(QString::fromStdString(error.Message)));
        // Too many characters for any face: the window closes, saving the file as every way of
        // closing does.
        if (error.Code == ErrorCode::OutOfRange)
            reject();
        return false;
    }
    updatePreview();
    showTableChanged(); // the texts' states now include the font's checks
    // From now on translations are typed in the chosen face, at the size of the other boxes.
    chosenFont.Height = QFontInfo(m_defaultTextBox->font()).pixelSize();
    m_translationBox->setFont(ShownFont(chosenFont));
    return true;
}

void MainWindow::moveUp()
{
    moveSelectedItem(MoveKind::Up);
}

void MainWindow::moveDown()
{
    moveSelectedItem(MoveKind::Down);
}

void MainWindow::moveOut()
{
    moveSelectedItem(MoveKind::Out);
}

void MainWindow::moveIntoNext()
{
    moveSelectedItem(MoveKind::IntoNext);
}

void MainWindow::moveSelectedItem(MoveKind kind)
{
    BlockItem* selected = selectedItem();
    if (!selected || !FindMoveTarget(m_session.Document.Tree, *selected, kind))
        return;
    // The selection leaves the item before it goes, quietly: were the view to pass it on to a
    // neighbour, showing that neighbour could add a definition for it or unmark it.
    m_restoringSelection = true;
    m_definitionsTree->selectionModel()->clear();
    m_restoringSelection = false;
    const TreePlace from{selected->Parent(), selected->Row()};
    const auto moved = m_session.Move(*selected, kind);
    if (!moved) {
        // The tree is as it was; so is the selection, which the failure is reported beside.
        restoreSelection(selected);
        showError(moved.Value.error());
        return;
    }
    m_undoStack->push(new MoveStep(*this, *selected, kind, from));
    // The moved item comes back selected, which shows its definition, and folded up, down to its
    // last descendant.
    std::vector<const BlockItem*> folding{selected};
    while (!folding.empty()) {
        const BlockItem* item = folding.back();
        folding.pop_back();
        m_definitionsTree->collapse(viewIndexOf(item));
        for (std::size_t row = 0; row < item->ChildCount(); ++row)
            folding.push_back(item->Child(row));
    }
    selectItem(selected);
}

void MainWindow::mergeFile()
{
    if (!m_session.Document.Loaded)
        return;
    const auto chosen = chooseDefinitionFile();
    if (!chosen)
        return;
    const MergeOutcome merged = m_session.Merge(ToPath(*chosen));
    if (!merged) {
        showError(merged.Value.error());
        return;
    }
    showNotices(merged.Notices);
    if (*merged.Value) {
        m_undoStack->push(new MergeStep(*this, std::move(m_session.ReplacedByMerge)));
        ShowReplacedContent();
    }
    updateTitle();
}

void MainWindow::exportForTranslation()
{
    exportTexts(TranslationExportOptions{});
}

void MainWindow::exportUntranslatedForTranslation()
{
    exportTexts(TranslationExportOptions{/*UntranslatedOnly=*/true, {}});
}

std::optional<std::pair<std::filesystem::path, ExchangeFormat>> MainWindow::chooseTranslationFile(bool toSave)
{
    if (!m_session.Document.Loaded)
        return std::nullopt;
    if (m_translationBox->hasFocus())
        commitTranslationBox();
    const FileDialogRequest request{QString::fromLatin1(kTranslationFilter),
                                    QString::fromLatin1(kTranslationSuffix), QString()};
    const std::optional<QString> chosen =
        toSave ? m_services.ChooseFileToSave(this, request) : m_services.ChooseFileToOpen(this, request);
    if (!chosen)
        return std::nullopt;
    const std::optional<ExchangeFormat> format = FormatOfName(ToPath(*chosen));
    if (!format) {
        tell(ErrorMessage(
            QStringLiteral("%1: the name must end in .po for a PO file, or in .xlf or .xliff for "
                           "an XLIFF file")
                .arg(*chosen)));
        return std::nullopt;
    }
    return std::pair(ToPath(*chosen), *format);
}

void MainWindow::exportTexts(const TranslationExportOptions& options)
{
    const auto chosen = chooseTranslationFile(/*toSave=*/true);
    if (!chosen)
        return;
    const auto written = ExportForTranslation(m_session, chosen->first, chosen->second, options);
    if (!written) {
        showError(written.error());
        return;
    }
    tell({QStringLiteral("%1 texts written to %2").arg(*written).arg(PathText(chosen->first)),
          QStringLiteral("Export for translation"), MessageIcon::Information});
}

void MainWindow::importTranslations()
{
    const auto chosen = chooseTranslationFile(/*toSave=*/false);
    if (!chosen)
        return;
    auto summary = ImportTranslations(m_session, chosen->first, chosen->second, /*apply=*/true);
    if (!summary) {
        showError(summary.error());
        return;
    }
    const QString line = QString::fromStdString(SummaryLine(*summary));
    if (!summary->Applied.empty()) {
        m_undoStack->push(new ImportStep(*this, std::move(summary->Applied)));
        ShowChangedTranslations();
    }
    QStringList skipped;
    for (const SkippedUnit& unit : summary->Skipped)
        skipped << QStringLiteral("%1: text %2, %3")
                       .arg(QString::fromStdString(unit.Place))
                       .arg(unit.Index)
                       .arg(QString::fromLatin1(SkipReasonText(unit.Reason)));
    tell({line, QStringLiteral("Import translations"),
          skipped.isEmpty() ? MessageIcon::Information : MessageIcon::Warning, MessageButtons::Ok,
          skipped.join(QLatin1Char('\n'))});
}

void MainWindow::ShowChangedTranslations()
{
    // The boxes show the table as it now is; a blank translation shown is unmarked as always.
    if (m_session.Current())
        showSelectedItem();
    showTableChanged();
}

void MainWindow::undo()
{
    // What is typed becomes a step of its own first; the box must not commit again once the step
    // has changed the table under it.
    if (m_translationBox->hasFocus())
        commitTranslationBox();
    m_definitionsTree->setFocus();
    m_applyingStep = true;
    m_undoStack->undo();
    m_applyingStep = false;
}

void MainWindow::redo()
{
    if (m_translationBox->hasFocus())
        commitTranslationBox();
    m_definitionsTree->setFocus();
    m_applyingStep = true;
    m_undoStack->redo();
    m_applyingStep = false;
}

void MainWindow::ShowChangedItem(const BlockItem& item)
{
    // The changed text is shown even where the filter would leave it out.
    m_shownItem = &item;
    applyFilter();
    if (selectedItem() == &item)
        showSelectedItem();
    else
        selectItem(&item);
    m_definitionsTree->viewport()->update();
}

void MainWindow::ShowReplacedContent()
{
    showNoDefinition();
    m_shownItem = nullptr;
    applyFilter();
    updateTitle();
}

void MainWindow::applyFilter()
{
    const TextFilter filter{ToU16(m_filterBox->text()),
                            static_cast<StateFilter>(std::max(0, m_stateFilterList->currentIndex()))};
    const bool wasFiltered = !m_filterModel->Result().ShowsEverything();
    const BlockItem* keep = m_session.Current() ? m_shownItem : selectedItem();
    if (m_filterModel->SetResult(FilterTree(m_session, filter, keep))) {
        // A few texts found are opened in their blocks; with many, the blocks stay as they are
        // and show their own counts.
        if (!filter.IsEmpty() && m_filterModel->Result().MatchingTexts() <= kTextsOpenedByFilter)
            m_definitionsTree->expandAll();
        else if (filter.IsEmpty() && wasFiltered)
            m_definitionsTree->collapseAll();
        if (const BlockItem* selected = selectedItem())
            m_definitionsTree->scrollTo(viewIndexOf(selected));
    }
    updateStatus();
}

void MainWindow::findText()
{
    m_filterBox->setFocus(Qt::ShortcutFocusReason);
    m_filterBox->selectAll();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    // Escape in a filter line with text clears it; only an empty one lets Escape close the window.
    if (watched == m_filterBox && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape && !m_filterBox->text().isEmpty()) {
        m_filterBox->clear();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void MainWindow::loadMaxWidth()
{
    const std::optional<int> stored = m_session.Document.FilePath.empty()
                                          ? std::nullopt
                                          : m_services.StoredMaxWidth(PathText(m_session.Document.FilePath));
    m_session.MaxWidth = stored;
    const QSignalBlocker quiet(m_maxWidthBox);
    m_maxWidthBox->setValue(stored.value_or(0));
}

void MainWindow::onMaxWidthChanged(int value)
{
    m_session.MaxWidth = value > 0 ? std::optional<int>(value) : std::nullopt;
    if (!m_session.Document.FilePath.empty())
        m_services.StoreMaxWidth(PathText(m_session.Document.FilePath), m_session.MaxWidth);
    updateDeviceCheck();
    showTableChanged(); // the widths decide which texts have a problem
}

void MainWindow::updateStatus()
{
    TextProgress progress;
    for (const BlockItem* item = m_session.Document.Tree.FirstTopLevel(); item; item = item->NextSibling()) {
        const TextProgress below = item->IsBlock() ? m_session.ProgressBelow(*item)
                                                   : TextProgress{m_session.IsTranslated(*item) ? 1u : 0u, 1};
        progress.Translated += below.Translated;
        progress.Total += below.Total;
    }
    const QLocale locale;
    QString text = QStringLiteral("%1 of %2 texts translated")
                       .arg(locale.toString(static_cast<qulonglong>(progress.Translated)),
                            locale.toString(static_cast<qulonglong>(progress.Total)));
    const TreeFilterResult& shown = m_filterModel->Result();
    if (!shown.ShowsEverything())
        text += QStringLiteral(" \u2014 the filter finds %1")
                    .arg(locale.toString(static_cast<qulonglong>(shown.MatchingTexts())));
    if (m_session.MaxWidth)
        text += QStringLiteral(" \u2014 at most %1 pixels wide").arg(*m_session.MaxWidth);
    m_statusBar->showMessage(text);
}

void MainWindow::generateSources()
{
    if (!m_session.Document.Loaded)
        return;
    // The texts are generated as they are saved; the box being edited commits first, as on closing.
    if (m_translationBox->hasFocus())
        commitTranslationBox();
    // A file with saving disabled is not saved, which is no failure: it is generated all the same.
    if (!saveDefinitionFile())
        return;
    const auto generated = m_session.GenerateSources(kOutputDirectory);
    if (!generated) {
        showError(generated.Value.error());
        return;
    }
    // The script's exit status tells nothing the user could act on; its own output is what they see.
    if (*generated.Value)
        m_services.RunCommand(QString::fromStdString(MakeTextsCommand(kOutputDirectory)));
    showNotices(generated.Notices);
}

void MainWindow::exportWithFont()
{
    if (!m_session.Document.Loaded)
        return;
    // Refused before the rendering and the dialog: no font chosen, or too few translated texts.
    const auto allowed = m_session.CheckExport();
    showNotices(allowed.Notices);
    if (!*allowed.Value)
        return;
    // A failure to render has been shown.
    if (!renderFont(/*askForFont=*/false))
        return;
    const std::optional<QString> chosen =
        m_services.ChooseFileToSave(this, FileDialogRequest{QString::fromLatin1(kExportFilter),
                                                            QString::fromLatin1(kExportSuffix), QString()});
    if (!chosen)
        return;
    const auto exported = m_session.Export(ToPath(*chosen));
    if (!exported) {
        showNotices({ExportFailureNotice(exported.Value.error())});
        return;
    }
    showNotices(exported.Notices);
}

void MainWindow::done(int result)
{
    // Every way of closing ends here: Escape, the close box, Alt+F4. The box being edited commits
    // first, so that the mark the user sees is the one saved.
    if (m_translationBox->hasFocus())
        commitTranslationBox();
    if (m_session.Document.Loaded && !saveDefinitionFile()) {
        const MessageAnswer answer =
            tell({QStringLiteral("The changes could not be saved. Close the editor anyway and lose them?"),
                  QString::fromLatin1(kProgramName), MessageIcon::Question, MessageButtons::YesNo});
        if (answer != MessageAnswer::Yes)
            return;
    }
    QDialog::done(result);
}

void MainWindow::keyPressEvent(QKeyEvent* event)
{
    // Enter reaches the window only where the focused control does not use it itself.
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        event->accept();
        onEnterPressed();
        return;
    }
    QDialog::keyPressEvent(event);
}

void MainWindow::contextMenuEvent(QContextMenuEvent* event)
{
    // The About box is one right-click away on the window's background as well as on F1.
    QMenu menu(this);
    menu.addAction(QStringLiteral("&About the editor..."), this, guarded(&MainWindow::showAbout));
    menu.exec(event->globalPos());
}

MessageAnswer MainWindow::tell(const Message& message)
{
    return m_services.ShowMessage(this, message);
}

void MainWindow::showError(const Error& error)
{
    tell({QString::fromStdString(error.Message), QString::fromLatin1(kProgramName), MessageIcon::Error});
}

void MainWindow::showNotices(const std::vector<Notice>& notices)
{
    for (const Notice& notice : notices)
        tell(ToMessage(notice));
}

void MainWindow::reportFailure(const std::exception& failure)
{
    // One error box for any command that threw, and the window stays: the operations keep the
    // document whole when memory runs out, so the work can go on.
    const QString text = dynamic_cast<const std::bad_alloc*>(&failure)
                             ? QStringLiteral("Out of memory: the command was not completed.")
                             : QString::fromLocal8Bit(failure.what());
    try {
        tell({text, QString::fromLatin1(kProgramName), MessageIcon::Error});
    } catch (const std::exception&) {
        // Not even the message could be shown; the command has ended all the same.
    }
}

} // namespace orv
