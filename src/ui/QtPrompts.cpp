#include "ui/QtPrompts.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QEventLoop>
#include <QFile>
#include <QGuiApplication>
#include <exception>
#include <thread>

#include "ui/MessageBoxes.h"
#include "ui/Text.h"
#include "ui/frmAttribute.h"
#include "ui/frmFind.h"
#include "ui/frmObject.h"
#include "ui/frmReplace.h"
#include "ui/frmSelect.h"

namespace quorvia::ui {

namespace {

// A path typed and confirmed with Return while its completion list shows closes the dialog
// but not the list, which would then keep the keyboard: the list goes with its dialog.
void closeCompletionsWithDialog(QFileDialog* dialog) {
    QObject::connect(dialog, &QDialog::finished, dialog, [dialog] {
        for (const QCompleter* completer : dialog->findChildren<QCompleter*>()) {
            if (completer->popup() != nullptr) {
                completer->popup()->hide();
            }
        }
    });
}

}  // namespace

QFileDialog* makeOpenDialog(QWidget* window) {
    auto* dialog = new QFileDialog(window, QStringLiteral("Open"));
    dialog->setObjectName(QStringLiteral("OpenDlg"));
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setFileMode(QFileDialog::AnyFile);
    closeCompletionsWithDialog(dialog);
    return dialog;
}

QFileDialog* makeSaveDialog(QWidget* window) {
    auto* dialog = new QFileDialog(window, QStringLiteral("Save As"));
    dialog->setObjectName(QStringLiteral("SaveDlg"));
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    closeCompletionsWithDialog(dialog);
    return dialog;
}

QtPrompts::QtPrompts(QWidget* window, QFileDialog* openDialog, QFileDialog* saveDialog)
    : m_window(window), m_openDialog(openDialog), m_saveDialog(saveDialog) {}

void QtPrompts::showError(const std::string& message) {
    showErrorBox(message);
}

void QtPrompts::warn(const std::string& message) {
    showWarningBox(message);
}

bool QtPrompts::askQuestion(const std::string& question, Answer byDefault) {
    return askConfirmation(
        question, byDefault == Answer::Yes ? ConfirmationDefault::Yes : ConfirmationDefault::No);
}

void QtPrompts::inform(const std::string& message) {
    showInformationBox(message);
}

std::optional<std::string> QtPrompts::chooseFile(QFileDialog& dialog) {
    // Opens with the full path last chosen in it, which the dialog keeps between uses.
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    const QString chosen = dialog.selectedFiles().constFirst();
    dialog.selectFile(chosen);
    // A path is in the file system's encoding, whatever code page the texts are shown in.
    return QFile::encodeName(chosen).toStdString();
}

std::optional<std::string> QtPrompts::askFileToOpen() {
    return chooseFile(*m_openDialog);
}

std::optional<std::string> QtPrompts::askFileToSave() {
    return chooseFile(*m_saveDialog);
}

int QtPrompts::chooseNameColumn(const std::vector<std::string>& headers) {
    frmSelect dialog(m_window);
    dialog.FormShow(headers);
    dialog.exec();
    return dialog.nameColumn();
}

std::optional<platform::ObjectFields> QtPrompts::editObject(const platform::ObjectFields& shown) {
    frmObject dialog(m_window);
    dialog.FormShow(shown);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.fields();
}

std::optional<platform::AttributeFields> QtPrompts::editAttribute(
    const platform::AttributeFields& shown) {
    frmAttribute dialog(m_window);
    dialog.FormShow(shown);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.fields();
}

std::optional<platform::SearchFields> QtPrompts::editSearch(const platform::SearchFields& shown) {
    frmFind dialog(m_window);
    dialog.FormShow(QString::fromStdString(shown.text), shown.matchCase);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return platform::SearchFields{dialog.edFind->text().toStdString(),
                                  dialog.cbMatchCase->isChecked()};
}

std::optional<platform::ReplaceFields> QtPrompts::editReplace(
    const platform::ReplaceFields& shown) {
    frmReplace dialog(m_window);
    dialog.FormShow(shown);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.fields();
}

void QtPrompts::whileBusy(const std::function<void()>& work) {
    // The work waits on another thread; this one keeps drawing the window but lets no input
    // through, and shows the busy pointer.
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    QEventLoop loop;
    std::exception_ptr failure;
    std::thread worker([&] {
        try {
            work();
        } catch (...) {
            failure = std::current_exception();
        }
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    worker.join();
    QGuiApplication::restoreOverrideCursor();
    if (failure) {
        std::rethrow_exception(failure);
    }
}

}  // namespace quorvia::ui
