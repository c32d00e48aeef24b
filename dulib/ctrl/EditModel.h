#pragma once
// The text state of the single-line edit, without any window: the buffer, the
// selection (anchor and caret), the text limit, the one-step undo and the
// editing effects of the key and character tables. Indexes are UTF-16 units;
// no operation ever leaves the caret, the anchor or an edit between the two
// halves of a surrogate pair.
#include <string>

class duEditModel {
public:
    static constexpr int kDefaultLimit = 30000;

    // What a key or character asks of the control beyond the text itself.
    enum Effect : unsigned {
        kNone = 0,
        kTextChanged = 1,   // buffer changed: keep the caret visible, notify
        kCaretMoved = 2,    // caret or selection changed: keep the caret visible, redraw
        kWantCopy = 4,      // put the selection on the clipboard
        kWantCut = 8,       // copy, then clear
        kWantPaste = 16,    // replace the selection with the clipboard text
    };

    // --- text and selection -------------------------------------------------
    const std::wstring& Text() const { return text_; }
    int Length() const { return static_cast<int>(text_.size()); }
    int Caret() const { return caret_; }
    int Anchor() const { return anchor_; }
    int SelStart() const { return anchor_ < caret_ ? anchor_ : caret_; }
    int SelEnd() const { return anchor_ < caret_ ? caret_ : anchor_; }
    bool HasSelection() const { return anchor_ != caret_; }
    std::wstring SelectedText() const { return text_.substr(SelStart(), SelEnd() - SelStart()); }

    // Replaces everything, collapses the selection at 0, clears the modified
    // flag and forgets the undo record (it described a text that is gone).
    void SetText(const std::wstring& text);
    // start < 0 removes the selection; end < 0 or past the text means its end.
    void SetSel(int start, int end);
    void SelectAll() { anchor_ = 0; caret_ = Length(); }
    // Caret to index (snapped off a surrogate pair); extend keeps the anchor.
    void MoveCaret(int index, bool extend);

    // Returns true when the buffer changed.
    bool ReplaceSel(const std::wstring& text, bool canUndo);
    // Puts the undo record's text back; a second call redoes. False when
    // there is nothing to undo.
    bool Undo();
    bool CanUndo() const { return !undoText_.empty() || undoInserted_ > 0; }
    void ResetUndo() { undoText_.clear(); undoPos_ = 0; undoInserted_ = 0; }

    int Limit() const { return limit_; }
    void SetLimit(int n) { limit_ = n > 0 ? n : kDefaultLimit; }
    bool Modified() const { return modified_; }
    void SetModified(bool m) { modified_ = m; }

    // --- modes --------------------------------------------------------------
    bool readOnly = false;
    bool password = false;
    bool number = false;

    // --- key and character tables ------------------------------------------
    unsigned OnKey(unsigned vk, bool ctrl, bool shift);
    unsigned OnChar(wchar_t ch, bool ctrl);
    // A code point from WM_UNICHAR: split into a pair above 0xFFFF.
    unsigned OnCodePoint(unsigned cp, bool ctrl);

    // --- characters and words ----------------------------------------------
    int PrevCharIndex(int index) const;
    int NextCharIndex(int index) const;
    int PrevWordIndex(int index) const;
    int NextWordIndex(int index) const;
    // Range of the word at index (see the rule in EditModel.cpp).
    void WordAt(int index, int* start, int* end) const;
    // Snaps an index off the second half of a surrogate pair.
    int SnapIndex(int index) const;

    // The text as shown: '*' for every character (not every unit) in password
    // mode. DisplayIndex maps a buffer index into that shown text.
    std::wstring DisplayText() const;
    int DisplayIndex(int index) const;
    int BufferIndex(int displayIndex) const;

private:
    unsigned InsertTyped(const std::wstring& units);

    std::wstring text_;
    int anchor_ = 0;
    int caret_ = 0;
    int limit_ = kDefaultLimit;
    bool modified_ = false;
    // Undo record: the text to put back at undoPos_ in place of the
    // undoInserted_ units inserted there since.
    std::wstring undoText_;
    int undoPos_ = 0;
    int undoInserted_ = 0;
    wchar_t pendingHigh_ = 0;  // first half of a pair typed as two WM_CHARs
};
