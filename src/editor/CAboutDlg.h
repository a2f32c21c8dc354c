#pragma once

// The About box: the icon, the program's name and version, and the notice on the use of its texts.

#include <QDialog>

#include "editor/DialogUnits.h"

class QLabel;
class QPushButton;

namespace orv {

class CTextBox;

class CAboutDlg final : public QDialog
{
    Q_OBJECT

public:
    explicit CAboutDlg(const QIcon& icon, QWidget* parent = nullptr);

    QLabel* VersionLabel = nullptr;
    CTextBox* Notice = nullptr;
    QPushButton* OkButton = nullptr;

private:
    DialogUnits Units;
};

} // namespace orv
