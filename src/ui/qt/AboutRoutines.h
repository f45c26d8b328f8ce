#pragma once

#include <QDialog>
#include <QLabel>
#include <QPushButton>

// The About box: the program's name, a notice line, "Home Page" and "Close".
// Created hidden at start-up and shown modally from the Help menu.
class TAbout : public QDialog {
    Q_OBJECT

public:
    explicit TAbout(QWidget* Owner = nullptr);

    QLabel* ProgramName = nullptr; // the program's name and version
    QLabel* Label1 = nullptr; // the notice line
    QPushButton* Button2 = nullptr; // "Home Page"
    QPushButton* Button3 = nullptr; // "Close"

    // "Home Page": opens the product's home page; the box stays open.
    void Button2Click();
    // "Close": ends the modal showing.
    void Button3Click();

protected:
    void showEvent(QShowEvent* Event) override;
};

// Filled by the program entry while the program starts.
extern TAbout* About;

// The client size of the About box.
inline constexpr int AboutWidth = 322;
inline constexpr int AboutHeight = 110;

// Moves Box, frame included, to the centre of MainWindow's frame.
void PlaceOver(QWidget& Box, const QWidget& MainWindow);
