// SPDX-License-Identifier: GPL-3.0-or-later
#include "plain_memo.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QFocusEvent>

#include <algorithm>
#include <utility>

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

// The style of all text, and its twin (see MirrorTextStyle).
constexpr unsigned long kTextStyle = 0;
constexpr unsigned long kTwinStyle = 1;

}  // namespace

PlainMemo::PlainMemo(QWidget* parent) : QsciScintilla(parent)
{
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(PlainAccessible);
        return true;
    }();
    static_cast<void>(factoryInstalled);

    // The memo keeps documents of its own, with or without style bytes (see
    // ReserveOutput). QScintilla's own document wrapper keeps the document it
    // made, alive and hidden, so that it never refers to a freed one.
    noticeMask_ = SendScintilla(SCI_GETMODEVENTMASK);
    hiddenDocument_ = SendScintillaPtrResult(SCI_GETDOCPOINTER);
    SendScintilla(SCI_ADDREFDOCUMENT, 0UL, hiddenDocument_);
    InstallDocument(true);
    connect(this, &QsciScintillaBase::SCN_MODIFIED, this, &PlainMemo::TextChanging);

    setWrapMode(WrapNone);
    setFolding(NoFoldStyle);
    setLexer(nullptr);
    for (int margin = 0; margin < margins(); ++margin)
        setMarginWidth(margin, 0);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    SendScintilla(SCI_SETSCROLLWIDTH, 1);
    SendScintilla(SCI_SETSCROLLWIDTHTRACKING, 1);
    MirrorTextStyle();

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
    long mask = kQuietMask;
    if (!writing_ && Listening())
        mask = noticeMask_;
    else if (!writing_ && styleBytes_)
        // The size of each insertion, and the bytes of a long one (see TextChanging).
        mask = SC_MOD_BEFOREINSERT | (seeInsertedText_ ? SC_MOD_INSERTTEXT : 0);
    SendScintilla(SCI_SETMODEVENTMASK, static_cast<unsigned long>(mask));
}

void PlainMemo::InstallDocument(bool styleBytes)
{
    const std::string text = Bytes();  // whatever is there stays
    const auto document = SendScintilla(
        SCI_CREATEDOCUMENT, 0UL,
        static_cast<long>(styleBytes ? SC_DOCUMENTOPTION_DEFAULT : SC_DOCUMENTOPTION_STYLES_NONE));
    SendScintilla(SCI_SETDOCPOINTER, 0UL, reinterpret_cast<void*>(document));
    SendScintilla(SCI_RELEASEDOCUMENT, 0UL, reinterpret_cast<void*>(document));  // the editor holds it
    styleBytes_ = styleBytes;
    // What belongs to a document rather than to the view.
    setUtf8(true);
    setEolMode(EolUnix);
    SendScintilla(SCI_SETUNDOCOLLECTION, static_cast<unsigned long>(!writing_));
    SendScintilla(SCI_APPENDTEXT, static_cast<unsigned long>(text.size()), text.data());
    UpdateNotices();
}

// Scintilla measures each run of one style through Qt's text layout, about a
// microsecond a character, and lays a line out whole again after every change:
// a pasted line of 10 MB cost seconds per key. Style 1 looks as style 0 does;
// used by turns they cut a long run into characters whose widths Scintilla
// keeps in its position cache.
void PlainMemo::MirrorTextStyle()
{
    static constexpr std::pair<unsigned int, unsigned int> kLook[] = {
        {SCI_STYLEGETFORE, SCI_STYLESETFORE},
        {SCI_STYLEGETBACK, SCI_STYLESETBACK},
        {SCI_STYLEGETSIZEFRACTIONAL, SCI_STYLESETSIZEFRACTIONAL},
        {SCI_STYLEGETWEIGHT, SCI_STYLESETWEIGHT},
        {SCI_STYLEGETITALIC, SCI_STYLESETITALIC},
        {SCI_STYLEGETUNDERLINE, SCI_STYLESETUNDERLINE},
        {SCI_STYLEGETCHARACTERSET, SCI_STYLESETCHARACTERSET},
        {SCI_STYLEGETCASE, SCI_STYLESETCASE},
        {SCI_STYLEGETEOLFILLED, SCI_STYLESETEOLFILLED},
    };
    for (const auto& [get, set] : kLook)
        SendScintilla(set, kTwinStyle, SendScintilla(get, kTextStyle));
    std::string face(
        static_cast<std::size_t>(SendScintilla(SCI_STYLEGETFONT, kTextStyle, static_cast<void*>(nullptr))), '\0');
    SendScintilla(SCI_STYLEGETFONT, kTextStyle, static_cast<void*>(face.data()));
    SendScintilla(SCI_STYLESETFONT, kTwinStyle, face.c_str());
}

void PlainMemo::TextChanging(int position, int type, const char* text, int length)
{
    if ((type & SC_MOD_INSERTTEXT) != 0 && seeInsertedText_) {
        seeInsertedText_ = false;
        UpdateNotices();
    }
    if (!styleBytes_ || length < kLongRun)
        return;
    if ((type & SC_MOD_BEFOREINSERT) != 0 && !seeInsertedText_) {
        // Only the notice after the insertion carries its bytes.
        seeInsertedText_ = true;
        UpdateNotices();
    } else if ((type & SC_MOD_INSERTTEXT) != 0 && text != nullptr) {
        // Each long piece of a line, between the line breaks.
        const std::string_view inserted(text, static_cast<std::size_t>(length));
        std::size_t start = 0;
        while (start < inserted.size()) {
            const std::size_t end = std::min(inserted.find_first_of("\r\n", start), inserted.size());
            if (static_cast<long>(end - start) >= kLongRun)
                StyleByTurns(position + static_cast<long>(start), inserted.substr(start, end - start));
            start = end + 1;
        }
    }
}

// Each ASCII character takes the other style than the byte before it. Any other
// byte keeps the style before it, so that a character with its combining marks,
// or a script whose letters join, is still measured and shaped in one piece.
void PlainMemo::StyleByTurns(long position, std::string_view run)
{
    constexpr std::size_t kChunkBytes = std::size_t{1} << 16;
    bool twin = position > 0 &&
                SendScintilla(SCI_GETSTYLEAT, static_cast<unsigned long>(position - 1)) ==
                    static_cast<long>(kTwinStyle);
    std::string styles(std::min(run.size(), kChunkBytes), '\0');
    SendScintilla(SCI_STARTSTYLING, static_cast<unsigned long>(position));
    for (std::size_t done = 0; done < run.size();) {
        const std::size_t count = std::min(run.size() - done, kChunkBytes);
        for (std::size_t i = 0; i < count; ++i) {
            if (static_cast<unsigned char>(run[done + i]) < 0x80)
                twin = !twin;
            styles[i] = static_cast<char>(twin ? kTwinStyle : kTextStyle);
        }
        SendScintilla(SCI_SETSTYLINGEX, static_cast<unsigned long>(count), styles.data());
        done += count;
    }
}

void PlainMemo::setFont(const QFont& font)
{
    // Scintilla measures text in its style's font, which knows no stretch, while
    // the painter would take a condensed widget font's: glyphs would then stand
    // apart from the caret and the selection, with gaps where a selection ends.
    QFont measured = font;
    measured.setStretch(QFont::AnyStretch);
    QWidget::setFont(measured);
    QsciScintilla::setFont(measured);  // the default style, which draws the text
    MirrorTextStyle();
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
    const auto length = static_cast<std::size_t>(SendScintilla(SCI_GETLENGTH));
    if (const bool styleBytes = length + bytes <= kStyleBytesLimit; styleBytes != styleBytes_)
        InstallDocument(styleBytes);
    // One more than the text: Scintilla reallocates when a document is exactly full.
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
