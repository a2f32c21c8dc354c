#pragma once

// The About box: the icon, the program's name and version, and the notice on the use of its texts.

#include <QDialog>

class QIcon;
class QString;

namespace orv {

class AboutDialog final : public QDialog
{
    Q_OBJECT

public:
    // `version` is the program's version as the box shows it after "Version", e.g. "1.3".
    AboutDialog(const QIcon& icon, const QString& version, QWidget* parent = nullptr);
};

} // namespace orv
