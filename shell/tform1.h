// SPDX-License-Identifier: GPL-3.0-or-later
// The main window: the form described in tform1.ui, with the window
// operations of the generator supplied over its controls.
#pragma once

#include <QElapsedTimer>
#include <QMargins>
#include <QWidget>

#include <optional>
#include <string>
#include <string_view>

#include "form_logic.h"
#include "ui_tform1.h"

class QLineEdit;
class QScrollBar;

class TForm1 : public QWidget, private Ui::TForm1, public lumiro::TForm1Logic {
    Q_OBJECT

public:
    explicit TForm1(QWidget* parent = nullptr);

protected:
    bool event(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

    std::string FieldText(lumiro::Field field) const override;
    void SetFieldText(lumiro::Field field, std::string_view text) override;
    void ClearOutput() override;
    void AppendOutput(std::string_view entry) override;
    void ExpectOutput(std::size_t bytes) override;
    void SetProgressMin(int value) override;
    void SetProgressMax(int value) override;
    void SetProgressPosition(int value) override;

private:
    using Handler = void (lumiro::TForm1Logic::*)();

    QLineEdit* FieldEdit(lumiro::Field field) const;
    // Runs a handler to its end with its output streamed into the area, and
    // shows its error, if any, without letting it cross the event loop.
    void Dispatch(Handler handler);
    void FlushOutput();

    // The panels fill the client area, the lower one docked at the bottom; in
    // an area smaller than the form's design they keep its size and scroll.
    void LayOutPanels();
    // Moves the window, and shrinks it if need be, into the screen's free area.
    void FitIntoScreen();
    QMargins FrameMargins() const;
    QMargins fittedFrame_;

    QScrollBar* horizontalScroll_ = nullptr;
    QScrollBar* verticalScroll_ = nullptr;

    bool activated_ = false;
    // Entries not yet in the area, each followed by '\n': sent on in chunks.
    std::string pending_;
    QElapsedTimer progressFrame_;  // since the bar was last redrawn
    unsigned progressCalls_ = 0;   // the clock is read on every 1024th only
    std::optional<int> deferredPosition_;
};

extern TForm1* Form1;
