#pragma once

#include <optional>

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSlider>

#include "core/MIDIPianoRoutines.h"
#include "ui/KlavoraFormLayout.h"

// The main window's controls in Qt's widgets. None of them ever takes the
// keyboard focus, so that every PC key reaches the window's key handlers.
// Each looks at an event first and then passes it on to the class it extends.

// The note player's name of a Qt mouse button; none for the other buttons.
std::optional<TMouseButton> MouseButtonOf(Qt::MouseButton Button);
TMouseButtons MouseButtonsOf(Qt::MouseButtons Buttons);

// Takes the keyboard focus back from any control of Window: the window holds
// it itself, and is activated if it was not active.
void DisableFocus(QWidget* Window);

// A label drawn like an entry of a flat menu bar: silver text, raised and
// darker while the pointer rests on it, flat again when pressed.
class TStaticText : public QLabel {
    Q_OBJECT
public:
    explicit TStaticText(QWidget* Parent);

signals:
    void MouseDown(Qt::MouseButton Button);

protected:
    void enterEvent(QEnterEvent* Event) override;
    void leaveEvent(QEvent* Event) override;
    void mousePressEvent(QMouseEvent* Event) override;

private:
    void ShowFlat();
    void ShowRaised();
};

// The colour of a piano key whose note sounds, from the palette's highlight
// and button colours.
QColor LitKeyColor(const QPalette& Palette, bool BlackKey);

// A push button that reports presses and releases of every mouse button and
// gives the focus back to the window when the pointer leaves it. A button
// whose caption is "|" is a black piano key and is drawn filled with the
// window-text colour. A lit button is drawn in the colour of a lit key.
class TButton : public QPushButton {
    Q_OBJECT
public:
    TButton(QWidget* Parent, const QString& Caption);

    // A lit key shows that its note sounds; the button repaints only when
    // the state changes.
    void SetLit(bool On);
    bool IsLit() const { return Lit; }

signals:
    void MouseDown(QMouseEvent* Event);
    void MouseUp(QMouseEvent* Event);

protected:
    void leaveEvent(QEvent* Event) override;
    void mousePressEvent(QMouseEvent* Event) override;
    void mouseReleaseEvent(QMouseEvent* Event) override;
    void paintEvent(QPaintEvent* Event) override;

private:
    bool Lit = false;
};

// A horizontal track bar, created disabled; it reports the release of every
// mouse button over it. Like every control without the focus, it does not
// follow the wheel.
class TTrackBar : public QSlider {
    Q_OBJECT
public:
    explicit TTrackBar(QWidget* Parent);

signals:
    void MouseUp(TMouseButton Button);

protected:
    void mouseReleaseEvent(QMouseEvent* Event) override;
    void wheelEvent(QWheelEvent* Event) override;
};

// A drop-down list that reports the release of every mouse button over it.
// Its pop-up holds the keyboard only while it is open. The wheel over the
// closed list changes nothing: no control of the window has the focus.
class TComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit TComboBox(QWidget* Parent);

    void showPopup() override;
    void hidePopup() override;

signals:
    void PopupOpening();
    void CloseUp();
    void MouseUp(TMouseButton Button);

protected:
    void mouseReleaseEvent(QMouseEvent* Event) override;
    void wheelEvent(QWheelEvent* Event) override;
};
