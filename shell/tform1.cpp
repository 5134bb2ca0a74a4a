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

    AppendOutput("");  // the area starts with one empty entry
    FlushOutput();
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
    if (error)
        lumiro::shell::Application::ShowException(lumiro::shell::AsException(error));
}

void TForm1::FlushOutput()
{
    if (replacePending_)
        Memo1->ReplaceText(pending_);
    else if (!pending_.empty())
        Memo1->AppendText(pending_);
    pending_ = std::string();  // releases the buffer of a large table
    replacePending_ = false;
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
    replacePending_ = true;
}

void TForm1::AppendOutput(std::string_view entry)
{
    pending_.append(entry);
    pending_.push_back('\n');
}

void TForm1::ExpectOutput(std::size_t bytes)
{
    // Reserved once: growing by doubling would touch every page several times.
    pending_.reserve(pending_.size() + bytes);
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
    constexpr qint64 kFrameMilliseconds = 16;
    if (value != ProgressBar1->minimum() && progressFrame_.isValid() &&
        progressFrame_.elapsed() < kFrameMilliseconds) {
        deferredPosition_ = value;
        return;
    }
    deferredPosition_.reset();
    ProgressBar1->setValue(value);
    progressFrame_.start();
}
