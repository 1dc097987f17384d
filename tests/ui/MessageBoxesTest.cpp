#include <QAccessible>
#include <QClipboard>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QtTest>

#include "ui/MessageBoxes.h"
#include "ui/Text.h"

using namespace quorvia::ui;

class MessageBoxesTest : public QObject {
    Q_OBJECT

private slots:
    void fullStopRule_data() {
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("shown");
        QTest::newRow("plain") << "Fichier introuvable"
                               << "Fichier introuvable.";
        QTest::newRow("has one") << "Done."
                                 << "Done.";
        QTest::newRow("parenthesis") << "Indice de liste hors limites (2)"
                                     << "Indice de liste hors limites (2)";
        QTest::newRow("quote") << "Niveau incorrect (3) pour l'élément \"x\""
                               << "Niveau incorrect (3) pour l'élément \"x\"";
        QTest::newRow("blank") << "Impossible de créer le fichier "
                               << "Impossible de créer le fichier ";
        QTest::newRow("digit") << "Erreur E/S 32"
                               << "Erreur E/S 32.";
        QTest::newRow("slash") << "a/"
                               << "a/.";
        QTest::newRow("hyphen") << "a-"
                                << "a-";
        QTest::newRow("accent") << "refusé"
                                << "refusé.";
        QTest::newRow("empty") << ""
                               << "";
    }
    void fullStopRule() {
        QFETCH(QString, message);
        QFETCH(QString, shown);
        QCOMPARE(QString::fromStdString(withFullStop(message.toStdString())), shown);
    }

    void errorBox() {
        auto box = makeErrorBox("Fichier introuvable");
        QCOMPARE(box->windowTitle(), QStringLiteral("Teslund Quorvia"));
        QCOMPARE(box->text(), QStringLiteral("Fichier introuvable."));
        QCOMPARE(box->icon(), QMessageBox::Critical);
        QCOMPARE(box->buttons().size(), 1);
        QCOMPARE(box->standardButtons(), QMessageBox::Ok);
    }

    void warningBox() {
        auto box = makeWarningBox("Object can contain only Objects or Attributes");
        QCOMPARE(box->windowTitle(), QStringLiteral("Avertissement"));
        QCOMPARE(box->text(), QStringLiteral("Object can contain only Objects or Attributes"));
        QCOMPARE(box->icon(), QMessageBox::Warning);
        QCOMPARE(box->buttons().size(), 1);
        QCOMPARE(box->buttons().constFirst()->text(), QStringLiteral("OK"));
    }

    void theTextIsTheMessageAsShownCopiedAndReadAloudAndALongPathWraps() {
        // 276 bytes, one name of 255: no blank or "/" to wrap at for most of it.
        const std::string path = "/tmp/qa/" + std::string(255, 'n') + "/R&D <1>.db";
        const QString message =
            QString::fromStdString("Impossible de créer le fichier " + path + "\nsecond  line");
        auto box = makeErrorBox(message.toStdString());
        box->show();
        QVERIFY(QTest::qWaitForWindowActive(box.get()));
        const QString exact = message + QLatin1Char('.');
        QCOMPARE(box->text(), exact);

        QGuiApplication::clipboard()->clear();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), exact);

        // A screen reader gets the box's text, and that of the label that shows it, unchanged.
        QCOMPARE(QAccessible::queryAccessibleInterface(box.get())->text(QAccessible::Value),
                 exact);
        auto* shown = box->findChild<QLabel*>(QStringLiteral("messageText"));
        QVERIFY(shown != nullptr && shown->isVisible());
        QCOMPARE(QAccessible::queryAccessibleInterface(shown)->text(QAccessible::Name), exact);

        // It fits in the box and on the screen, tall enough for all of its lines at its width.
        QVERIFY(box->rect().contains(QRect(shown->mapTo(box.get(), QPoint()), shown->size())));
        QVERIFY(box->width() <= box->screen()->availableGeometry().width());
        QVERIFY(shown->height() >= shown->heightForWidth(shown->width()));
        QVERIFY2(shown->height() >= 4 * shown->fontMetrics().height(), "the long name wraps");
    }

    void longTextsKeepTheirStartAndEnd() {
        const auto shownText = [](const QMessageBox& box) { return box.text(); };
        // An ordinary long path is shown whole; one of 10 MB read from the settings file is not.
        const std::string deep = "/home/user/" + std::string(1900, 'd') + "/Quorvia";
        const std::string whole = "Impossible de créer le fichier " + deep;
        QCOMPARE(shownText(*makeWarningBox(whole)), QString::fromStdString(whole));
        const std::string path = "/start/" + std::string(10'000'000, 'p') + "/Quorvia.db";
        auto box = makeWarningBox("Impossible d'ouvrir le fichier " + path);
        QVERIFY(box->text().size() < 10'000);
        QVERIFY(
            shownText(*box).startsWith(QStringLiteral("Impossible d'ouvrir le fichier /start/")));
        QVERIFY(shownText(*box).endsWith(QStringLiteral("/Quorvia.db")));
        // The program's own words stay UTF-8 beside a name that is not.
        QVERIFY(shownText(*makeWarningBox("Impossible de créer le fichier /caf\xE9/db"))
                    .startsWith(QStringLiteral("Impossible de créer le fichier /caf")));
        // The tree shows such a name as the root's text, cut the same way before it is decoded.
        const QString shown = toShownLine(path + "\xC3\xA9");
        QVERIFY(shown.size() < 10'000);
        QVERIFY(shown.startsWith(QStringLiteral("/start/ppp")) &&
                shown.endsWith(QStringLiteral("db\u00e9")));
        std::string lines = "first\n";
        for (int i = 0; i < 100'000; ++i) {
            lines += "line\n";
        }
        auto many = makeErrorBox(lines + "last");
        QVERIFY(many->text().size() < 10'000);
        QVERIFY(many->text().startsWith(QStringLiteral("first\nline\n")));
        QVERIFY(many->text().endsWith(QStringLiteral("line\nlast.")));
    }

    void confirmationBoxAnswersItsDefaultOnEnterAndNoOnEscape() {
        auto box = makeConfirmationBox("Please confirm deletion, Are you sure ?");
        QCOMPARE(box->windowTitle(), QStringLiteral("Confirmation"));
        QCOMPARE(box->text(), QStringLiteral("Please confirm deletion, Are you sure ?"));
        QCOMPARE(box->buttons().size(), 2);
        QCOMPARE(box->defaultButton()->text(), QStringLiteral("&Oui"));
        QCOMPARE(box->escapeButton()->text(), QStringLiteral("&Non"));

        // Enter answers Yes, Escape answers No.
        box->show();
        QTest::keyClick(box.get(), Qt::Key_Return);
        QCOMPARE(box->clickedButton(), static_cast<QAbstractButton*>(box->defaultButton()));
        auto second = makeConfirmationBox("?");
        second->show();
        QTest::keyClick(second.get(), Qt::Key_Escape);
        QCOMPARE(second->clickedButton(), second->escapeButton());
        // A question whose Yes writes over someone's work answers Enter with No.
        auto overwrite = makeConfirmationBox("Save over it?", ConfirmationDefault::No);
        QCOMPARE(overwrite->defaultButton()->text(), QStringLiteral("&Non"));
        overwrite->show();
        QTest::keyClick(overwrite.get(), Qt::Key_Return);
        QCOMPARE(overwrite->buttonRole(overwrite->clickedButton()), QMessageBox::NoRole);
    }
};

QTEST_MAIN(MessageBoxesTest)
#include "MessageBoxesTest.moc"
