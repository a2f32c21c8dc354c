#pragma once

// The controls of the main window, one row each in the order of its tab order: the numeric id of
// the control (0 for static text and frames), the object name it is found by, its kind, its caption,
// and its place in dialog units. MainWindow creates the window from this table.
//
// The places are those of the window at its smallest. Above them run the menu bar and the filter
// band (kFilterBand high, where the filter line's places lie at negative Y), below them the status
// line; the bottom row of buttons sits kCheckBand lower than its Y, making room for the device
// check under the preview. When the window grows, a control's flags say whether it moves with the
// right or bottom edge, or stretches to them.

namespace orv {

enum class ControlKind
{
    Label,
    Group,
    Tree,
    LineEdit,
    TextBox,
    Button,
    CheckBox,
    ComboBox,
    Preview,
    SpinBox,
};

enum ControlFlag : unsigned
{
    kShown = 0,
    kStartsDisabled = 1u << 0, // shown, but disabled until a definition is selected (if ever)
    kNeverShown = 1u << 1,     // hidden and disabled; its operation belongs to the window all the same
    kCentred = 1u << 2,        // a check box whose box and caption are centred together in the place
    kMovesRight = 1u << 3,     // keeps its distance from the right edge
    kMovesDown = 1u << 4,      // keeps its distance from the bottom edge
    kWidens = 1u << 5,         // keeps its right side's distance from the right edge
    kDeepens = 1u << 6,        // keeps its bottom's distance from the bottom edge
};

inline constexpr int kFilterBand = 16;
inline constexpr int kCheckBand = 26;

struct ControlEntry
{
    int Id;
    const char* Name;
    ControlKind Kind;
    const char* Caption; // UTF-8; nullptr for none
    int X, Y, Width, Height;
    unsigned Flags = kShown;
};

inline constexpr const char* kIdentifierPrefix = "S_";

inline constexpr ControlEntry kControls[] = {
    {1036, "treeLabel", ControlKind::Label, "System strings", 7, 7, 101, 8},
    {1000, "definitionsTree", ControlKind::Tree, nullptr, 7, 18, 144, 207, kWidens | kDeepens},
    {0, "definitionGroup", ControlKind::Group, "Definition", 155, 7, 302, 104, kMovesRight},
    {0, "indexLabel", ControlKind::Label, "Index", 162, 19, 19, 11, kMovesRight},
    {1007, "indexBox", ControlKind::LineEdit, nullptr, 184, 17, 34, 12, kStartsDisabled | kMovesRight},
    {0, "defaultTextLabel", ControlKind::Label, "Default text", 164, 37, 116, 9, kMovesRight},
    {1009, "defaultTextBox", ControlKind::TextBox, nullptr, 164, 47, 116, 59, kStartsDisabled | kMovesRight},
    {1025, "copyDefaultTextButton", ControlKind::Button, "copy \u2192", 286, 44, 39, 11, kMovesRight},
    {1024, "translatedBox", ControlKind::CheckBox, "Translated", 358, 37, 57, 8, kCentred | kMovesRight},
    {1014, "translationBox", ControlKind::TextBox, nullptr, 332, 47, 116, 59, kMovesRight},
    {0, "specialCharacterLabel", ControlKind::Label, "Special character", 286, 62, 40, 16, kMovesRight},
    {1015, "specialCharacterList", ControlKind::ComboBox, nullptr, 284, 79, 44, 12, kMovesRight},
    {1016, "insertButton", ControlKind::Button, "Insert", 289, 93, 34, 13, kMovesRight},
    {0, "descriptionGroup", ControlKind::Group, "Description", 155, 115, 184, 95, kMovesRight},
    {1013, "descriptionBox", ControlKind::TextBox, nullptr, 162, 128, 172, 75, kStartsDisabled | kMovesRight},
    {1032, "chooseFontButton", ControlKind::Button, "Choose Font", 373, 119, 57, 13, kMovesRight},
    {1034, "previewWidget", ControlKind::Preview, nullptr, 344, 135, 113, 65, kMovesRight},
    {1039, "zoomedBox", ControlKind::CheckBox, "zoomed", 382, 202, 39, 10, kMovesRight},
    {1030, "nextButton", ControlKind::Button, "Next", 9, 228, 43, 14, kMovesDown},
    {1026, "nextToBeTranslatedButton", ControlKind::Button, "Next to be translated", 71, 228, 77, 14,
     kMovesDown},
    {1023, "openButton", ControlKind::Button, "Open", 178, 222, 39, 15, kMovesRight | kMovesDown},
    {1027, "mergeButton", ControlKind::Button, "Merge", 236, 222, 45, 15, kMovesRight | kMovesDown},
    {1029, "exportWithFontButton", ControlKind::Button, "Export with font", 368, 222, 65, 15,
     kMovesRight | kMovesDown},
    {1008, "identifierBox", ControlKind::LineEdit, nullptr, 0, 0, 0, 0, kNeverShown},
    {1021, "identifierPrefixLabel", ControlKind::Label, kIdentifierPrefix, 0, 0, 0, 0, kNeverShown},
    {1010, "copyIdentifierButton", ControlKind::Button, "Copy", 0, 0, 0, 0, kNeverShown},
    {1017, "moveUpButton", ControlKind::Button, "^", 0, 0, 0, 0, kNeverShown},
    {1018, "moveDownButton", ControlKind::Button, "v", 0, 0, 0, 0, kNeverShown},
    {1019, "moveOutButton", ControlKind::Button, "^-", 0, 0, 0, 0, kNeverShown},
    {1020, "moveIntoNextButton", ControlKind::Button, "-v", 0, 0, 0, 0, kNeverShown},
    {1012, "loadButton", ControlKind::Button, "Load", 0, 0, 0, 0, kNeverShown},
    {1011, "generateSourcesButton", ControlKind::Button, "Generate for src.", 0, 0, 0, 0, kNeverShown},
    // The window's default button: hidden, yet enabled, so that Qt makes no visible button the
    // default when the window is shown.
    {1006, "defaultButton", ControlKind::Button, nullptr, 0, 0, 0, 0},
    {1028, "scratchTree", ControlKind::Tree, nullptr, 0, 0, 0, 0, kNeverShown},
    // The filter band above the tree, and the device check under the preview.
    {0, "filterBox", ControlKind::LineEdit, nullptr, 7, -14, 82, 12, kWidens},
    {0, "stateFilterList", ControlKind::ComboBox, nullptr, 91, -14, 60, 12, kMovesRight},
    {0, "widthLabel", ControlKind::Label, nullptr, 344, 213, 66, 12, kMovesRight},
    {0, "maxWidthBox", ControlKind::SpinBox, nullptr, 411, 213, 46, 12, kMovesRight},
    {0, "deviceCheckLabel", ControlKind::Label, nullptr, 344, 226, 113, 20, kMovesRight},
};

} // namespace orv
