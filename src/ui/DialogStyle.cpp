#include "ui/DialogStyle.h"

#include <QStyle>
#include <QValidator>
#include <limits>

#include "ui/MessageBoxes.h"
#include "ui/Text.h"

namespace quorvia::ui {

namespace {

// The database file ends a record at CR or LF and the load stops at NUL, so a field must hold
// none of them; the field draws each as a blank, and a blank is what it holds. A validator sees
// every change the user makes (keys, paste, drop, input methods); the swap keeps the text's
// length, so the cursor stays where it was.
class OneLineValidator final : public QValidator {
public:
    using QValidator::QValidator;

    State validate(QString& input, int& /*cursor*/) const override {
        for (QChar& c : input) {
            if (c == QLatin1Char('\r') || c == QLatin1Char('\n') || c == QChar(0)) {
                c = QLatin1Char(' ');
            }
        }
        return Acceptable;
    }
};

}  // namespace

QFont dialogFont(int pointSize) {
    QFont font(QStringLiteral("MS Sans Serif"), pointSize);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

QLabel* makeCaptionLabel(QWidget* parent, const char* objectName, const QString& text,
                         const QRect& geometry) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(objectName));
    label->setGeometry(geometry);
    label->setAlignment(Qt::AlignCenter);
    label->setAutoFillBackground(true);
    QPalette palette = label->palette();
    palette.setColor(QPalette::Window, Qt::black);
    palette.setColor(QPalette::WindowText, Qt::yellow);
    label->setPalette(palette);
    return label;
}

QLineEdit* makeFieldEdit(QWidget* parent, const char* objectName, const QRect& geometry) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(objectName));
    edit->setGeometry(geometry);
    edit->setMaxLength(std::numeric_limits<int>::max());
    edit->setValidator(new OneLineValidator(edit));
    return edit;
}

void nameAfterLabel(QWidget* field, QLabel* label) {
    field->setAccessibleName(label->text());
    label->setBuddy(field);
}

bool warnOfRefusedField(
    std::initializer_list<std::pair<const QLineEdit*, std::string_view>> fieldsAndShownBytes) {
    for (const auto& [field, shown] : fieldsAndShownBytes) {
        if (const auto message = fieldRefusal(field->text(), shown)) {
            showWarningBox(*message);
            return true;
        }
    }
    return false;
}

QFrame* makeButtonPanel(QWidget* parent, const QRect& geometry) {
    auto* panel = new QFrame(parent);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setGeometry(geometry);
    panel->setFrameShape(QFrame::NoFrame);
    return panel;
}

QPushButton* makeOkButton(QWidget* parent, const QRect& geometry) {
    auto* button = new QPushButton(parent->style()->standardIcon(QStyle::SP_DialogOkButton),
                                   QStringLiteral("OK"), parent);
    button->setObjectName(QStringLiteral("btOK"));
    button->setGeometry(geometry);
    button->setDefault(true);
    return button;
}

QPushButton* makeCancelButton(QWidget* parent, const QRect& geometry) {
    auto* button = new QPushButton(parent->style()->standardIcon(QStyle::SP_DialogCancelButton),
                                   QStringLiteral("Cancel"), parent);
    button->setObjectName(QStringLiteral("BtCancel"));
    button->setGeometry(geometry);
    button->setAutoDefault(false);
    return button;
}

}  // namespace quorvia::ui
