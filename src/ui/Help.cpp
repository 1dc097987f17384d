#include "ui/Help.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>

#include "platform/Process.h"

namespace quorvia::ui {

namespace {
constexpr const char* kHelpViewer = "hh.exe";
constexpr const char* kHelpFile = "qv.chm";
constexpr const char* kHelpPage = "quorvia-help.html";
}  // namespace

QString helpPagePath() {
    const QString programFolder = QCoreApplication::applicationDirPath();
    for (const QString& candidate :
         {programFolder + QStringLiteral("/../share/doc/quorvia/") + QLatin1String(kHelpPage),
          programFolder + QLatin1Char('/') + QLatin1String(kHelpPage)}) {
        if (QFile::exists(candidate)) {
            return QDir::cleanPath(candidate);
        }
    }
    // A folder only this user can write in, so the page that opens is the program's own and not
    // one another user put first under the same name.
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty()) {
        QTemporaryDir privateFolder;
        privateFolder.setAutoRemove(false);  // the viewer reads the page after this returns
        folder = privateFolder.path();
    }
    const QString written = folder + QLatin1Char('/') + QLatin1String(kHelpPage);
    QFile::remove(written);
    QFile::copy(QStringLiteral(":/help/") + QLatin1String(kHelpPage), written);
    QFile::setPermissions(written, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther);
    return written;
}

void mmHelpClick() {
    if (platform::findProgram(kHelpViewer)) {
        platform::startDetached({kHelpViewer, kHelpFile});
        return;
    }
    QDesktopServices::openUrl(QUrl::fromLocalFile(helpPagePath()));
}

}  // namespace quorvia::ui
