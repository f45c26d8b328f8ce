#include <gtest/gtest.h>

#include <QApplication>
#include <QFontInfo>
#include <QKeyEvent>
#include <QTimer>
#include <functional>
#include <string>
#include <vector>

#include "FormFixture.h"
#include "support/VCLRoutines.h"
#include "ui/qt/AboutRoutines.h"

namespace {
class AboutTest : public testing::Test {
protected:
    void SetUp() override
    {
        EnsureApplication();
        Replaced = SetShellOpener([this](const std::string& Target) { Opened.push_back(Target); });
    }
    void TearDown() override { SetShellOpener(Replaced); }

    // Shows the box modally and runs While inside the modal loop.
    int ShowModally(TAbout& Box, const std::function<void()>& While)
    {
        QTimer::singleShot(0, &Box, While);
        return Box.exec();
    }

    std::vector<std::string> Opened;
    TShellOpener Replaced;
};

// The window system activates a shown window a few events later.
void WaitUntilActive(QWidget& Window)
{
    for (int Round = 0; Round < 1000 && QApplication::activeWindow() != &Window; ++Round)
        QApplication::processEvents();
    ASSERT_EQ(QApplication::activeWindow(), &Window);
}

void PressTab(QWidget* Target)
{
    ASSERT_NE(Target, nullptr);
    QKeyEvent Press(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
    QApplication::sendEvent(Target, &Press);
}
}

TEST_F(AboutTest, HasTheCaptionFrameAndControlsOfItsTable)
{
    TAbout Box;
    EXPECT_EQ(Box.windowTitle(), "About Klavora.Lite");
    EXPECT_EQ(Box.size(), QSize(322, 110));
    EXPECT_EQ(Box.minimumSize(), Box.maximumSize());
    const Qt::WindowFlags Flags = Box.windowFlags();
    EXPECT_TRUE(Flags.testFlag(Qt::WindowSystemMenuHint));
    EXPECT_TRUE(Flags.testFlag(Qt::WindowCloseButtonHint));
    EXPECT_FALSE(Flags.testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_FALSE(Flags.testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_FALSE(Flags.testFlag(Qt::WindowContextHelpButtonHint));

    EXPECT_EQ(Box.font().pixelSize(), 11);
    EXPECT_EQ(Box.font().families().value(0), "Tahoma");
    EXPECT_FALSE(QFontInfo(Box.font()).family().isEmpty());

    EXPECT_EQ(Box.ProgramName->objectName(), "ProgramName");
    EXPECT_EQ(Box.ProgramName->geometry(), QRect(8, 8, 305, 18));
    EXPECT_EQ(Box.ProgramName->text(), "Klavora.Lite");
    EXPECT_EQ(Box.ProgramName->alignment(), Qt::AlignCenter);
    EXPECT_TRUE(Box.ProgramName->font().bold());
    EXPECT_EQ(Box.ProgramName->font().pixelSize(), 15);

    EXPECT_EQ(Box.Label1->objectName(), "Label1");
    EXPECT_EQ(Box.Label1->geometry(), QRect(0, 52, 313, 13));
    EXPECT_EQ(Box.Label1->alignment(), Qt::AlignCenter);
    EXPECT_FALSE(Box.Label1->text().isEmpty());
    EXPECT_FALSE(Box.Label1->text().contains('\n'));

    EXPECT_EQ(Box.Button2->objectName(), "Button2");
    EXPECT_EQ(Box.Button2->geometry(), QRect(128, 72, 75, 25));
    EXPECT_EQ(Box.Button2->text(), "Home Page");
    EXPECT_EQ(Box.Button3->objectName(), "Button3");
    EXPECT_EQ(Box.Button3->geometry(), QRect(208, 72, 75, 25));
    EXPECT_EQ(Box.Button3->text(), "Close");
}

TEST_F(AboutTest, CloseHasTheFocusAtEveryShowingAndComesBeforeHomePage)
{
    TAbout Box;
    std::vector<QWidget*> TabOrder;
    for (QWidget* Next = Box.nextInFocusChain(); Next != &Box; Next = Next->nextInFocusChain())
        if (Next->focusPolicy() & Qt::TabFocus)
            TabOrder.push_back(Next);
    EXPECT_EQ(TabOrder, (std::vector<QWidget*>{Box.Button3, Box.Button2}));

    std::vector<QWidget*> Focused;
    auto RecordTabAndClose = [&] {
        WaitUntilActive(Box);
        Focused.push_back(QApplication::focusWidget());
        PressTab(QApplication::focusWidget());
        Focused.push_back(QApplication::focusWidget());
        Box.Button3->click();
    };
    EXPECT_EQ(ShowModally(Box, RecordTabAndClose), QDialog::Accepted);
    EXPECT_FALSE(Box.isVisible());
    EXPECT_EQ(ShowModally(Box, RecordTabAndClose), QDialog::Accepted);
    EXPECT_EQ(Focused, (std::vector<QWidget*>{Box.Button3, Box.Button2, Box.Button3, Box.Button2}));
}

TEST_F(AboutTest, HomePageOpensTheHomePageAndLeavesTheBoxOpen)
{
    TAbout Box;
    bool OpenAfterHomePage = false;
    const int Result = ShowModally(Box, [&] {
        Box.Button2->click();
        OpenAfterHomePage = Box.isVisible();
        Box.Button3->click();
    });
    EXPECT_TRUE(OpenAfterHomePage);
    EXPECT_EQ(Opened, (std::vector<std::string>{HomePageAddress}));
    EXPECT_EQ(Result, QDialog::Accepted);
}

TEST_F(AboutTest, PlaceOverCentresTheWholeBoxOverTheMainWindowWhereverItStands)
{
    QWidget Main;
    TAbout Box;
    for (const QRect& Where : {QRect(40, 30, 507, 233), QRect(-120, -60, 300, 90)}) {
        Main.setGeometry(Where);
        PlaceOver(Box, Main);
        const QRect Frame = Main.frameGeometry();
        const QSize Size = Box.frameGeometry().size();
        EXPECT_EQ(Box.frameGeometry().left(), Frame.left() + (Frame.width() - Size.width()) / 2);
        EXPECT_EQ(Box.frameGeometry().top(), Frame.top() + (Frame.height() - Size.height()) / 2);
    }
}
