// Teslund Quorvia: the application and its main window.
#include <QApplication>
#include <cstdio>
#include <exception>

#include "platform/Error.h"
#include "ui/CommandLine.h"
#include "ui/MessageBoxes.h"
#include "ui/Pictures.h"
#include "ui/Text.h"
#include "ui/frmMain.h"
#include "workspace/LoadAhead.h"
#include "workspace/Workspace.h"

namespace {

// The last resort: an error that escapes every command still reaches the user as an error box
// instead of ending the program.
class QuorviaApplication final : public QApplication {
public:
    using QApplication::QApplication;

    bool notify(QObject* receiver, QEvent* event) override {
        try {
            return QApplication::notify(receiver, event);
        } catch (const quorvia::Error& error) {
            quorvia::ui::showErrorBox(error.message());
        } catch (const std::exception& error) {
            quorvia::ui::showErrorBox(error.what());
        }
        return false;
    }
};

}  // namespace

int main(int argc, char** argv) {
    // Read before the application object exists, so --help and --version need no display.
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments << quorvia::ui::argumentFromBytes(argv[i]);
    }
    const quorvia::ui::CommandLine commandLine = quorvia::ui::readCommandLine(arguments);
    std::fputs(commandLine.output.toLocal8Bit().constData(), stdout);
    std::fputs(commandLine.errors.toLocal8Bit().constData(), stderr);
    if (!commandLine.start) {
        return commandLine.exitCode;
    }
    if (!commandLine.start->codePage.isEmpty()) {
        quorvia::ui::setCodePage(commandLine.start->codePage);
    }
    // The database is read while Qt starts. A start from the menu changes its folder first, so
    // it loads as the window opens.
    std::optional<quorvia::workspace::LoadAhead> loadAhead;
    if (!commandLine.start->desktop) {
        try {
            loadAhead.emplace(
                quorvia::workspace::databasePathAtStart(commandLine.start->databasePath));
        } catch (const quorvia::Error&) {
            // The window meets the same failure and shows it.
        }
    }

    QuorviaApplication application(argc, argv);
    // The application title; no display name is set, so window captions stay exactly as given.
    QApplication::setApplicationName(QString::fromUtf8(quorvia::ui::kApplicationTitle));
    QApplication::setWindowIcon(quorvia::ui::Pictures::instance().programIcon());

    std::optional<std::string> databasePath = commandLine.start->databasePath;
    if (commandLine.start->desktop) {
        databasePath = quorvia::ui::enterDesktopFolder(databasePath);
    }
    quorvia::ui::frmMain window(nullptr, nullptr, databasePath, loadAhead ? &*loadAhead : nullptr);
    window.show();
    application.exec();
    return 0;
}
