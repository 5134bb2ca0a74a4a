// SPDX-License-Identifier: GPL-3.0-or-later
// The output area: a QScintilla editor set up as a plain multi-line memo. It
// holds the largest table, 130 MB, where a QPlainTextEdit needs seconds per
// million lines.
#pragma once

#include <QAccessible>

#include <Qsci/qsciscintilla.h>

#include <cstddef>
#include <string>
#include <string_view>

class PlainMemo : public QsciScintilla, private QAccessible::ActivationObserver {
    Q_OBJECT

public:
    explicit PlainMemo(QWidget* parent = nullptr);
    ~PlainMemo() override;
    PlainMemo(const PlainMemo&) = delete;
    PlainMemo& operator=(const PlainMemo&) = delete;

    void setFont(const QFont& font);

    // The program's own output. Between BeginOutput and EndOutput the text goes
    // straight into the document, unseen, unannounced and not undoable; EndOutput
    // shows it, with the caret and the view at the end.
    void BeginOutput();
    void ClearOutput();
    // Room for this many more bytes, so that the document grows once.
    void ReserveOutput(std::size_t bytes);
    void WriteOutput(std::string_view text);
    void EndOutput();

    // The whole text as UTF-8 bytes.
    std::string Bytes() const;

    // Program output up to this size keeps a byte of style per character, which
    // a long pasted line needs to stay quick; beyond it the memory matters more.
    static constexpr std::size_t kStyleBytesLimit = std::size_t{32} << 20;
    // An inserted piece of a line at least this long is styled to be laid out
    // quickly; a shorter one costs Scintilla a few milliseconds at most.
    static constexpr long kLongRun = 4096;

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    // Tab moves on to the next control, as in a memo, instead of typing a tab.
    bool focusNextPrevChild(bool next) override;

private:
    // A screen reader that starts listening gets the full accessible.
    void accessibilityActiveChanged(bool active) override;
    void UpdateNotices();
    void InstallDocument(bool styleBytes);
    void MirrorTextStyle();
    void TextChanging(int position, int type, const char* text, int length);
    void StyleByTurns(long position, std::string_view run);

    void* hiddenDocument_ = nullptr;  // see the constructor
    long noticeMask_ = 0;             // Scintilla's change notices when shown
    bool styleBytes_ = false;         // the document keeps a style per byte
    bool seeInsertedText_ = false;    // a long insertion is under way
    bool writing_ = false;
    bool writtenYet_ = false;
};
