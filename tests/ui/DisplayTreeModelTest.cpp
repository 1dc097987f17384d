#include <QAbstractItemModelTester>
#include <QPixmap>
#include <QtTest>
#include <memory>

#include "model/DatabaseFile.h"
#include "model/DisplayRebuild.h"
#include "ui/DisplayTreeModel.h"
#include "ui/Pictures.h"
#include "ui/Text.h"

using namespace quorvia;
using quorvia::ui::DisplayTreeModel;

namespace {

void load(model::Tree& tree, const std::string& lines) {
    model::BulkUpdate update(tree);
    model::parseDatabase(tree, std::make_shared<const std::string>(lines));
    (void)model::rebuildDisplay(tree, "db");
}

}  // namespace

class DisplayTreeModelTest : public QObject {
    Q_OBJECT

private slots:
    void statePictureRule_data() {
        QTest::addColumn<int>("iconIndex");
        QTest::addColumn<int>("number");
        QTest::addColumn<bool>("shows");
        QTest::newRow("object icon 0") << 0 << 0 << false;
        QTest::newRow("root parcel") << 1 << 1 << true;
        QTest::newRow("last picture") << 14 << 14 << true;
        QTest::newRow("15") << 15 << 15 << false;
        QTest::newRow("16 wraps") << 16 << 0 << false;
        QTest::newRow("17 wraps") << 17 << 1 << true;
        QTest::newRow("attribute") << -1 << 0 << false;
        QTest::newRow("-2") << -2 << 15 << false;
        QTest::newRow("-3") << -3 << 14 << true;
        QTest::newRow("-16") << -16 << 1 << true;
        QTest::newRow("min") << INT32_MIN << 1 << true;
        QTest::newRow("max") << INT32_MAX << 15 << false;
    }
    void statePictureRule() {
        QFETCH(int, iconIndex);
        QFETCH(int, number);
        QFETCH(bool, shows);
        QCOMPARE(ui::statePictureNumber(iconIndex), number);
        QCOMPARE(ui::showsStatePicture(iconIndex), shows);
    }

    void statePicturesAreSixteenPixelsAndTheFirstIsEmpty() {
        const auto& pictures = ui::Pictures::instance();
        for (int i = 0; i < ui::kStatePictureCount; ++i) {
            QCOMPARE(pictures.statePicture(i).deviceIndependentSize().toSize(), QSize(16, 16));
        }
        const QImage empty = pictures.statePicture(0).toImage();
        for (int y = 0; y < empty.height(); ++y) {
            for (int x = 0; x < empty.width(); ++x) {
                QCOMPARE(qAlpha(empty.pixel(x, y)), 0);
            }
        }
        // Every picture is its own.
        for (int i = 1; i < ui::kStatePictureCount; ++i) {
            for (int j = i + 1; j < ui::kStatePictureCount; ++j) {
                QVERIFY(pictures.statePicture(i).toImage() != pictures.statePicture(j).toImage());
            }
        }
    }

    void answersFromTheTree() {
        model::Tree tree;
        load(tree, "root\n\tO;Contacts;3\n\t\tT;Phone;555\n\tO;Empty;0\n\tO;Odd;-1\n");
        DisplayTreeModel model(tree);
        QAbstractItemModelTester tester(&model);

        QCOMPARE(model.rowCount(), 1);
        const QModelIndex root = model.index(0, 0);
        QCOMPARE(root.data().toString(), QStringLiteral("db"));
        QCOMPARE(model.rowCount(root), 3);
        const QModelIndex contacts = model.index(0, 0, root);
        const QModelIndex phone = model.index(0, 0, contacts);
        QCOMPARE(phone.data().toString(), QStringLiteral("Phone: 555"));
        QCOMPARE(model.parent(phone), contacts);
        QCOMPARE(model.nodeOf(phone)->shownText(), std::string("Phone: 555"));

        // Attributes, and anything with icon index -1, are pure blue; objects take the tree's
        // own colour.
        QCOMPARE(phone.data(Qt::ForegroundRole).value<QColor>(), QColor(0, 0, 255));
        const QModelIndex odd = model.index(2, 0, root);
        QCOMPARE(odd.data(Qt::ForegroundRole).value<QColor>(), QColor(0, 0, 255));
        QVERIFY(!contacts.data(Qt::ForegroundRole).isValid());

        QVERIFY(root.data(Qt::DecorationRole).canConvert<QPixmap>());
        QVERIFY(contacts.data(Qt::DecorationRole).canConvert<QPixmap>());
        // Icon index 0 shows no picture.
        QVERIFY(!model.index(1, 0, root).data(Qt::DecorationRole).isValid());
        QVERIFY(!phone.data(Qt::DecorationRole).isValid());
        QVERIFY(!(model.flags(phone) & Qt::ItemIsEditable));
    }

    void bulkAppendsArriveAsOneInsertPerParent() {
        model::Tree tree;
        load(tree, "root\n\tO;A;1\n\tO;B;1\n");
        DisplayTreeModel model(tree);
        QAbstractItemModelTester tester(&model);
        QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
        model::Node* a = tree.nodeAt(1);
        model::Node* b = tree.nodeAt(2);
        const QPersistentModelIndex persistentB = model.indexOf(b);
        {
            model::BulkUpdate update(tree);
            for (int i = 0; i < 50; ++i) {
                model::Node* object = tree.appendChild(a, "object");
                tree.appendChild(object, "attribute");
            }
            tree.appendChild(b, "one");
            QCOMPARE(inserted.count(), 0);
            // The view sees nothing yet.
            QCOMPARE(model.rowCount(model.indexOf(a)), 0);
        }
        QCOMPARE(inserted.count(), 2);
        QCOMPARE(model.rowCount(model.indexOf(a)), 50);
        QCOMPARE(model.rowCount(model.index(49, 0, model.indexOf(a))), 1);
        QVERIFY(persistentB.isValid());
        QCOMPARE(persistentB.row(), 1);
    }

    void removalsChangesAndResets() {
        model::Tree tree;
        load(tree, "root\n\tO;A;1\n\t\tT;x;y\n\tO;B;1\n\tO;C;1\n");
        DisplayTreeModel model(tree);
        QAbstractItemModelTester tester(&model);
        const QPersistentModelIndex c = model.indexOf(tree.nodeAt(4));
        QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
        tree.removeSubtree(tree.nodeAt(1));
        QCOMPARE(removed.count(), 1);
        QCOMPARE(c.row(), 1);
        QCOMPARE(c.data().toString(), QStringLiteral("C"));

        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
        tree.setText(tree.nodeAt(1), "B2");
        QCOMPARE(changed.count(), 1);
        QCOMPARE(model.index(0, 0, model.index(0, 0)).data().toString(), QStringLiteral("B2"));

        QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
        load(tree, "other\n\tO;Z;2\n");
        QCOMPARE(reset.count(), 1);
        QVERIFY(!c.isValid());
        QCOMPARE(model.rowCount(model.index(0, 0)), 1);
    }

    void keyboardSearchFindsWhatQtsOwnSearchFinds() {
        // Texts whose first bytes decide and texts only their decoding can tell: Latin-1 bytes
        // (shown through the fallback), a Kelvin sign (folds to "k"), double-byte characters
        // (in Shift_JIS "\x83\x41" is one letter), a control byte and a text shown cut.
        const std::vector<std::string> texts{"Kate",
                                             "ka\xE9",
                                             "\xE2\x84\xAAilo",
                                             "abc",
                                             "ABD",
                                             "",
                                             "\x83\x41x",
                                             "a\x83\x41",
                                             "a\x01b",
                                             "zed",
                                             "Ab" + std::string(5000, 'x'),
                                             "T;n;v",
                                             "n: v"};
        std::string lines = "root\n";
        for (const std::string& text : texts) {
            lines += "\tO;" + text + ";0\n";
        }
        for (const char* page : {ui::kDefaultCodePage, "Shift_JIS", "windows-1252"}) {
            QVERIFY(ui::setCodePage(QString::fromLatin1(page)));
            model::Tree tree;
            load(tree, lines);
            DisplayTreeModel model(tree);
            const QModelIndex root = model.index(0, 0);
            const Qt::MatchFlags flags = Qt::MatchStartsWith | Qt::MatchWrap;
            for (const char* search : {"k", "KA", "a", "ab", "ABC", "z", "n:", "x", "\xC3\xA9"}) {
                for (int row = 0; row < model.rowCount(root); ++row) {
                    const QModelIndex start = model.index(row, 0, root);
                    const QString text = QString::fromUtf8(search);
                    QCOMPARE(
                        model.match(start, Qt::DisplayRole, text, 1, flags),
                        model.QAbstractItemModel::match(start, Qt::DisplayRole, text, 1, flags));
                }
            }
        }
        QVERIFY(ui::setCodePage(QString::fromLatin1(ui::kDefaultCodePage)));
    }

    void logicRequestsReachTheView() {
        model::Tree tree;
        load(tree, "root\n\tO;A;1\n\t\tT;x;y\n");
        DisplayTreeModel model(tree);
        QSignalSpy expand(&model, &DisplayTreeModel::expandRequested);
        QSignalSpy select(&model, &DisplayTreeModel::selectRequested);
        QSignalSpy scroll(&model, &DisplayTreeModel::scrollToRequested);
        tree.makeVisible(tree.nodeAt(2));
        tree.select(tree.nodeAt(2));
        QCOMPARE(expand.count(), 2);
        QCOMPARE(select.count(), 1);
        QCOMPARE(select.at(0).at(0).value<QModelIndex>(), model.indexOf(tree.nodeAt(2)));
        QCOMPARE(scroll.count(), 1);
    }
};

QTEST_MAIN(DisplayTreeModelTest)
#include "DisplayTreeModelTest.moc"
