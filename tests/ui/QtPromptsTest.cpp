#include <QtTest>
#include <atomic>
#include <chrono>
#include <thread>

#include "platform/Error.h"
#include "ui/QtPrompts.h"

using namespace quorvia;
using namespace quorvia::ui;

class QtPromptsTest : public QObject {
    Q_OBJECT

private slots:
    void theFileDialogsAsTheWindowOwnsThem() {
        QWidget window;
        QFileDialog* open = makeOpenDialog(&window);
        QFileDialog* save = makeSaveDialog(&window);
        QCOMPARE(open->parent(), &window);
        QCOMPARE(open->acceptMode(), QFileDialog::AcceptOpen);
        // A name that does not exist is taken.
        QCOMPARE(open->fileMode(), QFileDialog::AnyFile);
        QCOMPARE(save->acceptMode(), QFileDialog::AcceptSave);
        QVERIFY(!save->testOption(QFileDialog::DontConfirmOverwrite));
        QVERIFY(open->nameFilters().join(QString()).contains(QLatin1Char('*')));
        QVERIFY(open->defaultSuffix().isEmpty());
        QVERIFY(save->defaultSuffix().isEmpty());
    }

    void whileBusyWaitsForTheWorkWithTheBusyPointerAndNoInput() {
        QWidget window;
        QtPrompts prompts(&window, nullptr, nullptr);
        std::atomic<bool> done{false};
        Qt::CursorShape during = Qt::ArrowCursor;
        QTimer::singleShot(20, [&] {
            if (const QCursor* cursor = QGuiApplication::overrideCursor()) {
                during = cursor->shape();
            }
        });
        prompts.whileBusy([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            done = true;
        });
        QVERIFY(done);
        // The window's events kept running meanwhile.
        QCOMPARE(during, Qt::WaitCursor);
        QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
    }

    void whileBusyPassesErrorsOn() {
        QtPrompts prompts(nullptr, nullptr, nullptr);
        QVERIFY_THROWS_EXCEPTION(Error, prompts.whileBusy([] { throw Error("boom"); }));
        QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
    }
};

QTEST_MAIN(QtPromptsTest)
#include "QtPromptsTest.moc"
