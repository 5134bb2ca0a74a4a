#include "plain_memo.h"

#include <QFocusEvent>

PlainMemo::PlainMemo(QWidget* parent) : QsciScintilla(parent)
{
    setUtf8(true);
    setEolMode(EolUnix);
    setWrapMode(WrapNone);
    setFolding(NoFoldStyle);
    setLexer(nullptr);
    for (int margin = 0; margin < margins(); ++margin)
        setMarginWidth(margin, 0);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    SendScintilla(SCI_SETSCROLLWIDTH, 1);
    SendScintilla(SCI_SETSCROLLWIDTHTRACKING, 1);
}

void PlainMemo::setFont(const QFont& font)
{
    QWidget::setFont(font);
    QsciScintilla::setFont(font);  // the default style, which draws the text
}

namespace {

// While a large text goes in, Scintilla's change notices stay off: each one
// hands the whole inserted text to the accessibility layer as a UTF-16 copy,
// which for the largest table costs more than the insert itself.
class QuietModifications {
public:
    explicit QuietModifications(PlainMemo& memo) : memo_(memo)
    {
        mask_ = memo_.SendScintilla(QsciScintillaBase::SCI_GETMODEVENTMASK);
        memo_.SendScintilla(QsciScintillaBase::SCI_SETMODEVENTMASK, 0UL);
    }
    ~QuietModifications()
    {
        memo_.SendScintilla(QsciScintillaBase::SCI_SETMODEVENTMASK,
                            static_cast<unsigned long>(mask_));
    }
    QuietModifications(const QuietModifications&) = delete;
    QuietModifications& operator=(const QuietModifications&) = delete;

private:
    PlainMemo& memo_;
    long mask_ = 0;
};

// The program's own text is not the user's to undo: a Ctrl+Z must never take
// away a report or the table. Collecting it would also keep a second copy of
// a 100 MB insert.
class ProgramText {
public:
    explicit ProgramText(PlainMemo& memo) : memo_(memo)
    {
        memo_.SendScintilla(QsciScintillaBase::SCI_SETUNDOCOLLECTION, 0UL);
    }
    ~ProgramText()
    {
        memo_.SendScintilla(QsciScintillaBase::SCI_EMPTYUNDOBUFFER);
        memo_.SendScintilla(QsciScintillaBase::SCI_SETUNDOCOLLECTION, 1UL);
    }
    ProgramText(const ProgramText&) = delete;
    ProgramText& operator=(const ProgramText&) = delete;

private:
    PlainMemo& memo_;
};

}  // namespace

void PlainMemo::ReplaceText(std::string_view text)
{
    {
        const QuietModifications quiet(*this);
        const ProgramText program(*this);
        SendScintilla(SCI_CLEARALL);
        SendScintilla(SCI_APPENDTEXT, static_cast<unsigned long>(text.size()), text.data());
    }
    // Scintilla only ever widens the scroll range; start again from the new text.
    SendScintilla(SCI_SETSCROLLWIDTH, 1UL);
    emit textChanged();
    SendScintilla(SCI_DOCUMENTEND);
}

void PlainMemo::AppendText(std::string_view text)
{
    {
        const ProgramText program(*this);
        // Text the user typed after the last line break is a line of its own: end
        // it, so that the new entries start on a line of theirs.
        const long length = SendScintilla(SCI_GETLENGTH);
        if (length > 0 &&
            SendScintilla(SCI_GETCHARAT, static_cast<unsigned long>(length - 1)) != '\n')
            SendScintilla(SCI_APPENDTEXT, 1UL, "\n");
        SendScintilla(SCI_APPENDTEXT, static_cast<unsigned long>(text.size()), text.data());
    }
    SendScintilla(SCI_DOCUMENTEND);
}

std::string PlainMemo::Bytes() const
{
    const auto length = static_cast<std::size_t>(SendScintilla(SCI_GETLENGTH));
    std::string bytes(length + 1, '\0');  // SCI_GETTEXT writes a terminating NUL
    SendScintilla(SCI_GETTEXT, static_cast<unsigned long>(bytes.size()), bytes.data());
    bytes.resize(length);
    return bytes;
}

void PlainMemo::focusInEvent(QFocusEvent* event)
{
    SendScintilla(SCI_HIDESELECTION, 0UL);
    QsciScintilla::focusInEvent(event);
}

void PlainMemo::focusOutEvent(QFocusEvent* event)
{
    // As in a memo, the selection shows only while the area has the focus; its
    // own right-click menu does not count as leaving.
    if (event->reason() != Qt::PopupFocusReason)
        SendScintilla(SCI_HIDESELECTION, 1UL);
    QsciScintilla::focusOutEvent(event);
}

bool PlainMemo::focusNextPrevChild(bool next)
{
    // QScintilla keeps Tab for itself in an editable document.
    return QWidget::focusNextPrevChild(next);
}
