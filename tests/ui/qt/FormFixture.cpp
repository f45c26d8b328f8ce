#define QTEST_QPA_MOUSE_HANDLING
#include "FormFixture.h"

#include <memory>

#include <QComboBox>
#include <QTest>

#include "ui/qt/KlavoraApplication.h"
#include "ui/qt/KlavoraForm.h"

// Owns the application object until every test has run: Qt must not be
// torn down by the exit handlers.
class TApplicationEnvironment : public testing::Environment {
public:
    void TearDown() override { Application.reset(); }

    std::unique_ptr<TKlavoraApplication> Application;
};

void EnsureApplication()
{
    static int Argc = 1;
    static char Name[] = "test_ui";
    static char* Argv[] = {Name, nullptr};
    static auto* Environment =
        static_cast<TApplicationEnvironment*>(testing::AddGlobalTestEnvironment(new TApplicationEnvironment));
    if (!Environment->Application)
        Environment->Application = std::make_unique<TKlavoraApplication>(Argc, Argv);
}

void FormTest::TearDown()
{
    // A button a test left down would be seen as held by the next test.
    for (Qt::MouseButton Button : {Qt::LeftButton, Qt::MiddleButton, Qt::RightButton})
        if (Form1 != nullptr && QGuiApplication::mouseButtons().testFlag(Button))
            QTest::mouseRelease(Form1, Button);
    delete Form1;
    Form1 = nullptr;
}

void FormTest::CreateFormKeepingTraffic()
{
    Form1 = new TForm1;
    Form1->show();
    Form1->activateWindow();
    QApplication::processEvents();
}

void FormTest::CreateForm()
{
    CreateFormKeepingTraffic();
    Service.ClearRecords();
}

void FormTest::SendKey(QEvent::Type Type, int QtKey, quint32 ScanCode, Qt::KeyboardModifiers Modifiers, bool AutoRepeat)
{
    QKeyEvent Event(Type, QtKey, Modifiers, ScanCode, 0, 0, QString(), AutoRepeat);
    QApplication::sendEvent(Form1->windowHandle(), &Event);
}

void FormTest::PressKey(int QtKey, quint32 ScanCode, Qt::KeyboardModifiers Modifiers)
{
    SendKey(QEvent::KeyPress, QtKey, ScanCode, Modifiers);
}

void FormTest::ReleaseKey(int QtKey, quint32 ScanCode, Qt::KeyboardModifiers Modifiers)
{
    SendKey(QEvent::KeyRelease, QtKey, ScanCode, Modifiers);
}

void FormTest::MousePress(QWidget* Widget, Qt::MouseButton Button)
{
    // Low on the key, below any black key lying over a white one.
    QTest::mousePress(Widget, Button, Qt::NoModifier, QPoint(Widget->width() / 2, Widget->height() - 4));
}

void FormTest::MouseRelease(QWidget* Widget, Qt::MouseButton Button)
{
    QTest::mouseRelease(Widget, Button, Qt::NoModifier, QPoint(Widget->width() / 2, Widget->height() - 4));
}

void FormTest::Click(QWidget* Widget, Qt::MouseButton Button)
{
    MousePress(Widget, Button);
    MouseRelease(Widget, Button);
}

void FormTest::Choose(QWidget* List, int Index)
{
    auto* Box = static_cast<QComboBox*>(List);
    Box->setCurrentIndex(Index);
    emit Box->activated(Index);
}
