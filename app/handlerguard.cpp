#include "app/handlerguard.h"

#include <QApplication>
#include <QMessageBox>

void showException(const std::exception &error)
{
    QMessageBox box(QMessageBox::Critical, QApplication::applicationDisplayName(),
                    QString::fromLocal8Bit(error.what()), QMessageBox::Ok,
                    QApplication::activeWindow());
    box.setObjectName(QStringLiteral("ExceptionBox"));
    box.exec();
}
