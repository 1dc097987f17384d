// Teslund Quorvia: the application and its main window.
#include <QApplication>
#include <exception>

#include "platform/Error.h"
#include "ui/MessageBoxes.h"
#include "ui/Pictures.h"
#include "ui/frmMain.h"

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
    QuorviaApplication application(argc, argv);
    // The application title; no display name is set, so window captions stay exactly as given.
    QApplication::setApplicationName(QString::fromUtf8(quorvia::ui::kApplicationTitle));
    QApplication::setWindowIcon(quorvia::ui::Pictures::instance().programIcon());

    quorvia::ui::frmMain window;
    window.show();
    application.exec();
    return 0;
}
