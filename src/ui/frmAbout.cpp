#include "ui/frmAbout.h"

#include <QDesktopServices>
#include <QFile>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QStyle>
#include <QSvgRenderer>
#include <QUrl>

#include "ui/DialogStyle.h"

namespace quorvia::ui {

namespace {

QLabel* makePicture(QWidget* parent, const char* objectName, const QString& resource,
                    const QRect& geometry) {
    auto* picture = new QLabel(parent);
    picture->setObjectName(QString::fromLatin1(objectName));
    picture->setGeometry(geometry);
    QPixmap pixmap(geometry.size() * parent->devicePixelRatioF());
    pixmap.setDevicePixelRatio(parent->devicePixelRatioF());
    pixmap.fill(Qt::transparent);
    QSvgRenderer renderer(resource);
    QPainter painter(&pixmap);
    renderer.render(&painter, QRectF(QPointF(0, 0), geometry.size()));
    painter.end();
    picture->setPixmap(pixmap);
    return picture;
}

QLabel* makeText(QWidget* parent, const char* objectName, const QString& text, QPoint at) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(objectName));
    label->move(at);
    label->adjustSize();
    return label;
}

QString licenceText() {
    QFile file(QStringLiteral(":/licence.txt"));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

}  // namespace

frmAbout::frmAbout(QWidget* parent) : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("frmAbout"));
    setFixedSize(303, 404);
    setFont(dialogFont(10));
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    white.setColor(QPalette::Base, Qt::white);
    setPalette(white);
    setAutoFillBackground(true);

    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setGeometry(rect());
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setLineWidth(2);

    makePicture(panel, "Image1", QStringLiteral(":/about/emblem.svg"), QRect(16, 16, 52, 48));
    makePicture(panel, "Image2", QStringLiteral(":/about/banner.svg"), QRect(72, 16, 200, 50));
    makePicture(panel, "Image3", QStringLiteral(":/about/name.svg"), QRect(16, 80, 137, 41));
    makeText(panel, "Label3", QStringLiteral("Version 1.1.0"), QPoint(160, 72));
    makeText(panel, "Label4", QStringLiteral("Teslund Mobile Tools"), QPoint(160, 88));
    makeText(panel, "Label1", QStringLiteral("© Teslund"), QPoint(160, 104));

    webAddress = makeText(panel, "lbWeb", QString::fromLatin1(kWebAddress), QPoint(160, 120));
    // Two points smaller than its neighbours, so that it takes two lines, not three.
    QFont link = dialogFont(8);
    link.setUnderline(true);
    webAddress->setFont(link);
    webAddress->adjustSize();
    QPalette blue = webAddress->palette();
    blue.setColor(QPalette::WindowText, QColor(0, 0, 255));
    webAddress->setPalette(blue);
    webAddress->setCursor(Qt::PointingHandCursor);
    webAddress->setTextInteractionFlags(Qt::LinksAccessibleByMouse);
    // The address is wider than the room right of the pictures: it wraps after a "/" (a
    // zero-width space offers the break) and stays one link over its lines.
    QString shown = QString::fromLatin1(kWebAddress);
    shown.replace(QLatin1Char('/'), QStringLiteral("/\u200B"));
    webAddress->setText(QStringLiteral("<a href=\"%1\" style=\"color:#0000ff\">%2</a>")
                            .arg(QString::fromLatin1(kWebAddress), shown));
    webAddress->setTextFormat(Qt::RichText);
    webAddress->setWordWrap(true);
    const int room = panel->contentsRect().right() - webAddress->x();
    webAddress->setFixedWidth(room);
    webAddress->setFixedHeight(webAddress->heightForWidth(room));
    webAddress->setOpenExternalLinks(false);
    connect(webAddress, &QLabel::linkActivated, this,
            [](const QString& address) { QDesktopServices::openUrl(QUrl(address)); });

    QLabel* agreement =
        makeText(panel, "Label6", QStringLiteral("License Agreement"), QPoint(16, 160));
    QFont underlined = agreement->font();
    underlined.setUnderline(true);
    agreement->setFont(underlined);
    agreement->adjustSize();

    Memo1 = new QPlainTextEdit(licenceText(), panel);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setGeometry(16, 192, 273, 169);
    Memo1->setReadOnly(true);
    Memo1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Memo1->setFont(dialogFont(8));
    nameAfterLabel(Memo1, agreement);

    BitBtn1 = new QPushButton(style()->standardIcon(QStyle::SP_DialogApplyButton),
                              QStringLiteral("OK"), panel);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setGeometry(112, 368, 75, 25);
    BitBtn1->setDefault(true);
    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);
}

void frmAbout::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Centred on the screen, with the focus in the agreement's text.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    Memo1->setFocus();
}

}  // namespace quorvia::ui
