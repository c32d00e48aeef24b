#include "dulib/ctrl/EditModel.h"

#include <windows.h>

#include <cwctype>

namespace {

bool IsHigh(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLow(wchar_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// Word rule (Ctrl+Left/Right and double-click).
// Every character falls into one of four classes:
//   space      - blanks, including the ideographic space U+3000;
//   separator  - punctuation: ASCII punctuation except '_' (so '\', '/', '.',
//                ':' split paths and file names), general punctuation and the
//                CJK and full-width punctuation blocks;
//   ideograph  - Chinese, Japanese and Korean script characters (no
//                dictionary here, so a run of them counts as one word);
//   word       - everything else: Latin and other letters, digits, '_'.
// A word is a maximal run of characters of one class. So "安装到C:\Program
// Files\app.exe" has the words 安装到 | C | :\ | Program | (space) | Files |
// \ | app | . | exe. Ctrl+Right goes past the current run and then past any
// blanks; Ctrl+Left goes back over blanks and then over one run; a double
// click selects the run under the pointer. Classes are judged per code
// point, so a boundary never falls inside a surrogate pair.
enum class CharClass { Space, Separator, Ideograph, Word };

CharClass Classify(unsigned cp) {
    if (cp == 0x3000 || (cp < 0x10000 && std::iswspace(static_cast<wint_t>(cp)))) return CharClass::Space;
    if (cp < 0x80) {
        if (cp == '_') return CharClass::Word;
        if ((cp >= 0x21 && cp <= 0x2F) || (cp >= 0x3A && cp <= 0x40) || (cp >= 0x5B && cp <= 0x60) ||
            (cp >= 0x7B && cp <= 0x7E))
            return CharClass::Separator;
        return CharClass::Word;
    }
    if ((cp >= 0x2000 && cp <= 0x206F) || (cp >= 0x3001 && cp <= 0x303F) || (cp >= 0xFE30 && cp <= 0xFE4F) ||
        (cp >= 0xFF01 && cp <= 0xFF0F) || (cp >= 0xFF1A && cp <= 0xFF20) || (cp >= 0xFF3B && cp <= 0xFF40) ||
        (cp >= 0xFF5B && cp <= 0xFF65) || cp == 0x00A7 || cp == 0x00B7)
        return CharClass::Separator;
    if ((cp >= 0x2E80 && cp <= 0x2FFF) || (cp >= 0x3040 && cp <= 0x31FF) || (cp >= 0x3400 && cp <= 0x4DBF) ||
        (cp >= 0x4E00 && cp <= 0x9FFF) || (cp >= 0xAC00 && cp <= 0xD7AF) || (cp >= 0xF900 && cp <= 0xFAFF) ||
        (cp >= 0xFF66 && cp <= 0xFF9F) || (cp >= 0x20000 && cp <= 0x3FFFF))
        return CharClass::Ideograph;
    return CharClass::Word;
}

}  // namespace

// --- characters -------------------------------------------------------------

int duEditModel::SnapIndex(int index) const {
    if (index <= 0) return 0;
    if (index >= Length()) return Length();
    if (IsLow(text_[index]) && IsHigh(text_[index - 1])) return index - 1;
    return index;
}

int duEditModel::PrevCharIndex(int index) const {
    index = SnapIndex(index);
    if (index <= 0) return 0;
    if (index >= 2 && IsLow(text_[index - 1]) && IsHigh(text_[index - 2])) return index - 2;
    return index - 1;
}

int duEditModel::NextCharIndex(int index) const {
    index = SnapIndex(index);
    if (index >= Length()) return Length();
    if (index + 1 < Length() && IsHigh(text_[index]) && IsLow(text_[index + 1])) return index + 2;
    return index + 1;
}

namespace {
unsigned CodePointAt(const std::wstring& s, int i) {
    wchar_t c = s[i];
    if (IsHigh(c) && i + 1 < static_cast<int>(s.size()) && IsLow(s[i + 1]))
        return 0x10000 + ((static_cast<unsigned>(c) - 0xD800) << 10) + (static_cast<unsigned>(s[i + 1]) - 0xDC00);
    return c;
}
}  // namespace

int duEditModel::NextWordIndex(int index) const {
    index = SnapIndex(index);
    const int n = Length();
    if (index >= n) return n;
    const CharClass first = Classify(CodePointAt(text_, index));
    if (first != CharClass::Space) {
        while (index < n && Classify(CodePointAt(text_, index)) == first) index = NextCharIndex(index);
    }
    while (index < n && Classify(CodePointAt(text_, index)) == CharClass::Space) index = NextCharIndex(index);
    return index;
}

int duEditModel::PrevWordIndex(int index) const {
    index = SnapIndex(index);
    auto classBefore = [this](int i) { return Classify(CodePointAt(text_, PrevCharIndex(i))); };
    while (index > 0 && classBefore(index) == CharClass::Space) index = PrevCharIndex(index);
    if (index <= 0) return 0;
    const CharClass run = classBefore(index);
    while (index > 0 && classBefore(index) == run) index = PrevCharIndex(index);
    return index;
}

void duEditModel::WordAt(int index, int* start, int* end) const {
    const int n = Length();
    index = SnapIndex(index);
    if (n == 0) {
        *start = *end = 0;
        return;
    }
    if (index >= n) index = PrevCharIndex(n);
    const CharClass run = Classify(CodePointAt(text_, index));
    int s = index;
    while (s > 0 && Classify(CodePointAt(text_, PrevCharIndex(s))) == run) s = PrevCharIndex(s);
    int e = index;
    while (e < n && Classify(CodePointAt(text_, e)) == run) e = NextCharIndex(e);
    *start = s;
    *end = e;
}

// --- text and selection -------------------------------------------------------

void duEditModel::SetText(const std::wstring& text) {
    SelectAll();
    ReplaceSel(text, false);
    modified_ = false;
    anchor_ = caret_ = 0;
    ResetUndo();
}

void duEditModel::SetSel(int start, int end) {
    const int n = Length();
    if (start < 0) {
        anchor_ = caret_;
        return;
    }
    if (end < 0 || end > n) end = n;
    if (start > n) start = n;
    anchor_ = SnapIndex(start);
    caret_ = SnapIndex(end);
}

void duEditModel::MoveCaret(int index, bool extend) {
    caret_ = SnapIndex(index);
    if (!extend) anchor_ = caret_;
}

bool duEditModel::ReplaceSel(const std::wstring& textIn, bool canUndo) {
    const int start = SelStart();
    const int removed = SelEnd() - start;
    if (removed == 0 && textIn.empty()) return false;

    // Cut the insertion to what the limit allows, never inside a pair.
    std::wstring text = textIn;
    const int remaining = Length() - removed;
    int room = limit_ - remaining;
    if (room < 0) room = 0;
    if (static_cast<int>(text.size()) > room) {
        if (room > 0 && IsHigh(text[room - 1])) --room;
        text.resize(room);
    }
    if (removed == 0 && text.empty()) return false;

    const std::wstring removedText = text_.substr(start, removed);
    text_.replace(start, removed, text);
    const int inserted = static_cast<int>(text.size());

    if (!canUndo) {
        // The record described the text before this change: undoing it now
        // would take out what was just put in.
        ResetUndo();
    } else {
        const bool extendsRun = removed == 0 && inserted > 0 && CanUndo() && start == undoPos_ + undoInserted_;
        if (extendsRun) {
            undoInserted_ += inserted;
        } else {
            undoText_ = removedText;
            undoPos_ = start;
            undoInserted_ = inserted;
        }
    }
    anchor_ = caret_ = start + inserted;
    modified_ = true;
    return true;
}

bool duEditModel::Undo() {
    if (!CanUndo()) return false;
    const int n = Length();
    int pos = undoPos_ > n ? n : undoPos_;
    int count = undoInserted_;
    if (pos + count > n) count = n - pos;
    const std::wstring current = text_.substr(pos, count);
    text_.replace(pos, count, undoText_);
    const int restored = static_cast<int>(undoText_.size());
    undoText_ = current;
    undoPos_ = pos;
    undoInserted_ = restored;
    anchor_ = pos;
    caret_ = pos + restored;
    modified_ = true;
    return true;
}

// --- tables -------------------------------------------------------------------

unsigned duEditModel::InsertTyped(const std::wstring& units) {
    if (readOnly) return kNone;
    if (number) {
        for (wchar_t c : units)
            if (!((c >= L'0' && c <= L'9') || c == L'-')) return kNone;
    }
    return ReplaceSel(units, true) ? kTextChanged : kNone;
}

unsigned duEditModel::OnChar(wchar_t ch, bool ctrl) {
    switch (ch) {
    case 1:
        SelectAll();
        return kCaretMoved;
    case 3:
        return kWantCopy;
    case 8:
        if (readOnly || ctrl) return kNone;
        if (!HasSelection()) anchor_ = PrevCharIndex(caret_);
        return ReplaceSel(std::wstring(), true) ? kTextChanged : kCaretMoved;
    case 0x16:
        return readOnly ? kNone : kWantPaste;
    case 0x18:
        return (readOnly || password) ? kNone : kWantCut;
    case 0x1A:
        return (!readOnly && Undo()) ? kTextChanged : kNone;
    default:
        break;
    }
    if (ch < 0x20 || ch == 0x7F) return kNone;
    // A lone half of a surrogate pair cannot be inserted without splitting a
    // character; WM_CHAR delivers the pair as two messages, so keep the first.
    if (IsHigh(ch)) {
        pendingHigh_ = ch;
        return kNone;
    }
    if (IsLow(ch)) {
        const wchar_t high = pendingHigh_;
        pendingHigh_ = 0;
        if (!high) return kNone;
        return InsertTyped(std::wstring{high, ch});
    }
    pendingHigh_ = 0;
    return InsertTyped(std::wstring(1, ch));
}

unsigned duEditModel::OnCodePoint(unsigned cp, bool ctrl) {
    if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return kNone;
    if (cp <= 0xFFFF) return OnChar(static_cast<wchar_t>(cp), ctrl);
    cp -= 0x10000;
    const wchar_t pair[2] = {static_cast<wchar_t>(0xD800 + (cp >> 10)), static_cast<wchar_t>(0xDC00 + (cp & 0x3FF))};
    pendingHigh_ = 0;
    return InsertTyped(std::wstring(pair, 2));
}

unsigned duEditModel::OnKey(unsigned vk, bool ctrl, bool shift) {
    switch (vk) {
    case VK_END:
        MoveCaret(Length(), shift);
        return kCaretMoved;
    case VK_HOME:
        MoveCaret(0, shift);
        return kCaretMoved;
    case VK_LEFT:
        if (ctrl) MoveCaret(PrevWordIndex(caret_), shift);
        else if (HasSelection() && !shift) MoveCaret(SelStart(), false);
        else MoveCaret(PrevCharIndex(caret_), shift);
        return kCaretMoved;
    case VK_RIGHT:
        if (ctrl) MoveCaret(NextWordIndex(caret_), shift);
        else if (HasSelection() && !shift) MoveCaret(SelEnd(), false);
        else MoveCaret(NextCharIndex(caret_), shift);
        return kCaretMoved;
    case VK_INSERT:
        if (shift && !ctrl) return readOnly ? kNone : kWantPaste;
        if (ctrl && !shift) return kWantCopy;
        return kNone;
    case VK_DELETE:
        if (readOnly || (shift && ctrl)) return kNone;
        if (HasSelection()) {
            if (shift) return kWantCut;
        } else if (ctrl) {
            anchor_ = Length();
        } else if (shift) {
            anchor_ = PrevCharIndex(caret_);
        } else {
            anchor_ = NextCharIndex(caret_);
        }
        return ReplaceSel(std::wstring(), true) ? kTextChanged : kNone;
    default:
        return kNone;
    }
}

// --- display ----------------------------------------------------------------

std::wstring duEditModel::DisplayText() const {
    if (!password) return text_;
    return std::wstring(DisplayIndex(Length()), L'*');
}

int duEditModel::DisplayIndex(int index) const {
    if (!password) return index;
    int shown = 0;
    for (int i = 0; i < index && i < Length(); i = NextCharIndex(i)) ++shown;
    return shown;
}

int duEditModel::BufferIndex(int displayIndex) const {
    if (!password) return SnapIndex(displayIndex);
    int i = 0;
    for (int k = 0; k < displayIndex && i < Length(); ++k) i = NextCharIndex(i);
    return i;
}
