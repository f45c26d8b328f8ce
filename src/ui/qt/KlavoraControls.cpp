#include "ui/qt/KlavoraControls.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionButton>
#include <QStylePainter>

namespace {

QColor QtColor(TColor Color)
{
    return QColor(RedOf(Color), GreenOf(Color), BlueOf(Color));
}

TColor ColorOf(const QColor& Color)
{
    return RGBColor(static_cast<uint8_t>(Color.red()), static_cast<uint8_t>(Color.green()),
                    static_cast<uint8_t>(Color.blue()));
}

void SetTextColor(QWidget& Widget, QPalette::ColorRole Role, const QColor& Color)
{
    QPalette Palette = Widget.palette();
    Palette.setColor(Role, Color);
    Widget.setPalette(Palette);
}

}

QColor LitKeyColor(const QPalette& Palette, bool BlackKey)
{
    return QtColor(
        LitKeyColor(ColorOf(Palette.color(QPalette::Highlight)), ColorOf(Palette.color(QPalette::Button)), BlackKey));
}

std::optional<TMouseButton> MouseButtonOf(Qt::MouseButton Button)
{
    switch (Button) {
    case Qt::LeftButton: return TMouseButton::Left;
    case Qt::MiddleButton: return TMouseButton::Middle;
    case Qt::RightButton: return TMouseButton::Right;
    default: return std::nullopt;
    }
}

TMouseButtons MouseButtonsOf(Qt::MouseButtons Buttons)
{
    TMouseButtons Held;
    for (const Qt::MouseButton Button : {Qt::LeftButton, Qt::MiddleButton, Qt::RightButton})
        if (Buttons.testFlag(Button))
            Held.Include(*MouseButtonOf(Button));
    return Held;
}

void DisableFocus(QWidget* Window)
{
    QWidget* Focused = Window->focusWidget();
    if (Focused == nullptr || Focused == Window)
        return;
    Window->setFocus(Qt::OtherFocusReason);
    if (!Window->isActiveWindow())
        Window->activateWindow();
}

TStaticText::TStaticText(QWidget* Parent)
    : QLabel(Parent)
{
    setFocusPolicy(Qt::NoFocus);
    setAutoFillBackground(true);
    setLineWidth(1);
    ShowFlat();
}

void TStaticText::ShowFlat()
{
    SetTextColor(*this, QPalette::WindowText, QtColor(LabelColor));
    // The blank frame keeps its pixel so that the caption does not move.
    setFrameStyle(QFrame::NoFrame);
    setContentsMargins(1, 1, 1, 1);
}

void TStaticText::ShowRaised()
{
    SetTextColor(*this, QPalette::WindowText, QtColor(LabelHoverColor));
    setContentsMargins(0, 0, 0, 0);
    setFrameStyle(QFrame::Panel | QFrame::Raised);
}

void TStaticText::enterEvent(QEnterEvent* Event)
{
    ShowRaised();
    QLabel::enterEvent(Event);
}

void TStaticText::leaveEvent(QEvent* Event)
{
    ShowFlat();
    QLabel::leaveEvent(Event);
}

void TStaticText::mousePressEvent(QMouseEvent* Event)
{
    if (Event->button() == Qt::LeftButton)
        ShowFlat();
    QLabel::mousePressEvent(Event);
    emit MouseDown(Event->button());
    Event->accept();
}

TButton::TButton(QWidget* Parent, const QString& Caption)
    : QPushButton(Caption, Parent)
{
    setFocusPolicy(Qt::NoFocus);
    setAutoDefault(false);
    // The release belongs to this button alone; the window must not see it twice.
    setAttribute(Qt::WA_NoMousePropagation);
}

void TButton::leaveEvent(QEvent* Event)
{
    DisableFocus(window());
    QPushButton::leaveEvent(Event);
}

void TButton::mousePressEvent(QMouseEvent* Event)
{
    if (Event->buttons() != Event->button()) {
        // Qt hands the press of a further button to the button pressed first;
        // it belongs to the button under the pointer (a chord of two keys).
        QWidget* Under = window()->childAt(window()->mapFromGlobal(Event->globalPosition().toPoint()));
        if (auto* Button = qobject_cast<TButton*>(Under))
            emit Button->MouseDown(Event);
        Event->accept();
        return;
    }
    emit MouseDown(Event);
    QPushButton::mousePressEvent(Event);
    Event->accept();
}

void TButton::mouseReleaseEvent(QMouseEvent* Event)
{
    QPushButton::mouseReleaseEvent(Event);
    emit MouseUp(Event);
    Event->accept();
}

void TButton::SetLit(bool On)
{
    if (Lit == On)
        return;
    Lit = On;
    update();
}

void TButton::paintEvent(QPaintEvent*)
{
    if (text() == QLatin1String("|")) {
        QPainter Painter(this);
        Painter.fillRect(rect(), Lit ? LitKeyColor(palette(), true) : palette().color(QPalette::WindowText));
        return;
    }
    // The style draws the button as ever; a lit one on the lit colour.
    QStyleOptionButton Option;
    initStyleOption(&Option);
    if (Lit)
        Option.palette.setColor(QPalette::Button, LitKeyColor(palette(), false));
    QStylePainter Painter(this);
    Painter.drawControl(QStyle::CE_PushButton, Option);
}

TTrackBar::TTrackBar(QWidget* Parent)
    : QSlider(Qt::Horizontal, Parent)
{
    setFocusPolicy(Qt::NoFocus);
    setEnabled(false);
}

void TTrackBar::mouseReleaseEvent(QMouseEvent* Event)
{
    if (const auto Button = MouseButtonOf(Event->button()))
        emit MouseUp(*Button);
    QSlider::mouseReleaseEvent(Event);
}

void TTrackBar::wheelEvent(QWheelEvent* Event)
{
    Event->ignore();
}

TComboBox::TComboBox(QWidget* Parent)
    : QComboBox(Parent)
{
    setFocusPolicy(Qt::NoFocus);
}

void TComboBox::showPopup()
{
    emit PopupOpening();
    QComboBox::showPopup();
}

void TComboBox::hidePopup()
{
    QComboBox::hidePopup();
    emit CloseUp();
}

void TComboBox::mouseReleaseEvent(QMouseEvent* Event)
{
    if (const auto Button = MouseButtonOf(Event->button()))
        emit MouseUp(*Button);
    QComboBox::mouseReleaseEvent(Event);
}

void TComboBox::wheelEvent(QWheelEvent* Event)
{
    Event->ignore();
}
