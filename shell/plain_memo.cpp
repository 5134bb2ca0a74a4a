// SPDX-License-Identifier: GPL-3.0-or-later
#include "plain_memo.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QFocusEvent>

namespace {

// What the platform last told the activation observers; isActive() asks the
// platform's bridge, which may not be there at all.
bool assistiveTechnologyTold = false;

bool Listening()
{
    return QAccessible::isActive() || assistiveTechnologyTold;
}

// QScintilla's accessible counts the characters from the start of the text to
// the caret on every update: a second per keystroke with the largest table in
// the area. While no assistive technology listens, the area gets a plain
// accessible; once one does, QScintilla's own serves it the text.
QAccessibleInterface* PlainAccessible(const QString& className, QObject* object)
{
    if (className != QLatin1String("PlainMemo") || Listening())
        return nullptr;  // the next factory: QScintilla's, for its base class
    return new QAccessibleWidget(qobject_cast<QWidget*>(object), QAccessible::EditableText);
}

// Change notices hand every inserted text to the accessibility layer, with a
// count of characters from the start; only a listening one needs them.
constexpr long kQuietMask = 0;

}  // namespace

PlainMemo::PlainMemo(QWidget* parent) : QsciScintilla(parent)
{
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(PlainAccessible);
        return true;
    }();
    static_cast<void>(factoryInstalled);

    // The memo never styles its text: a document without style bytes saves a
    // byte per character. QScintilla's own document wrapper keeps the document
    // it made, alive and hidden, so that it never refers to a freed one.
    hiddenDocument_ = SendScintillaPtrResult(SCI_GETDOCPOINTER);
    SendScintilla(SCI_ADDREFDOCUMENT, 0UL, hiddenDocument_);
    const auto plainDocument =
        SendScintilla(SCI_CREATEDOCUMENT, 0UL, static_cast<long>(SC_DOCUMENTOPTION_STYLES_NONE));
    SendScintilla(SCI_SETDOCPOINTER, 0UL, reinterpret_cast<void*>(plainDocument));
    SendScintilla(SCI_RELEASEDOCUMENT, 0UL, reinterpret_cast<void*>(plainDocument));  // the editor holds it

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

    noticeMask_ = SendScintilla(SCI_GETMODEVENTMASK);
    UpdateNotices();
    QAccessible::installActivationObserver(this);
}

PlainMemo::~PlainMemo()
{
    QAccessible::removeActivationObserver(this);
    SendScintilla(SCI_RELEASEDOCUMENT, 0UL, hiddenDocument_);
}

void PlainMemo::accessibilityActiveChanged(bool active)
{
    assistiveTechnologyTold = active;
    if (active) {
        // Forget the plain accessible, so that the next one asked for is QScintilla's.
        if (QAccessibleInterface* plain = QAccessible::queryAccessibleInterface(this))
            QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(plain));
    }
    UpdateNotices();
}

void PlainMemo::UpdateNotices()
{
    const bool listened = Listening() && !writing_;
    SendScintilla(SCI_SETMODEVENTMASK, static_cast<unsigned long>(listened ? noticeMask_ : kQuietMask));
}

void PlainMemo::setFont(const QFont& font)
{
    QWidget::setFont(font);
    QsciScintilla::setFont(font);  // the default style, which draws the text
}

void PlainMemo::BeginOutput()
{
    writing_ = true;
    writtenYet_ = false;
    setUpdatesEnabled(false);
    UpdateNotices();
    // The program's text is not the user's to undo: a Ctrl+Z must never take
    // away a report or the table, nor keep a second copy of a 100 MB insert.
    SendScintilla(SCI_SETUNDOCOLLECTION, 0UL);
}

void PlainMemo::ClearOutput()
{
    SendScintilla(SCI_CLEARALL);
    writtenYet_ = true;  // a new text: nothing of the user's to end
}

void PlainMemo::ReserveOutput(std::size_t bytes)
{
    // One more than the text: Scintilla reallocates when a document is exactly full.
    const auto length = static_cast<std::size_t>(SendScintilla(SCI_GETLENGTH));
    SendScintilla(SCI_ALLOCATE, static_cast<unsigned long>(length + bytes + 1));
}

void PlainMemo::WriteOutput(std::string_view text)
{
    if (!writtenYet_) {
        writtenYet_ = true;
        // Text the user typed after the last line break is a line of its own:
        // end it, so that the new entries start on a line of theirs.
        const long length = SendScintilla(SCI_GETLENGTH);
        if (length > 0 &&
            SendScintilla(SCI_GETCHARAT, static_cast<unsigned long>(length - 1)) != '\n')
            SendScintilla(SCI_APPENDTEXT, 1UL, "\n");
    }
    SendScintilla(SCI_APPENDTEXT, static_cast<unsigned long>(text.size()), text.data());
}

void PlainMemo::EndOutput()
{
    SendScintilla(SCI_EMPTYUNDOBUFFER);
    SendScintilla(SCI_SETUNDOCOLLECTION, 1UL);
    writing_ = false;
    UpdateNotices();
    if (writtenYet_) {
        // Scintilla only ever widens the scroll range; start again from this text.
        SendScintilla(SCI_SETSCROLLWIDTH, 1UL);
        SendScintilla(SCI_DOCUMENTEND);
        emit textChanged();
    }
    setUpdatesEnabled(true);
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
