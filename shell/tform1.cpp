// SPDX-License-Identifier: GPL-3.0-or-later
#include "tform1.h"

#include <QEvent>
#include <QFont>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

#include <exception>

#include "application.h"

TForm1* Form1 = nullptr;

TForm1::TForm1(QWidget* parent) : QWidget(parent)
{
    setupUi(this);
    move(391, 123);

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

bool TForm1::event(QEvent* event)
{
    // The form is active once it is first shown; a bare X server may never
    // report the activation itself, so the first show counts as well.
    const bool activation = event->type() == QEvent::WindowActivate || event->type() == QEvent::Show;
    const bool handled = QWidget::event(event);
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
