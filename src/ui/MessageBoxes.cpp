#include "ui/MessageBoxes.h"

#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QStringList>

#include "ui/Text.h"

namespace quorvia::ui {

namespace {

constexpr const char* kWarningTitle = "Avertissement";
constexpr const char* kConfirmationTitle = "Confirmation";
constexpr const char* kYes = "&Oui";
constexpr const char* kNo = "&Non";

// A box lays its whole text out before it shows: a text of megabytes (a path read from the
// settings file) would hold the window for minutes. Lines past any real path, and texts of many
// lines, keep their start and their end around an ellipsis.
constexpr qsizetype kLongestLine = 2000;
constexpr qsizetype kMostLines = 30;
constexpr QChar kEllipsis(0x2026);
// The box wraps its text at spaces only; a path has none, so it may also break after each "/"
// and inside any longer run without one.
constexpr QChar kBreakOpportunity(0x200B);
constexpr qsizetype kLongestUnbroken = 60;

QString wrappableLine(const QString& line) {
    QString wrappable;
    wrappable.reserve(line.size() + line.size() / kLongestUnbroken);
    qsizetype unbroken = 0;
    for (const QChar c : line) {
        wrappable += c;
        unbroken = c.isSpace() ? 0 : unbroken + 1;
        if (c == QLatin1Char('/') || unbroken == kLongestUnbroken) {
            wrappable += kBreakOpportunity;
            unbroken = 0;
        }
    }
    return wrappable;
}

QString shortenedText(const QString& text) {
    QStringList lines = text.split(QLatin1Char('\n'));
    if (lines.size() > kMostLines) {
        lines = lines.mid(0, kMostLines / 2) + QStringList{QString(kEllipsis)} +
                lines.mid(lines.size() - kMostLines / 2);
    }
    for (QString& line : lines) {
        line = wrappableLine(elidedInTheMiddle(line, kLongestLine));
    }
    return lines.join(QLatin1Char('\n'));
}

std::unique_ptr<QMessageBox> makeBox(QMessageBox::Icon icon, const char* title,
                                     const std::string& text) {
    auto box = std::make_unique<QMessageBox>(icon, QString::fromUtf8(title),
                                             shortenedText(fromProgramText(text)));
    box->setTextFormat(Qt::PlainText);
    return box;
}

// Message boxes open centred on the screen, not over the window.
int execCentred(QMessageBox& box) {
    box.adjustSize();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = box.frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        box.move(frame.topLeft());
    }
    return box.exec();
}

}  // namespace

std::string withFullStop(std::string message) {
    if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') {
        message.push_back('.');
    }
    return message;
}

std::unique_ptr<QMessageBox> makeErrorBox(const std::string& message) {
    auto box = makeBox(QMessageBox::Critical, kApplicationTitle, withFullStop(message));
    box->setStandardButtons(QMessageBox::Ok);
    return box;
}

std::unique_ptr<QMessageBox> makeWarningBox(const std::string& message) {
    auto box = makeBox(QMessageBox::Warning, kWarningTitle, message);
    box->setStandardButtons(QMessageBox::Ok);
    box->button(QMessageBox::Ok)->setText(QStringLiteral("OK"));
    return box;
}

std::unique_ptr<QMessageBox> makeInformationBox(const std::string& message) {
    // A warning box in all but its icon and caption.
    auto box = makeWarningBox(message);
    box->setIcon(QMessageBox::Information);
    box->setWindowTitle(QString::fromUtf8(kApplicationTitle));
    return box;
}

std::unique_ptr<QMessageBox> makeConfirmationBox(const std::string& question) {
    auto box = makeBox(QMessageBox::Question, kConfirmationTitle, question);
    QPushButton* yes = box->addButton(QString::fromUtf8(kYes), QMessageBox::YesRole);
    QPushButton* no = box->addButton(QString::fromUtf8(kNo), QMessageBox::NoRole);
    box->setDefaultButton(yes);
    box->setEscapeButton(no);
    return box;
}

void showErrorBox(const std::string& message) {
    execCentred(*makeErrorBox(message));
}

void showWarningBox(const std::string& message) {
    execCentred(*makeWarningBox(message));
}

void showInformationBox(const std::string& message) {
    execCentred(*makeInformationBox(message));
}

bool askConfirmation(const std::string& question) {
    auto box = makeConfirmationBox(question);
    execCentred(*box);
    return box->clickedButton() == box->defaultButton();
}

}  // namespace quorvia::ui
