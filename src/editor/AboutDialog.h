#pragma once

// The About box: the icon, the program's name and version, the notice on the use of its texts, and
// the keys of the window.

#include <QDialog>
#include <QList>
#include <QPair>

class QIcon;
class QString;

namespace orv {

class AboutDialog final : public QDialog
{
    Q_OBJECT

public:
    // `version` is the program's version as the box shows it after "Version", e.g. "1.3";
    // `shortcuts` the keys and what each does, listed below the notice.
    AboutDialog(const QIcon& icon, const QString& version,
                const QList<QPair<QString, QString>>& shortcuts = {}, QWidget* parent = nullptr);
};

} // namespace orv
