// What the window figures share: waiting for the next frame, the settings file that names the
// database to open, and keys pressed as the user presses them.
#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QPointer>
#include <QWidget>
#include <string>

namespace quorvia::bench {

// Counts the paints of a widget, so a figure can wait for the next frame.
class PaintCounter final : public QObject {
public:
    explicit PaintCounter(QWidget* widget) : m_widget(widget) { widget->installEventFilter(this); }
    ~PaintCounter() override {
        if (m_widget != nullptr) {
            m_widget->removeEventFilter(this);
        }
    }

    // Processes events until the widget has been painted once more.
    void waitForFrame() {
        const int before = m_paints;
        m_widget->update();
        QElapsedTimer waited;
        waited.start();
        while (m_paints == before && waited.elapsed() < 60'000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        }
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            ++m_paints;
        }
        return false;
    }

private:
    QPointer<QWidget> m_widget;  // the window may be gone first
    int m_paints = 0;
};

// Points the settings file of the start directory (the current one) at `database`.
void openNext(const std::string& database);

// Presses and releases a key on `widget`, with the text it types.
void pressKey(QWidget* widget, Qt::Key key, const QString& text);
// "*" on the view: everything below its current node opens.
inline void pressExpandAll(QWidget* view) {
    pressKey(view, Qt::Key_Asterisk, QStringLiteral("*"));
}

}  // namespace quorvia::bench
