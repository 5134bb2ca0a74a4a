// SPDX-License-Identifier: GPL-3.0-or-later
#include "tform1.h"

#include <QEvent>
#include <QFont>
#include <QGuiApplication>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QTimer>

#include <algorithm>
#include <exception>

#include "application.h"

TForm1* Form1 = nullptr;

namespace {

// The client area the form was designed for, and its bottom panel's height.
constexpr QSize kDesignSize(1082, 801);
constexpr int kBottomPanelHeight = 41;

}  // namespace

TForm1::TForm1(QWidget* parent) : QWidget(parent)
{
    setupUi(this);
    move(391, 123);
    for (QScrollBar** bar : {&horizontalScroll_, &verticalScroll_}) {
        *bar = new QScrollBar(bar == &horizontalScroll_ ? Qt::Horizontal : Qt::Vertical, this);
        (*bar)->setObjectName(bar == &horizontalScroll_ ? QStringLiteral("FormHorizontalScroll")
                                                        : QStringLiteral("FormVerticalScroll"));
        (*bar)->setFocusPolicy(Qt::NoFocus);  // the tab order stays the form's own
        (*bar)->hide();
        connect(*bar, &QScrollBar::valueChanged, this, &TForm1::LayOutPanels);
    }
    LayOutPanels();
    FitIntoScreen();

    // Liberation Sans, standing in for MS Sans Serif, runs about 5 % wider;
    // condensed this much, every text stays inside its stored box.
    QFont windowFont = font();
    windowFont.setStretch(95);
    setFont(windowFont);
    Memo1->setFont(windowFont);

    Memo1->BeginOutput();
    Memo1->WriteOutput("\n");  // the area starts with one empty entry
    Memo1->EndOutput();
    Edit1->setFocus();

    connect(Button1, &QPushButton::clicked, this, [this] { Dispatch(&TForm1::Button1Click); });
    connect(Button2, &QPushButton::clicked, this, [this] { Dispatch(&TForm1::Button2Click); });
    connect(Button3, &QPushButton::clicked, this, [this] { Dispatch(&TForm1::Button3Click); });
}

void TForm1::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    LayOutPanels();
}

void TForm1::LayOutPanels()
{
    const QSize client = size();
    const int extent = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    bool across = client.width() < kDesignSize.width();
    bool down = client.height() < kDesignSize.height();
    // One bar takes room from the other direction.
    down = down || (across && client.height() - extent < kDesignSize.height());
    across = across || (down && client.width() - extent < kDesignSize.width());
    const QSize view(client.width() - (down ? extent : 0), client.height() - (across ? extent : 0));
    const QSize content = view.expandedTo(kDesignSize);

    horizontalScroll_->setRange(0, content.width() - view.width());
    horizontalScroll_->setPageStep(view.width());
    horizontalScroll_->setGeometry(0, view.height(), view.width(), extent);
    horizontalScroll_->setVisible(across);
    verticalScroll_->setRange(0, content.height() - view.height());
    verticalScroll_->setPageStep(view.height());
    verticalScroll_->setGeometry(view.width(), 0, extent, view.height());
    verticalScroll_->setVisible(down);

    const QPoint origin(-horizontalScroll_->value(), -verticalScroll_->value());
    const int upperHeight = content.height() - kBottomPanelHeight;
    Panel1->setGeometry(QRect(origin, QSize(content.width(), upperHeight)));
    Panel2->setGeometry(origin.x(), origin.y() + upperHeight, content.width(), kBottomPanelHeight);
    horizontalScroll_->raise();
    verticalScroll_->raise();
}

QMargins TForm1::FrameMargins() const
{
    // Known once the window is shown, and again once a window manager framed it.
    const QRect frame = frameGeometry();
    const QRect client = geometry();
    return {client.left() - frame.left(), client.top() - frame.top(), frame.right() - client.right(),
            frame.bottom() - client.bottom()};
}

void TForm1::FitIntoScreen()
{
    const QScreen* screen = QGuiApplication::screenAt(geometry().center());
    if (screen == nullptr)
        screen = QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return;
    const QMargins margins = FrameMargins();
    const QRect room = screen->availableGeometry().marginsRemoved(margins);
    const QSize fitted = size().boundedTo(room.size());
    // Left and top win where nothing fits, so that the title bar stays on the screen.
    const QRect client = geometry();
    const QPoint at(std::max(room.left(), std::min(client.left(), room.right() + 1 - fitted.width())),
                    std::max(room.top(), std::min(client.top(), room.bottom() + 1 - fitted.height())));
    if (fitted != size())
        resize(fitted);
    const QPoint frameAt = at - QPoint(margins.left(), margins.top());  // move() places the frame
    if (frameAt != pos())
        move(frameAt);
}

bool TForm1::event(QEvent* event)
{
    // The form is active once it is first shown; a bare X server may never
    // report the activation itself, so the first show counts as well.
    const bool activation = event->type() == QEvent::WindowActivate || event->type() == QEvent::Show;
    const bool handled = QWidget::event(event);
    // A window manager adds its title bar and borders after the show: fit
    // again whenever the frame around the window changes, not when the user moves it.
    const bool placed = event->type() == QEvent::Show || event->type() == QEvent::Move ||
                        event->type() == QEvent::Resize;
    if (placed && isVisible() && FrameMargins() != fittedFrame_) {
        fittedFrame_ = FrameMargins();
        QTimer::singleShot(0, this, &TForm1::FitIntoScreen);
    }
    if (activation && !activated_) {
        activated_ = true;
        Dispatch(&TForm1::FormActivate);
    }
    return handled;
}

void TForm1::Dispatch(Handler handler)
{
    std::exception_ptr error;
    Memo1->BeginOutput();
    try {
        (this->*handler)();
    } catch (...) {
        error = std::current_exception();
    }
    if (deferredPosition_) {
        ProgressBar1->setValue(*deferredPosition_);
        deferredPosition_.reset();
    }
    // What the handler appended before an error stays, as it would on screen.
    try {
        FlushOutput();
    } catch (...) {
        if (!error)
            error = std::current_exception();
    }
    std::string().swap(pending_);  // no chunk buffer stays behind
    Memo1->EndOutput();
    if (error)
        lumiro::shell::Application::ShowException(lumiro::shell::AsException(error));
}

void TForm1::FlushOutput()
{
    if (!pending_.empty())
        Memo1->WriteOutput(pending_);
    pending_.clear();
}

QLineEdit* TForm1::FieldEdit(lumiro::Field field) const
{
    switch (field) {
    case lumiro::Field::Edit1:
        return Edit1;
    case lumiro::Field::Edit2:
        return Edit2;
    case lumiro::Field::Edit3:
        return Edit3;
    case lumiro::Field::Edit4:
        return Edit4;
    }
    return nullptr;
}

std::string TForm1::FieldText(lumiro::Field field) const
{
    return FieldEdit(field)->text().toStdString();
}

void TForm1::SetFieldText(lumiro::Field field, std::string_view text)
{
    FieldEdit(field)->setText(
        QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
}

void TForm1::ClearOutput()
{
    pending_.clear();
    Memo1->ClearOutput();
}

void TForm1::AppendOutput(std::string_view entry)
{
    // Entries go into the document a chunk at a time: the table never exists
    // twice, and a chunk is small enough to stay in the cache.
    constexpr std::size_t kChunkBytes = std::size_t{1} << 18;
    if (pending_.capacity() < kChunkBytes)
        pending_.reserve(kChunkBytes);
    pending_.append(entry);
    pending_.push_back('\n');
    if (pending_.size() >= kChunkBytes - 512)
        FlushOutput();
}

void TForm1::ExpectOutput(std::size_t bytes)
{
    // The document grows once: growing by doubling would copy and touch every
    // page several times.
    Memo1->ReserveOutput(pending_.size() + bytes);
}

void TForm1::SetProgressMin(int value)
{
    ProgressBar1->setMinimum(value);
}

void TForm1::SetProgressMax(int value)
{
    ProgressBar1->setMaximum(value);
}

void TForm1::SetProgressPosition(int value)
{
    // QProgressBar repaints itself on nearly every step, and one drawing costs
    // more than a thousand samples: it is redrawn once a screen frame at most.
    // The start of a pass is always shown, and the last position when the
    // handler ends.
    // Reading the clock costs more than a sample, so it is read on every
    // 1024th call only; in between the position waits as if within the frame.
    constexpr qint64 kFrameMilliseconds = 16;
    constexpr unsigned kCallsPerClockRead = 1024;
    const bool clockRead = ++progressCalls_ % kCallsPerClockRead == 0;
    if (value != ProgressBar1->minimum() && progressFrame_.isValid() &&
        (!clockRead || progressFrame_.elapsed() < kFrameMilliseconds)) {
        deferredPosition_ = value;
        return;
    }
    deferredPosition_.reset();
    ProgressBar1->setValue(value);
    progressFrame_.start();
}
