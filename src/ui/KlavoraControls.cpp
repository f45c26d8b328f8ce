#include "ui/KlavoraControls.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionButton>
#include <QStylePainter>

namespace {

const QColor LabelColor(0xC0, 0xC0, 0xC0);
const QColor LabelHoverColor(0x80, 0x80, 0x80);

void EndNoteOfReleasedButton(const QMouseEvent& Event)
{
    if (const auto Button = MouseButtonOf(Event.button()))
        MIDIPiano.MouseNoteOff(*Button);
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
    const QColor Highlight = Palette.color(QPalette::Highlight);
    if (BlackKey)
        return Highlight.darker(160);
    // Half way between the highlight and the key's own colour: light on a
    // light theme, and still apart from the key on a dark one.
    const QColor Key = Palette.color(QPalette::Button);
    return QColor((Highlight.red() + Key.red()) / 2, (Highlight.green() + Key.green()) / 2,
                  (Highlight.blue() + Key.blue()) / 2);
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
    SetTextColor(*this, QPalette::WindowText, LabelColor);
    // The blank frame keeps its pixel so that the caption does not move.
    setFrameStyle(QFrame::NoFrame);
    setContentsMargins(1, 1, 1, 1);
}

void TStaticText::ShowRaised()
{
    SetTextColor(*this, QPalette::WindowText, LabelHoverColor);
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
    if (Event->button() == Qt::LeftButton) {
        ShowFlat();
        MIDIPiano.StopAll();
    }
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
    EndNoteOfReleasedButton(*Event);
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
    EndNoteOfReleasedButton(*Event);
    QComboBox::mouseReleaseEvent(Event);
}

void TComboBox::wheelEvent(QWheelEvent* Event)
{
    Event->ignore();
}
