#include "ui/qt/AboutRoutines.h"

#include "support/VCLRoutines.h"
#include "ui/KlavoraFormLayout.h"
#include "ui/qt/FontRoutines.h"

TAbout* About = nullptr;

TAbout::TAbout(QWidget* Owner)
    : QDialog(Owner,
          Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint
              | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
{
    // "Close" is made before "Home Page", which puts it first in the tab order.
    ProgramName = new QLabel(QStringLiteral("Klavora.Lite"), this);
    Label1 = new QLabel(QStringLiteral("Free MIDI keyboard controller for every musician."), this);
    Button3 = new QPushButton(QStringLiteral("Close"), this);
    Button2 = new QPushButton(QStringLiteral("Home Page"), this);
    setWindowTitle(QStringLiteral("About Klavora.Lite"));
    setFont(TahomaFont(11));
    setFixedSize(AboutWidth, AboutHeight);

    ProgramName->setObjectName(QStringLiteral("ProgramName"));
    ProgramName->setGeometry(8, 8, 305, 18);
    ProgramName->setAlignment(Qt::AlignCenter);
    ProgramName->setFont(TahomaFont(15, true));

    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(0, 52, 313, 13);
    Label1->setAlignment(Qt::AlignCenter);

    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setGeometry(128, 72, 75, 25);
    connect(Button2, &QPushButton::clicked, this, &TAbout::Button2Click);

    Button3->setObjectName(QStringLiteral("Button3"));
    Button3->setGeometry(208, 72, 75, 25);
    connect(Button3, &QPushButton::clicked, this, &TAbout::Button3Click);
}

void TAbout::Button2Click()
{
    ShellOpen(HomePageAddress);
}

void TAbout::Button3Click()
{
    accept();
}

void TAbout::showEvent(QShowEvent* Event)
{
    QDialog::showEvent(Event);
    Button3->setFocus(Qt::TabFocusReason);
}

void PlaceOver(QWidget& Box, const QWidget& MainWindow)
{
    const QRect Main = MainWindow.frameGeometry();
    const QSize Size = Box.frameGeometry().size();
    const TPoint Corner = CentredOver({Main.x(), Main.y(), Main.width(), Main.height()}, Size.width(), Size.height());
    Box.move(Corner.X, Corner.Y);
}
