#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QtTest>

#include "editing/ItemDialogs.h"
#include "support/TreeHelpers.h"
#include "ui/Text.h"
#include "ui/frmAttribute.h"
#include "ui/frmFind.h"
#include "ui/frmObject.h"
#include "ui/frmSelect.h"

using namespace quorvia;
using namespace quorvia::ui;

namespace {

void checkCaptionLabel(QWidget& dialog, const char* name, const QString& text, const QRect& at) {
    auto* label = dialog.findChild<QLabel*>(QLatin1String(name));
    QVERIFY(label != nullptr);
    QCOMPARE(label->text(), text);
    QCOMPARE(label->geometry(), at);
    QCOMPARE(label->alignment(), Qt::AlignCenter);
    QCOMPARE(label->palette().color(QPalette::WindowText), QColor(Qt::yellow));
    QCOMPARE(label->palette().color(QPalette::Window), QColor(Qt::black));
}

QWidget* nextInTabOrder(QWidget* widget) {
    QWidget* next = widget->nextInFocusChain();
    while (next->focusPolicy() == Qt::NoFocus || !next->isVisibleTo(widget->window())) {
        next = next->nextInFocusChain();
    }
    return next;
}

// Presses OK and gives the text of the warning it showed (closed at once), or nothing.
QString warningOfOk(frmAttribute& dialog) {
    QString shown;
    QTimer::singleShot(0, [&shown] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            shown = box->text();
            box->reject();
        }
    });
    dialog.btOKClick();
    QCoreApplication::processEvents();  // the timer's turn when no box showed
    return shown;
}

}  // namespace

class DialogsTest : public QObject {
    Q_OBJECT

private slots:
    void objectDialogLayout() {
        frmObject dialog;
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Teslund Quorvia - Object"));
        QCOMPARE(dialog.size(), QSize(260, 100));
        checkCaptionLabel(dialog, "Label1", "Icon", QRect(8, 8, 89, 17));
        checkCaptionLabel(dialog, "lbName", "Name", QRect(8, 32, 89, 17));
        QCOMPARE(dialog.cbIcon->count(), 15);
        for (int i = 0; i < 15; ++i) {
            QVERIFY(dialog.cbIcon->itemText(i).isEmpty());
        }
        QVERIFY(!dialog.cbIcon->isEditable());
        QCOMPARE(dialog.cbIcon->maxVisibleItems(), 8);
        QVERIFY(dialog.btOK->isDefault());
        QCOMPARE(dialog.btOK->text(), QStringLiteral("OK"));
        QCOMPARE(dialog.BtCancel->text(), QStringLiteral("Cancel"));
        QVERIFY(!dialog.btOK->icon().isNull());
        QCOMPARE(nextInTabOrder(dialog.edName), static_cast<QWidget*>(dialog.btOK));
        QCOMPARE(nextInTabOrder(dialog.btOK), static_cast<QWidget*>(dialog.BtCancel));
        QCOMPARE(nextInTabOrder(dialog.BtCancel), static_cast<QWidget*>(dialog.cbIcon));
        dialog.FormShow({});
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(dialog.cbIcon));
    }

    void objectDialogShowsAndReturnsTheFields() {
        frmObject dialog;
        dialog.FormShow({"Contacts", 3});
        QCOMPARE(dialog.edName->text(), QStringLiteral("Contacts"));
        QCOMPARE(dialog.cbIcon->currentIndex(), 3);
        dialog.FormShow({"", -1});
        QCOMPARE(dialog.cbIcon->currentIndex(), -1);
        dialog.FormShow({"x", 15});
        QCOMPARE(dialog.cbIcon->currentIndex(), -1);

        dialog.FormShow({"", 0});
        dialog.edName->setText(QStringLiteral("Ann Berg é"));
        dialog.cbIcon->setCurrentIndex(14);
        dialog.btOKClick();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(QString::fromStdString(dialog.fields().name), QStringLiteral("Ann Berg é"));
        QCOMPARE(dialog.fields().iconIndex, 14);
    }

    void aTypedSemicolonIsRefusedOneTheRecordHeldIsKept() {
        // A semicolon the field opened with is written back; a changed field with one is told
        // why it cannot be, and the dialog stays open with the text.
        for (const bool value : {false, true}) {
            frmAttribute dialog;
            dialog.FormShow({"Phone", "+33 1;ext 4"});
            QLineEdit* field = value ? dialog.edValue : dialog.edName;
            field->setText(QStringLiteral("+33 1;ext 5"));
            QVERIFY(warningOfOk(dialog).contains(
                QStringLiteral("semicolon (\";\"): the phone and the next load split")));
            QCOMPARE(dialog.result(), int(QDialog::Rejected));
            QCOMPARE(field->text(), QStringLiteral("+33 1;ext 5"));
            dialog.FormShow({"Phone", "+33 1;ext 4"});
            QVERIFY(warningOfOk(dialog).isEmpty());
            QCOMPARE(dialog.fields().value, std::string("+33 1;ext 4"));
        }
    }

    void aLineBreakReachingAFieldBecomesTheBlankItShows() {
        frmAttribute attribute;
        frmObject object;
        frmFind find;
        for (QLineEdit* field :
             {attribute.edName, attribute.edValue, object.edName, find.edFind}) {
            field->setText(QStringLiteral("x"));
            QGuiApplication::clipboard()->setText(QStringLiteral("12 Main St\nSpringfield\n"));
            QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
            QCOMPARE(field->text(), QStringLiteral("x12 Main St Springfield "));
            QCOMPARE(field->text(), field->displayText());
            QCOMPARE(field->cursorPosition(), field->text().size());

            QMimeData dropped;
            dropped.setText(QStringLiteral("a\r\nb"));
            QDragEnterEvent enter(QPoint(), Qt::CopyAction, &dropped, Qt::LeftButton, {});
            QDropEvent drop(QPointF(), Qt::CopyAction, &dropped, Qt::LeftButton, {});
            QApplication::sendEvent(field, &enter);
            QApplication::sendEvent(field, &drop);
            QCOMPARE(field->text(), QStringLiteral("a  bx12 Main St Springfield "));
        }
    }

    void objectDialogKeepsAnIconTheListDoesNotHold() {
        for (int chosen : {-1, 4}) {
            model::PairedTrees trees;
            quorvia::testing::loadPaired(trees, "Quorvia\n\tO;name;20\n");
            trees.select(trees.display().nodeAt(1));
            frmObject dialog;
            dialog.FormShow(editing::showObjectDialog(trees, editing::DialogMode::Edit));
            QCOMPARE(dialog.cbIcon->currentIndex(), -1);
            if (chosen >= 0) {
                dialog.cbIcon->setCurrentIndex(chosen);
            }
            dialog.btOKClick();
            editing::applyObjectDialog(trees, editing::DialogMode::Edit, dialog.fields());
            const int kept = chosen >= 0 ? chosen : 20;
            QCOMPARE(QString::fromStdString(std::string(trees.records().nodeAt(1)->text())),
                     QStringLiteral("O;name;%1").arg(kept));
            QCOMPARE(trees.display().nodeAt(1)->iconIndex(), kept);
        }
    }

    void untouchedFieldsKeepTheirBytesTypedTextTakesTheCodePage() {
        const std::string latin = "caf\xE9";  // not UTF-8
        const std::string utf8 = "caf\xC3\xA9";
        const auto bytes = [](const std::string& text) { return QByteArray::fromStdString(text); };
        frmAttribute dialog;
        dialog.FormShow({latin, utf8});
        QCOMPARE(dialog.edName->text(), QStringLiteral("café"));
        QCOMPARE(dialog.edValue->text(), QStringLiteral("café"));
        QCOMPARE(bytes(dialog.fields().name), bytes(latin));
        QCOMPARE(bytes(dialog.fields().value), bytes(utf8));
        dialog.edName->setText(QStringLiteral("é"));
        QCOMPARE(bytes(dialog.fields().name), QByteArray("\xC3\xA9"));

        QVERIFY(!setCodePage(QStringLiteral("no-such-page")));
        QVERIFY(setCodePage(QStringLiteral("windows-1252")));
        dialog.FormShow({utf8, "\x80"});
        QCOMPARE(dialog.edValue->text(), QStringLiteral("€"));
        QCOMPARE(bytes(dialog.fields().name), bytes(utf8));
        dialog.edValue->setText(QStringLiteral("é"));
        QCOMPARE(bytes(dialog.fields().value), QByteArray("\xE9"));
        // A character the code page cannot hold is refused, not written as a substitute.
        QCOMPARE(firstUnwritableCharacter(QStringLiteral("aőb")), QStringLiteral("ő"));
        QVERIFY(fieldRefusal(QStringLiteral("aőb"), "x")->find("\"ő\"") != std::string::npos);
        QVERIFY(!fieldRefusal(QStringLiteral("é€"), "x"));

        // Where a byte above 127 may lead a character, an ASCII text is no longer looked for
        // among the bytes: 0x83 0x41 is one katakana letter, not an "A".
        QVERIFY(setCodePage(QStringLiteral("Shift_JIS")));
        QVERIFY(!TextSearch(QStringLiteral("a"), false).matches("\x83\x41"));
        QVERIFY(TextSearch(QStringLiteral("a"), false)
                    .matches("\x83\x41"
                             "A"));
        QVERIFY2(TextSearch(QStringLiteral("a"), false).matches("A"), "ASCII bytes alone too");
        QVERIFY(!setCodePage(QStringLiteral("UTF-16LE")));
        QVERIFY(setCodePage(QString::fromLatin1(kDefaultCodePage)));
        // Under UTF-8 each field is decoded on its own.
        QCOMPARE(toQString("Caf\xE9:n\xC3\xA9"), QStringLiteral("Café:né"));

        // The byte search finds what Qt's finds, whatever the case of a letter that starts or
        // nearly starts a match.
        for (const char* text : {"", "N", "nO", "xnNo nodE", "nonode", "no nod", "NO NODE!"}) {
            for (const char* needle : {"n", "node", "no node", "e!", "!"}) {
                QCOMPARE(TextSearch(QString::fromLatin1(needle), false).matches(text),
                         QString::fromLatin1(text).contains(QLatin1String(needle),
                                                            Qt::CaseInsensitive));
            }
        }
        QCOMPARE(*TextSearch(QStringLiteral("node"), false).replaceIn("NnoDe node", "0", "0"),
                 "N0 0");
        // Replace keeps the bytes around an ASCII match, Latin-1 ones included.
        QCOMPARE(*TextSearch(QStringLiteral("x"), false).replaceIn(latin + " X1x", "0", "0"),
                 latin + " 01" + "0");
        QVERIFY(!TextSearch(QStringLiteral("x"), true).replaceIn("X", "y", "y"));
        QCOMPARE(*TextSearch(QStringLiteral("é"), false).replaceIn("CAF\xC3\x89", "e", "e"),
                 "CAFe");
    }

    void fieldsPastQtsDefaultLengthAreWrittenWhole() {
        const std::string longText(40'000, 'v');
        frmAttribute attribute;
        attribute.FormShow({"name", longText});
        attribute.edName->setText(QStringLiteral("renamed"));
        QCOMPARE(attribute.fields().value.size(), longText.size());
        const QString typed(100'000, QLatin1Char('t'));
        attribute.edValue->setText(typed);
        QCOMPARE(attribute.fields().value.size(), size_t(100'000));

        frmObject object;
        object.FormShow({longText, 1});
        object.cbIcon->setCurrentIndex(2);
        QCOMPARE(object.fields().name, longText);
    }

    void attributeDialog() {
        frmAttribute dialog;
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Teslund Quorvia - Attribute"));
        QCOMPARE(dialog.size(), QSize(364, 104));
        checkCaptionLabel(dialog, "lbName", "Name", QRect(8, 8, 89, 17));
        checkCaptionLabel(dialog, "lbValue", "Value", QRect(8, 32, 89, 17));
        QCOMPARE(nextInTabOrder(dialog.btOK), static_cast<QWidget*>(dialog.BtCancel));
        QCOMPARE(nextInTabOrder(dialog.BtCancel), static_cast<QWidget*>(dialog.edName));
        QCOMPARE(nextInTabOrder(dialog.edName), static_cast<QWidget*>(dialog.edValue));

        dialog.FormShow({"Phone", "555"});
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(dialog.edName));
        QCOMPARE(dialog.edValue->text(), QStringLiteral("555"));
        dialog.edValue->setText(QStringLiteral("a b"));
        QTest::keyClick(dialog.edValue, Qt::Key_Return);  // OK is the default button
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.fields().value, std::string("a b"));
    }

    void escapeCancels() {
        frmAttribute dialog;
        dialog.FormShow({"a", "b"});
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QTest::keyClick(&dialog, Qt::Key_Escape);
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
    }

    void selectDialog() {
        frmSelect dialog;
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Teslund Quorvia - Select"));
        QCOMPARE(dialog.size(), QSize(281, 79));
        checkCaptionLabel(dialog, "lbName", "Object Name", QRect(8, 8, 89, 17));
        QCOMPARE(dialog.cbName->width(), 169);
        dialog.FormShow({"Name", "Phone", "Mail"});
        QCOMPARE(dialog.nameColumn(), -1);
        QCOMPARE(dialog.cbName->count(), 3);
        QCOMPARE(dialog.cbName->currentIndex(), 0);
        dialog.cbName->setCurrentIndex(2);
        dialog.btOKClick();
        QCOMPARE(dialog.nameColumn(), 2);

        dialog.FormShow({"only"});
        QCOMPARE(dialog.nameColumn(), -1);
        dialog.reject();
        QCOMPARE(dialog.nameColumn(), -1);
    }
};

QTEST_MAIN(DialogsTest)
#include "DialogsTest.moc"
