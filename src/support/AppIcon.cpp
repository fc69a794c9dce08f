#include "support/AppIcon.h"

#include <QGuiApplication>

namespace marrowlight {

QIcon MarrowlightIcon() {
    return QIcon(QStringLiteral(":/icons/marrowlight.svg"));
}

void SetDesktopIdentity() {
    QGuiApplication::setWindowIcon(MarrowlightIcon());
    QGuiApplication::setDesktopFileName(QString::fromLatin1(DesktopFileId));
}

} // namespace marrowlight
