#include "ui/Pictures.h"

#include <QGuiApplication>
#include <QPainter>
#include <QSvgRenderer>

// The pictures live in a static library, whose resources must be registered by hand, and
// Q_INIT_RESOURCE works only outside any namespace.
static void registerResources() {
    Q_INIT_RESOURCE(quorvia);
}

namespace quorvia::ui {

namespace {

constexpr int kPictureSize = 16;

// Renders an SVG resource at `size` logical pixels, sharp on high-density screens too.
QPixmap render(const QString& resource, int size) {
    const qreal ratio = qApp != nullptr ? qApp->devicePixelRatio() : 1.0;
    QPixmap pixmap(QSize(size, size) * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QSvgRenderer renderer(resource);
    QPainter painter(&pixmap);
    renderer.render(&painter, QRectF(0, 0, size, size));
    return pixmap;
}

}  // namespace

int statePictureNumber(std::int32_t iconIndex) {
    const std::int64_t k = iconIndex;
    const std::int64_t number = k >= 0 ? k % 16 : ((k + 1) % 16 + 16) % 16;
    return static_cast<int>(number);
}

bool showsStatePicture(std::int32_t iconIndex) {
    const int number = statePictureNumber(iconIndex);
    return number != 0 && number != 15;
}

const Pictures& Pictures::instance() {
    static const Pictures pictures;
    return pictures;
}

void loadResources() {
    static const bool loaded = [] {
        registerResources();
        return true;
    }();
    (void)loaded;
}

Pictures::Pictures() {
    loadResources();
    for (int i = 0; i < kStatePictureCount; ++i) {
        m_states[static_cast<size_t>(i)] =
            render(QStringLiteral(":/icons/state/state-%1.svg").arg(i, 2, 10, QLatin1Char('0')),
                   kPictureSize);
    }
    const char* toolbarNames[] = {"new", "open", "save", "add", "delete", "import", "export"};
    for (size_t i = 0; i < m_toolbar.size(); ++i) {
        m_toolbar[i] = QIcon(
            render(QStringLiteral(":/icons/toolbar/%1.svg").arg(QLatin1String(toolbarNames[i])),
                   kPictureSize));
    }
    for (int size : {16, 32, 48, 64}) {
        m_program.addPixmap(render(QStringLiteral(":/icons/quorvia.svg"), size));
    }
}

const QPixmap& Pictures::statePicture(int number) const {
    return m_states.at(static_cast<size_t>(number));
}

QIcon Pictures::toolbarIcon(ToolbarPicture picture) const {
    return m_toolbar.at(static_cast<size_t>(picture));
}

}  // namespace quorvia::ui
