// The user's side of the commands in the real window: message boxes, the window's open and save
// dialogs, and the object, attribute, column-choice, find and replace dialogs.
#pragma once

#include <QFileDialog>
#include <QPointer>

#include "platform/UserPrompts.h"

namespace quorvia::ui {

class QtPrompts final : public platform::UserPrompts {
public:
    // The dialogs belong to the window; they keep the path last chosen in them.
    QtPrompts(QWidget* window, QFileDialog* openDialog, QFileDialog* saveDialog);

    void showError(const std::string& message) override;
    void warn(const std::string& message) override;
    void inform(const std::string& message) override;
    int chooseNameColumn(const std::vector<std::string>& headers) override;
    std::optional<platform::ObjectFields> editObject(const platform::ObjectFields& shown) override;
    std::optional<platform::AttributeFields> editAttribute(
        const platform::AttributeFields& shown) override;
    std::optional<platform::SearchFields> editSearch(const platform::SearchFields& shown) override;
    std::optional<platform::ReplaceFields> editReplace(
        const platform::ReplaceFields& shown) override;
    void whileBusy(const std::function<void()>& work) override;

protected:
    bool askQuestion(const std::string& question, Answer byDefault) override;
    std::optional<std::string> askFileToOpen() override;
    std::optional<std::string> askFileToSave() override;

private:
    std::optional<std::string> chooseFile(QFileDialog& dialog);

    QPointer<QWidget> m_window;
    QPointer<QFileDialog> m_openDialog;
    QPointer<QFileDialog> m_saveDialog;
};

// The window's two file dialogs: no filter, no default extension; the open dialog takes a name
// that does not exist, the save dialog asks before replacing a file.
QFileDialog* makeOpenDialog(QWidget* window);
QFileDialog* makeSaveDialog(QWidget* window);

}  // namespace quorvia::ui
