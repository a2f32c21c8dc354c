#pragma once

// The platform services of the real desktop: Qt's file dialogs, font dialog, message boxes and
// clipboard, and /bin/sh for command lines.

#include "editor/PlatformServices.h"

namespace orv {

class QtPlatformServices final : public PlatformServices
{
public:
    std::optional<QString> ChooseFileToOpen(QWidget* owner, const FileDialogRequest& request) override;
    std::optional<QString> ChooseFileToSave(QWidget* owner, const FileDialogRequest& request) override;
    std::optional<QFont> ChooseFont(QWidget* owner) override;
    MessageAnswer ShowMessage(QWidget* owner, const Message& message) override;
    Result<void> SetClipboardText(const QString& text) override;
    int RunCommand(const QString& commandLine) override;
    // In the user's settings of the editor, under the file's canonical path.
    std::optional<int> StoredMaxWidth(const QString& path) override;
    void StoreMaxWidth(const QString& path, std::optional<int> maxWidth) override;
};

} // namespace orv
