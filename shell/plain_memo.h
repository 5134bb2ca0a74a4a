// The output area: a QScintilla editor set up as a plain multi-line memo. It
// takes a 130 MB table in one insert where a QPlainTextEdit needs seconds per
// million lines.
#pragma once

#include <Qsci/qsciscintilla.h>

#include <string>
#include <string_view>

class PlainMemo : public QsciScintilla {
    Q_OBJECT

public:
    explicit PlainMemo(QWidget* parent = nullptr);

    void setFont(const QFont& font);

    // UTF-8 text in one insert each; both leave the caret and the view at the end.
    void ReplaceText(std::string_view text);
    void AppendText(std::string_view text);

    // The whole text as UTF-8 bytes.
    std::string Bytes() const;

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    // Tab moves on to the next control, as in a memo, instead of typing a tab.
    bool focusNextPrevChild(bool next) override;
};
