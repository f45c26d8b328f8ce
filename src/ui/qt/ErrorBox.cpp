#include "ui/qt/ErrorBox.h"

#include <QApplication>
#include <QMessageBox>
#include <QWidget>

#include "support/ErrorRoutines.h"

TQtErrorBox QtErrorBox;

void TQtErrorBox::Run(const std::string& Message)
{
    for (QWidget* Window : QApplication::topLevelWidgets())
        if (Window->windowType() == Qt::SplashScreen && Window->isVisible())
            Window->hide();
    QMessageBox Box(QMessageBox::NoIcon, QString::fromLatin1(ErrorCaption), QString::fromUtf8(Message),
                    QMessageBox::Ok, QApplication::activeWindow());
    Box.setTextFormat(Qt::PlainText);
    OpenBox = &Box;
    Box.exec();
    OpenBox = nullptr;
}

void TQtErrorBox::Close()
{
    if (OpenBox != nullptr)
        OpenBox->done(QMessageBox::Ok);
}
