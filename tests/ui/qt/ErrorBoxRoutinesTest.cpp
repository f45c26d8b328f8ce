#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include "FormFixture.h"
#include "support/ErrorRoutines.h"
#include "ui/qt/ErrorBox.h"

namespace {

struct TShownBox {
    QString Caption;
    QString Text;
    QMessageBox::Icon Icon;
    int ButtonCount;
    Qt::TextFormat Format;
    int BoxesUp;
};

std::vector<QMessageBox*> BoxesUp()
{
    std::vector<QMessageBox*> Boxes;
    for (QWidget* Widget : QApplication::topLevelWidgets())
        if (auto* Box = qobject_cast<QMessageBox*>(Widget); Box && Box->isVisible())
            Boxes.push_back(Box);
    return Boxes;
}

}

TEST(ErrorBoxRoutinesTest, ShowsOneModalBoxAtATimeWithTheTextAsPassed)
{
    EnsureApplication();
    ErrorBoxStart(QtErrorBox);
    std::vector<TShownBox> Shown;
    QTimer Watcher;
    Watcher.setInterval(10);
    QObject::connect(&Watcher, &QTimer::timeout, [&Shown] {
        const auto Boxes = BoxesUp();
        if (Boxes.empty())
            return;
        QMessageBox* Box = Boxes.front();
        Shown.push_back({Box->windowTitle(), Box->text(), Box->icon(), static_cast<int>(Box->buttons().size()),
                         Box->textFormat(), static_cast<int>(Boxes.size())});
        // A failure while the first box is up waits for it.
        if (Shown.size() == 1)
            ShowError("Second <b>failure</b>");
        Box->button(QMessageBox::Ok)->click();
    });
    Watcher.start();
    ShowError("Device is not opended.");
    Watcher.stop();
    ErrorBoxStop();

    ASSERT_EQ(Shown.size(), 2u);
    EXPECT_EQ(Shown[0].Caption, "Application Error");
    EXPECT_EQ(Shown[0].Text, "Device is not opended.");
    EXPECT_EQ(Shown[0].Icon, QMessageBox::NoIcon);
    EXPECT_EQ(Shown[0].ButtonCount, 1);
    EXPECT_EQ(Shown[1].Text, "Second <b>failure</b>");
    EXPECT_EQ(Shown[1].Format, Qt::PlainText);
    EXPECT_EQ(Shown[0].BoxesUp + Shown[1].BoxesUp, 2);
}
