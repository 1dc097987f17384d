#include "ui/MessageBoxes.h"

#include <QAbstractTextDocumentLayout>
#include <QClipboard>
#include <QGridLayout>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QStringList>
#include <QTextDocument>
#include <algorithm>
#include <cmath>

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
// The widest the text is laid out before it wraps, in average characters.
constexpr int kWidestLine = 70;

QString shortenedText(const QString& text) {
    QStringList lines = text.split(QLatin1Char('\n'));
    if (lines.size() > kMostLines) {
        lines = lines.mid(0, kMostLines / 2) + QStringList{QString(kEllipsis)} +
                lines.mid(lines.size() - kMostLines / 2);
    }
    for (QString& line : lines) {
        line = elidedInTheMiddle(line, kLongestLine);
    }
    return lines.join(QLatin1Char('\n'));
}

// The box's text. The box's own label wraps at word boundaries only (plain or rich text alike),
// so a path longer than the box would run out of it; this one breaks at a word boundary where it
// can and anywhere where it must, and holds the very text, for copying and for screen readers.
class MessageText final : public QLabel {
public:
    MessageText(const QString& text, QWidget* parent) : QLabel(text, parent) {
        setObjectName(QStringLiteral("messageText"));
        setTextFormat(Qt::PlainText);
        // Else a screen reader would be given the text with each "&" taken for a shortcut mark.
        setAccessibleName(text);
        m_document.setDocumentMargin(0);
        m_document.setDefaultFont(font());
        m_document.setPlainText(text);
        QTextOption option = m_document.defaultTextOption();
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        m_document.setDefaultTextOption(option);
        QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
        policy.setHeightForWidth(true);
        setSizePolicy(policy);
    }

    // The box takes its width from here: the text's own width, up to a readable line.
    QSize minimumSizeHint() const override {
        m_document.setTextWidth(-1);
        const int natural = static_cast<int>(std::ceil(m_document.size().width()));
        const int width = std::min(natural, kWidestLine * fontMetrics().averageCharWidth());
        return {width, heightForWidth(width)};
    }
    QSize sizeHint() const override { return minimumSizeHint(); }
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override {
        m_document.setTextWidth(width);
        return static_cast<int>(std::ceil(m_document.size().height()));
    }

protected:
    void paintEvent(QPaintEvent* /*event*/) override {
        QPainter painter(this);
        const QRect area = contentsRect();
        m_document.setTextWidth(area.width());
        painter.translate(area.topLeft());
        QAbstractTextDocumentLayout::PaintContext context;
        context.palette = palette();
        context.palette.setColor(QPalette::Text, palette().color(foregroundRole()));
        m_document.documentLayout()->draw(&painter, context);
    }
    void changeEvent(QEvent* event) override {
        if (event->type() == QEvent::FontChange) {
            m_document.setDefaultFont(font());
        }
        QLabel::changeEvent(event);
    }

private:
    mutable QTextDocument m_document;  // laid out for the width last asked about
};

// A message box whose text shows through MessageText in place of its own label, which keeps the
// same text (the box's text as the box itself and its accessible interface give it). Ctrl+C
// copies that text, or what is selected, as the system's own boxes do.
class MessageBox final : public QMessageBox {
public:
    MessageBox(Icon icon, const QString& title, const QString& text)
        : QMessageBox(icon, title, text), m_text(new MessageText(text, this)) {
        setTextFormat(Qt::PlainText);
        putTextInPlaceOfTheLabel();
    }

protected:
    void showEvent(QShowEvent* event) override {
        putTextInPlaceOfTheLabel();
        QMessageBox::showEvent(event);
    }
    void keyPressEvent(QKeyEvent* event) override {
        if (event->matches(QKeySequence::Copy)) {
            QGuiApplication::clipboard()->setText(text());
            return;
        }
        QMessageBox::keyPressEvent(event);
    }

private:
    // Again before it shows: the box lays itself out anew when its icon changes.
    void putTextInPlaceOfTheLabel() {
        auto* grid = qobject_cast<QGridLayout*>(layout());
        auto* label = findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
        const int at = grid != nullptr && label != nullptr ? grid->indexOf(label) : -1;
        if (at < 0 || grid->indexOf(m_text) >= 0) {
            return;
        }
        int row = 0;
        int column = 0;
        int rowSpan = 0;
        int columnSpan = 0;
        grid->getItemPosition(at, &row, &column, &rowSpan, &columnSpan);
        label->hide();
        grid->addWidget(m_text, row, column, rowSpan, columnSpan);
    }

    MessageText* m_text;
};

std::unique_ptr<QMessageBox> makeBox(QMessageBox::Icon icon, const char* title,
                                     const std::string& text) {
    return std::make_unique<MessageBox>(icon, QString::fromUtf8(title),
                                        shortenedText(fromProgramText(text)));
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

std::unique_ptr<QMessageBox> makeConfirmationBox(const std::string& question,
                                                 ConfirmationDefault byDefault) {
    auto box = makeBox(QMessageBox::Question, kConfirmationTitle, question);
    QPushButton* yes = box->addButton(QString::fromUtf8(kYes), QMessageBox::YesRole);
    QPushButton* no = box->addButton(QString::fromUtf8(kNo), QMessageBox::NoRole);
    box->setDefaultButton(byDefault == ConfirmationDefault::Yes ? yes : no);
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

bool askConfirmation(const std::string& question, ConfirmationDefault byDefault) {
    auto box = makeConfirmationBox(question, byDefault);
    execCentred(*box);
    return box->clickedButton() != nullptr &&
           box->buttonRole(box->clickedButton()) == QMessageBox::YesRole;
}

}  // namespace quorvia::ui
