#include "ui/qt/KlavoraForm.h"

#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QListView>
#include <QMenu>
#include <QScreen>
#include <QSignalBlocker>
#include <QTimer>

#include "ui/ErrorBoxRoutines.h"
#include "ui/qt/AboutRoutines.h"
#include "ui/qt/FontRoutines.h"
#include "ui/qt/KeyRepeatRoutines.h"
#include "ui/qt/VirtualKeyRoutines.h"

TForm1* Form1 = nullptr;

namespace {

QColor QtColor(TColor Color)
{
    return QColor(RedOf(Color), GreenOf(Color), BlueOf(Color));
}

QRect QtRect(const TRect& Rect)
{
    return QRect(Rect.Left, Rect.Top, Rect.Width, Rect.Height);
}

}

TShiftState ShiftStateOf(Qt::KeyboardModifiers Modifiers)
{
    return {Modifiers.testFlag(Qt::ShiftModifier), Modifiers.testFlag(Qt::AltModifier),
            Modifiers.testFlag(Qt::ControlModifier)};
}

TForm1::TForm1()
{
    setObjectName(QStringLiteral("Form1"));
    setFont(TahomaFont(11));
    setFocusPolicy(Qt::StrongFocus);
    CreateControls();
    CreateMenus();
    ConnectControls();
    AskForDetectableAutoRepeat();
    // Coming back from another application also takes the focus back;
    // leaving for another one, even from an error box, releases the keys.
    connect(qGuiApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState State) {
        if (State == Qt::ApplicationActive)
            Handlers.FormActivate();
        else
            Handlers.FormDeactivate();
    });
    qApp->installEventFilter(&KeysUnderBox);
    qApp->installNativeEventFilter(&KeysUnderBox);
    SetErrorBoxesClosedHandler([this] { QTimer::singleShot(0, this, [this] { Handlers.ReleaseWhatWentUp(); }); });
    Handlers.FormCreate();
}

TForm1::~TForm1()
{
    // The controls outlive the handlers (QWidget deletes them last): what
    // they say while they go, such as a list's pop-up closing, reaches no one.
    for (QObject* Child : findChildren<QObject*>())
        Child->disconnect(this);
    qGuiApp->disconnect(this);
    SetErrorBoxesClosedHandler(nullptr);
    Handlers.FormDestroy();
}

void TForm1::CreateControls()
{
    for (const TControlPlace& Place : FormControls()) {
        QWidget* Parent = Place.Parent == TFormControl::None ? this : Controls[static_cast<size_t>(Place.Parent)];
        const QString Caption = QString::fromUtf8(Place.Caption);
        QWidget* Control = nullptr;
        switch (Place.Kind) {
        case TControlKind::StaticText: {
            auto* Label = new TStaticText(Parent);
            Label->setText(Caption);
            Control = Label;
            break;
        }
        case TControlKind::GroupBox: {
            auto* Box = new QGroupBox(Caption, Parent);
            Box->setFocusPolicy(Qt::NoFocus);
            // Each release over a group box is handled once, here or nowhere.
            Box->setAttribute(Qt::WA_NoMousePropagation);
            // Every group box but "Mouse Controller" passes its releases on.
            if (Place.Control != TFormControl::GroupBox5)
                Box->installEventFilter(this);
            Control = Box;
            break;
        }
        case TControlKind::ComboBox: Control = new TComboBox(Parent); break;
        case TControlKind::TrackBar: Control = new TTrackBar(Parent); break;
        case TControlKind::PushButton:
        case TControlKind::BitmapButton:
        case TControlKind::PianoKey: Control = new TButton(Parent, Caption); break;
        }
        Control->setObjectName(QString::fromLatin1(Place.Name));
        const int Border = Place.Parent == TFormControl::None ? WindowBorderWidth : 0;
        Control->setGeometry(QtRect(Place.Place).translated(Border, Border));
        Controls[static_cast<size_t>(Place.Control)] = Control;
    }
    const auto Get = [this](TFormControl Control) { return Controls[static_cast<size_t>(Control)]; };
    StaticText1 = static_cast<TStaticText*>(Get(TFormControl::StaticText1));
    StaticText2 = static_cast<TStaticText*>(Get(TFormControl::StaticText2));
    GroupBox1 = static_cast<QGroupBox*>(Get(TFormControl::GroupBox1));
    ComboBox1 = static_cast<TComboBox*>(Get(TFormControl::ComboBox1));
    Button2 = static_cast<TButton*>(Get(TFormControl::Button2));
    GroupBox2 = static_cast<QGroupBox*>(Get(TFormControl::GroupBox2));
    ComboBox2 = static_cast<TComboBox*>(Get(TFormControl::ComboBox2));
    ComboBox3 = static_cast<TComboBox*>(Get(TFormControl::ComboBox3));
    ComboBox5 = static_cast<TComboBox*>(Get(TFormControl::ComboBox5));
    GroupBox4 = static_cast<QGroupBox*>(Get(TFormControl::GroupBox4));
    TrackBar1 = static_cast<TTrackBar*>(Get(TFormControl::TrackBar1));
    GroupBox3 = static_cast<QGroupBox*>(Get(TFormControl::GroupBox3));
    TrackBar2 = static_cast<TTrackBar*>(Get(TFormControl::TrackBar2));
    GroupBox17 = static_cast<QGroupBox*>(Get(TFormControl::GroupBox17));
    for (int32_t Index = 0; Index < OctaveButtonCount; ++Index)
        OctaveButtons[Index] = static_cast<TButton*>(Get(OctaveButton(Index)));
    GroupBox13 = static_cast<QGroupBox*>(Get(TFormControl::GroupBox13));
    for (int32_t Offset = 0; Offset < PianoKeyCount; ++Offset)
        PianoKeys[Offset] = static_cast<TButton*>(Get(PianoKey(Offset)));
    GroupBox14 = static_cast<QGroupBox*>(Get(TFormControl::GroupBox14));
    Button24 = static_cast<TButton*>(Get(TFormControl::Button24));
    Button22 = static_cast<TButton*>(Get(TFormControl::Button22));
    Button1 = static_cast<TButton*>(Get(TFormControl::Button1));
    GroupBox5 = static_cast<QGroupBox*>(Get(TFormControl::GroupBox5));
    Button4 = static_cast<TButton*>(Get(TFormControl::Button4));
}

void TForm1::CreateMenus()
{
    const auto Create = [this](TFormMenu Which, const char* Name) {
        auto* Menu = new QMenu(this);
        Menu->setObjectName(QString::fromLatin1(Name));
        for (const TMenuItemPlace& Item : MenuItems(Which)) {
            QAction* Action = Menu->addAction(QString::fromUtf8(Item.Caption));
            Action->setObjectName(QString::fromLatin1(Item.Name));
        }
        return Menu;
    };
    PopupMenu1 = Create(TFormMenu::File, "PopupMenu1");
    PopupMenu2 = Create(TFormMenu::Help, "PopupMenu2");
    File1 = PopupMenu1->actions()[0];
    const QList<QAction*> HelpActions = PopupMenu2->actions();
    Help1 = HelpActions[0];
    N2 = HelpActions[1];
    ProductHomepage1 = HelpActions[2];
    N1 = HelpActions[3];
    About1 = HelpActions[4];
}

void TForm1::ConnectControls()
{
    TFormHandlers& Form = Handlers;
    connect(StaticText1, &TStaticText::MouseDown, this, [&Form](Qt::MouseButton Button) {
        if (Button == Qt::LeftButton)
            Form.StaticTextLeftDown();
        Form.StaticText1MouseDown();
    });
    connect(StaticText2, &TStaticText::MouseDown, this, [&Form](Qt::MouseButton Button) {
        if (Button == Qt::LeftButton)
            Form.StaticTextLeftDown();
        Form.StaticText2MouseDown();
    });
    connect(File1, &QAction::triggered, this, [&Form] { Form.File1Click(); });
    connect(Help1, &QAction::triggered, this, [&Form] { Form.Help1Click(); });
    connect(ProductHomepage1, &QAction::triggered, this, [&Form] { Form.ProductHomepage1Click(); });
    connect(About1, &QAction::triggered, this, [&Form] { Form.About1Click(); });

    connect(ComboBox1, &TComboBox::PopupOpening, this, [&Form] { Form.ComboBox1DropDown(); });
    for (TComboBox* List : {ComboBox2, ComboBox3, ComboBox5})
        connect(List, &TComboBox::PopupOpening, this, [&Form] { Form.ListDropDown(); });
    for (TComboBox* List : {ComboBox1, ComboBox2, ComboBox3, ComboBox5}) {
        connect(List, &TComboBox::CloseUp, this, [&Form] { Form.ListCloseUp(); });
        connect(List, &TComboBox::MouseUp, this, [&Form](TMouseButton Button) { Form.ControlMouseUp(Button); });
    }
    connect(ComboBox1, &QComboBox::activated, this, [&Form](int Index) { Form.ComboBox1Change(Index); });
    connect(ComboBox2, &QComboBox::activated, this, [&Form](int Index) { Form.ComboBox2Change(Index); });
    connect(ComboBox3, &QComboBox::activated, this, [&Form](int Index) { Form.ComboBox3Change(Index); });
    connect(ComboBox5, &QComboBox::activated, this, [&Form](int Index) { Form.ComboBox5Change(Index); });
    for (TTrackBar* Bar : {TrackBar1, TrackBar2})
        connect(Bar, &TTrackBar::MouseUp, this, [&Form](TMouseButton Button) { Form.ControlMouseUp(Button); });
    connect(TrackBar1, &QSlider::valueChanged, this, [&Form](int Position) { Form.TrackBar1Change(Position); });
    connect(TrackBar2, &QSlider::valueChanged, this, [&Form](int Position) { Form.TrackBar2Change(Position); });

    for (const TControlPlace& Place : FormControls()) {
        auto* Button = qobject_cast<TButton*>(Controls[static_cast<size_t>(Place.Control)]);
        if (Button == nullptr)
            continue;
        connect(Button, &TButton::MouseUp, this, [&Form](QMouseEvent* Event) {
            if (const auto Released = MouseButtonOf(Event->button()))
                Form.FormMouseUp(*Released);
            else
                Form.FormActivate();
        });
        const TFormControl Control = Place.Control;
        if (const auto Offset = PianoKeyOffset(Control)) {
            connect(Button, &TButton::MouseDown, this, [&Form, Offset = *Offset](QMouseEvent* Event) {
                if (const auto Pressed = MouseButtonOf(Event->button()))
                    Form.KeyboardButtonMouseDown(Offset, *Pressed, MouseButtonsOf(Event->buttons()));
            });
        } else if (const auto Number = OctaveButtonNumber(Control)) {
            connect(Button, &TButton::MouseDown, this, [&Form, Number = *Number] { Form.o1MouseDown(Number); });
        }
    }
    connect(Button2, &QPushButton::clicked, this, [&Form] { Form.Button2Click(); });
    connect(Button24, &TButton::MouseDown, this, [&Form] { Form.Button24MouseDown(); });
    connect(Button22, &TButton::MouseDown, this, [&Form] { Form.Button22MouseDown(); });
    connect(Button1, &TButton::MouseDown, this, [&Form] { Form.Button1MouseDown(); });
    connect(Button4, &TButton::MouseDown, this, [&Form] { Form.Button3MouseDown(); });
}

QComboBox* TForm1::ListOf(TFormControl List) const
{
    return static_cast<QComboBox*>(Controls[static_cast<size_t>(List)]);
}

QSlider* TForm1::TrackBarOf(TFormControl Bar) const
{
    return static_cast<QSlider*>(Controls[static_cast<size_t>(Bar)]);
}

void TForm1::ShowItems(TFormControl List, const std::vector<std::string>& Items)
{
    QComboBox* Box = ListOf(List);
    Box->setEditable(false);
    if (auto* View = qobject_cast<QListView*>(Box->view()))
        View->setUniformItemSizes(true);
    Box->clear();
    for (const std::string& Item : Items)
        Box->addItem(QString::fromUtf8(Item));
    Box->setCurrentIndex(-1);
}

void TForm1::ShowItemIndex(TFormControl List, int32_t Index)
{
    ListOf(List)->setCurrentIndex(Index);
}

void TForm1::ShowTrackBar(TFormControl Bar, int32_t Min, int32_t Max, int32_t Frequency, int32_t Position)
{
    QSlider* Slider = TrackBarOf(Bar);
    // Drawing a value is no change of the user's.
    const QSignalBlocker Quiet(Slider);
    Slider->setRange(Min, Max);
    Slider->setTickPosition(QSlider::TicksBelow);
    Slider->setTickInterval(Frequency);
    Slider->setValue(Position);
}

void TForm1::ShowEnabled(TFormControl Control, bool Enabled)
{
    Controls[static_cast<size_t>(Control)]->setEnabled(Enabled);
}

void TForm1::ShowHint(TFormControl Control, const std::string& Hint)
{
    Controls[static_cast<size_t>(Control)]->setToolTip(QString::fromUtf8(Hint));
}

void TForm1::ShowCaption(TFormControl Button, TColor Color, bool Bold)
{
    QWidget* Control = Controls[static_cast<size_t>(Button)];
    QPalette Palette = Control->palette();
    Palette.setColor(QPalette::ButtonText, QtColor(Color));
    Control->setPalette(Palette);
    // Plain: no bold, italic, underline or strike-out.
    QFont Font = Control->font();
    Font.setBold(Bold);
    if (!Bold) {
        Font.setItalic(false);
        Font.setUnderline(false);
        Font.setStrikeOut(false);
    }
    Control->setFont(Font);
}

void TForm1::ShowLit(int32_t Offset, bool Lit)
{
    PianoKeys[static_cast<size_t>(Offset)]->SetLit(Lit);
}

void TForm1::PlaceWindow()
{
    setWindowFlags(Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    const QRect Enclosed = childrenRect();
    setFixedSize(Enclosed.x() + Enclosed.width() + WindowBorderWidth,
                 Enclosed.y() + Enclosed.height() + WindowBorderWidth);
    if (const QScreen* Screen = QGuiApplication::primaryScreen()) {
        QRect Placed(QPoint(), size());
        Placed.moveCenter(Screen->availableGeometry().center());
        move(Placed.topLeft());
    }
}

void TForm1::TakeFocusBack()
{
    DisableFocus(this);
}

void TForm1::PopUpMenu(TFormMenu Menu)
{
    QWidget* Label = Menu == TFormMenu::File ? static_cast<QWidget*>(StaticText1) : StaticText2;
    QMenu* Popup = Menu == TFormMenu::File ? PopupMenu1 : PopupMenu2;
    // The menu covers the label.
    Popup->popup(Label->mapToGlobal(QPoint(-1, -1)));
}

void TForm1::ShowAbout()
{
    if (About == nullptr)
        return;
    PlaceOver(*About, *this);
    About->exec();
}

void TForm1::CloseWindow()
{
    close();
}

TMouseButtons TForm1::MouseButtonsDown() const
{
    return MouseButtonsOf(QGuiApplication::mouseButtons());
}

bool TForm1::event(QEvent* Event)
{
    switch (Event->type()) {
    case QEvent::ShortcutOverride:
        // Every key belongs to the player: none is a shortcut.
        Event->accept();
        return true;
    case QEvent::KeyPress:
        // Tab, the arrow keys, Enter and Escape move nothing: they play like any other key.
        keyPressEvent(static_cast<QKeyEvent*>(Event));
        return true;
    case QEvent::KeyRelease:
        keyReleaseEvent(static_cast<QKeyEvent*>(Event));
        return true;
    case QEvent::WindowActivate:
        Handlers.FormActivate();
        break;
    case QEvent::WindowDeactivate:
        Handlers.FormDeactivate();
        break;
    default:
        break;
    }
    return QWidget::event(Event);
}

bool TForm1::eventFilter(QObject* Watched, QEvent* Event)
{
    if (Event->type() == QEvent::MouseButtonRelease) {
        if (const auto Released = MouseButtonOf(static_cast<QMouseEvent*>(Event)->button()))
            Handlers.FormMouseUp(*Released);
        else
            Handlers.FormActivate();
    }
    return QWidget::eventFilter(Watched, Event);
}

void TForm1::keyPressEvent(QKeyEvent* Event)
{
    const uint16_t Key = VirtualKeyOf(*Event, QGuiApplication::platformName());
    Event->accept();
    if (Key != 0)
        Handlers.FormKeyDown(Key, ShiftStateOf(Event->modifiers()));
}

void TForm1::keyReleaseEvent(QKeyEvent* Event)
{
    Event->accept();
    // An auto-repeated key is still down.
    if (Event->isAutoRepeat())
        return;
    const uint16_t Key = VirtualKeyOf(*Event, QGuiApplication::platformName());
    if (Key != 0)
        Handlers.FormKeyUp(Key, ShiftStateOf(Event->modifiers()));
}

void TForm1::mouseReleaseEvent(QMouseEvent* Event)
{
    if (const auto Released = MouseButtonOf(Event->button()))
        Handlers.FormMouseUp(*Released);
    else
        Handlers.FormActivate();
    Event->accept();
}

void TForm1::closeEvent(QCloseEvent* Event)
{
    emit Closing();
    QWidget::closeEvent(Event);
}

bool TForm1::TKeysUnderBox::eventFilter(QObject*, QEvent* Event)
{
    const QEvent::Type Type = Event->type();
    if (!ErrorBoxShowing() || (Type != QEvent::KeyPress && Type != QEvent::KeyRelease))
        return false;
    const auto* KeyEvent = static_cast<QKeyEvent*>(Event);
    // A release that the platform calls a repeat leaves the key down.
    if (Type == QEvent::KeyPress || !KeyEvent->isAutoRepeat())
        Handlers.KeySeenUnderBox(Type == QEvent::KeyRelease,
                                 VirtualKeyOf(*KeyEvent, QGuiApplication::platformName()),
                                 ShiftStateOf(KeyEvent->modifiers()));
    return false;
}

bool TForm1::TKeysUnderBox::nativeEventFilter(const QByteArray& EventType, void* Message, qintptr*)
{
    bool Released = false;
    uint16_t Key = 0;
    Qt::KeyboardModifiers Shift;
    if (ErrorBoxShowing() && ReadNativeKeyEvent(EventType, Message, Released, Key, Shift))
        Handlers.KeySeenUnderBox(Released, Key, ShiftStateOf(Shift));
    return false;
}
